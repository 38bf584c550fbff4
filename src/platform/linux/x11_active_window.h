// The application in front on X11: the window manager keeps the focused
// window in the root's _NET_ACTIVE_WINDOW; its WM_CLASS and _NET_WM_PID name
// the application. A thread of its own sleeps in poll() on the X connection
// until the property changes: nothing is polled on a timer.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/active_window.h"

namespace vexel {

class X11ActiveWindow final : public ActiveWindowSource {
 public:
  // `display_name` empty means $DISPLAY.
  explicit X11ActiveWindow(std::string display_name = {});
  ~X11ActiveWindow() override;

  X11ActiveWindow(const X11ActiveWindow&) = delete;
  X11ActiveWindow& operator=(const X11ActiveWindow&) = delete;

  // Not to be called from the listener (Stop waits for the listener's thread).
  bool Start(Listener listener, std::string& error) override;
  void Stop() override;

  // The applications of the windows the window manager lists now
  // (_NET_CLIENT_LIST), on a short connection of their own; empty without a
  // display or a window manager.
  static std::vector<AppInFront> ClientApps(const std::string& display_name = {});

 private:
  struct Watch;
  std::string display_name_;
  std::unique_ptr<Watch> watch_;
};

}  // namespace vexel
