// Desktop notifications: short passing messages the desktop shows outside the
// program's windows (battery low, waiting for the mouse).
#pragma once

#include <string>

namespace vexel {

struct DesktopNotification {
  std::string summary;
  std::string body;
  std::string icon;  // an image file's path; empty for none
};

class DesktopNotifier {
 public:
  virtual ~DesktopNotifier() = default;
  // Hands the notification to the desktop without waiting for it to be shown;
  // false when it could not be handed over (no desktop service at all).
  virtual bool Notify(const DesktopNotification& notification) = 0;
};

}  // namespace vexel
