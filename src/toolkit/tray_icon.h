// The notification-area icon. Clicks are posted to the owner window as the
// callback message given at creation with lparam kTrayLeftButtonUp (514) or
// kTrayRightButtonUp (517). On a desktop without a tray the icon is simply not
// shown; the program goes on.
#pragma once

#include <string>
#include <string_view>

namespace vexel::toolkit {

class TrayIcon {
 public:
  virtual ~TrayIcon() = default;
  // Whether the desktop shows this icon: false without a tray.
  virtual bool IsAvailable() const = 0;
  virtual std::string ToolTip() const = 0;
  virtual void SetToolTip(std::string_view tip) = 0;
  // The image, as given at creation: a file relative to the resource folder.
  virtual std::string Icon() const = 0;
  virtual void SetIcon(std::string_view icon) = 0;
};

}  // namespace vexel::toolkit
