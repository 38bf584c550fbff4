// The state behind the seven entry points: the installed windows, the report
// switches, and the capture thread that runs while a window is installed.
//
// Locking: one mutex guards everything. The capture thread holds it while it
// turns events into posts, so a remove on another thread waits for a post in
// progress and nothing is posted to a window after its remove has returned.
// The post function may call back into the controller on the capture thread;
// those calls see that the thread already holds the mutex and do not lock it.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "../post_target.h"

namespace vexel::hook {

struct RawInput;

class HookController {
 public:
  HookController();
  ~HookController();  // stops capture and waits for the thread

  HookController(const HookController&) = delete;
  HookController& operator=(const HookController&) = delete;

  enum class Hook { kKeys, kButtons };

  // false for a null window or post function, or when capture cannot start.
  bool Install(Hook hook, const VexelPostTarget* window);
  // false when no window was installed. Switches the hook's reports off; the
  // capture thread stops when no window is left.
  bool Remove(Hook hook);
  void Enable(Hook hook, bool on);
  void EnableWheel(bool on);

 private:
  struct Session;
  class Lock;

  void Run(Session& session);
  void Dispatch(Session& session, const RawInput& input);
  std::optional<VexelPostTarget>& Window(Hook hook);
  bool& Enabled(Hook hook);
  bool OnCaptureThread() const;

  std::mutex mutex_;
  std::optional<VexelPostTarget> key_window_;
  std::optional<VexelPostTarget> button_window_;
  bool keys_enabled_ = false;
  bool buttons_enabled_ = false;
  bool wheel_enabled_ = false;
  std::unique_ptr<Session> session_;
  // Sessions told to stop by their own thread, joined by the next call made
  // on another thread (or at destruction).
  std::vector<std::unique_ptr<Session>> finished_;
};

}  // namespace vexel::hook
