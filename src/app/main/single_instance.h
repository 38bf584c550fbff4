// One running copy per user: a lock file decides who is first, and a local
// socket lets a second start ask the first to show itself.
#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

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
  void OnConnection();

  QString socket_path_;
  QLockFile lock_;
  std::unique_ptr<QLocalServer> server_;
  std::function<void()> on_show_;
};

}  // namespace vexel
