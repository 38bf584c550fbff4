// Desktop notifications through org.freedesktop.Notifications on the session
// bus (QtDBus). The call does not wait for the desktop's answer, so a slow or
// missing notification service never stalls the caller.
#pragma once

#include <string>

#include "platform/desktop_notifier.h"

namespace vexel {

class DBusDesktopNotifier final : public DesktopNotifier {
 public:
  // `app_name` is the sender the desktop shows; `desktop_entry` the name of
  // the program's .desktop file without the suffix.
  DBusDesktopNotifier(std::string app_name, std::string desktop_entry);
  bool Notify(const DesktopNotification& notification) override;

 private:
  std::string app_name_;
  std::string desktop_entry_;
};

}  // namespace vexel
