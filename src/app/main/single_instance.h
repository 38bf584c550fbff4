// One running copy per user: a lock file decides who is first, and a local
// socket lets a second start ask the first to show itself.
#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <string>

class QSocketNotifier;

namespace vexel {

class SingleInstance : public QObject {
 public:
  // `name` names the lock and the socket ("Vexel Gaming Mouse"); both live in
  // the user's runtime folder.
  explicit SingleInstance(const QString& name);
  ~SingleInstance() override;

  // True when this process is the first: it holds the lock and listens.
  bool BecomeFirst();
  // Asks the first copy to show itself; true when it was told.
  bool AskFirstToShow();
  // Runs on the UI thread whenever a later copy asks.
  void SetOnShowRequest(std::function<void()> on_show) { on_show_ = std::move(on_show); }

 private:
  // A later copy connected: what it has sent so far.
  struct Caller {
    QSocketNotifier* readable;  // a child of this object
    std::string received;
    bool answered;
  };

  void OnConnection();
  void OnCallerReadable(int fd);

  QString socket_path_;
  QLockFile lock_;
  int listener_ = -1;
  std::unique_ptr<QSocketNotifier> incoming_;
  std::map<int, Caller> callers_;
  std::function<void()> on_show_;
};

}  // namespace vexel
