// The program's D-Bus interface on the session bus (names and introspection
// in platform/program_bus.h and packaging/dbus/): what scripts and vexelctl
// use while the program holds the store. Requests are made through the page
// as the user's own edits; SelectProfile and Set answer once the apply they
// requested has run, with the reports it sent. Runs on the UI thread.
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QTimer>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "app/main/app_follower_host.h"
#include "ui/page/ms_1_page.h"

namespace vexel {

class ProgramBusService final : public QDBusVirtualObject {
 public:
  // Owns the bus name and serves the object; Registered() says whether it
  // could. The page and the follower (may be null) must outlive the service.
  using LanguageText = std::function<std::string(std::string_view key)>;
  ProgramBusService(CMS_1_Page& page, LanguageText language_text,
                    AppFollowerHost* follower = nullptr);
  ~ProgramBusService() override;

  bool Registered() const { return registered_; }

  QString introspect(const QString& path) const override;
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

 private:
  struct SentLog;
  bool HandleProperties(const QDBusMessage& message, const QDBusConnection& connection);
  // Answers `message` with the edit's result, after the apply it requested.
  void AnswerAfterApply(const QDBusMessage& message, const QDBusConnection& connection,
                        const CMS_1_Page::ScriptEdit& edit);
  // import-profile and import-macro of vexelctl: their JSON, or an empty
  // text with `error` set.
  QString ImportProfile(const QString& file, std::string& error);
  QString ImportMacro(const QString& file, std::string& error);
  QVariantMap Properties();
  void AnnounceChangedProperties();
  // Rules, EditRules and ApplicationFocused; false for other members.
  bool HandleRules(const QDBusMessage& message, const QDBusConnection& connection);

  CMS_1_Page& page_;
  LanguageText language_text_;
  AppFollowerHost* follower_;
  QDBusConnection bus_;
  bool registered_ = false;
  std::shared_ptr<SentLog> sent_;  // shared with the worker's send observer
  QTimer property_watch_;
  QVariantMap announced_;
};

}  // namespace vexel
