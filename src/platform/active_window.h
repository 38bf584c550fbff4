// The application in front: which window has the focus, told by the desktop
// (on X11, the window manager's _NET_ACTIVE_WINDOW). Profiles that follow the
// application match on these names.
#pragma once

#include <functional>
#include <string>

namespace vexel {

// Names of the application that owns the focused window. Any may be empty
// (a window without WM_CLASS, or without _NET_WM_PID).
struct AppInFront {
  std::string instance;    // WM_CLASS instance name, e.g. "gimp"
  std::string class_name;  // WM_CLASS class name, e.g. "Gimp"
  std::string process;     // /proc/PID/comm of _NET_WM_PID, e.g. "gimp-2.10"

  bool operator==(const AppInFront&) const = default;
};

// Reports each change of the application in front, from a thread of its own;
// the receiver hands it to the thread it belongs to.
class ActiveWindowSource {
 public:
  using Listener = std::function<void(const AppInFront&)>;

  virtual ~ActiveWindowSource() = default;
  // Starts watching; false (with the reason in `error`) when the desktop
  // cannot tell (no X display, say). The listener is called on the
  // source's own thread, once at start and at every change.
  virtual bool Start(Listener listener, std::string& error) = 0;
  // Stops watching; no call of the listener begins after it returns.
  virtual void Stop() = 0;
};

}  // namespace vexel
