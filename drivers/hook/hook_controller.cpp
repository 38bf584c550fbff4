#include "hook_controller.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <bitset>
#include <cerrno>
#include <thread>

#include "hook_messages.h"
#include "messages/app_messages.h"
#include "xinput_capture.h"

namespace vexel::hook {
namespace {

// The controller whose mutex the current thread holds while dispatching.
thread_local const HookController* t_dispatching = nullptr;

constexpr uint32_t kKeycodeCount = 256;

}  // namespace

struct HookController::Session {
  explicit Session(std::unique_ptr<XInputCapture> opened)
      : capture(std::move(opened)), wake_fd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
  ~Session() {
    if (thread.joinable()) thread.join();
    if (wake_fd >= 0) close(wake_fd);
  }

  void Wake() const {
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(wake_fd, &one, sizeof one);
  }

  std::unique_ptr<XInputCapture> capture;  // used by the thread only
  const int wake_fd;
  std::thread thread;
  bool stop = false;  // guarded by the controller's mutex
  // Keys held down, so that a repeated press is never reported. Thread only.
  std::bitset<kKeycodeCount> keys_down;
};

// Locks the controller's mutex unless this thread is the one dispatching.
class HookController::Lock {
 public:
  explicit Lock(HookController& controller)
      : lock_(controller.mutex_, std::defer_lock), reentrant_(controller.OnCaptureThread()) {
    if (!reentrant_) lock_.lock();
  }
  bool reentrant() const { return reentrant_; }

 private:
  std::unique_lock<std::mutex> lock_;
  bool reentrant_;
};

HookController::HookController() = default;

HookController::~HookController() {
  std::vector<std::unique_ptr<Session>> sessions;
  {
    Lock lock(*this);
    key_window_.reset();
    button_window_.reset();
    if (session_) finished_.push_back(std::move(session_));
    for (auto& session : finished_) {
      session->stop = true;
      session->Wake();
    }
    sessions.swap(finished_);
  }
  sessions.clear();  // joins
}

bool HookController::OnCaptureThread() const {
  return t_dispatching == this;
}

std::optional<VexelPostTarget>& HookController::Window(Hook hook) {
  return hook == Hook::kKeys ? key_window_ : button_window_;
}

bool& HookController::Enabled(Hook hook) {
  return hook == Hook::kKeys ? keys_enabled_ : buttons_enabled_;
}

bool HookController::Install(Hook hook, const VexelPostTarget* window) {
  if (window == nullptr || window->post == nullptr) return false;
  std::vector<std::unique_ptr<Session>> joined_after_unlock;
  {
    Lock lock(*this);
    // A thread that stopped on its own (the display went away) is replaced.
    if (session_ && session_->stop) finished_.push_back(std::move(session_));
    if (!session_) {
      auto capture = XInputCapture::Open();
      if (!capture) return false;
      session_ = std::make_unique<Session>(std::move(capture));
      if (session_->wake_fd < 0) {
        session_.reset();
        return false;
      }
      Session& session = *session_;
      session.thread = std::thread([this, &session] { Run(session); });
    }
    Window(hook) = *window;
    Enabled(hook) = false;
    if (!lock.reentrant()) joined_after_unlock.swap(finished_);
  }
  return true;
}

bool HookController::Remove(Hook hook) {
  std::vector<std::unique_ptr<Session>> joined_after_unlock;
  bool was_installed = false;
  {
    Lock lock(*this);
    was_installed = Window(hook).has_value();
    Window(hook).reset();
    Enabled(hook) = false;
    if (!key_window_ && !button_window_) {
      keys_enabled_ = buttons_enabled_ = false;  // a later install starts with reports off
      if (session_) {
        session_->stop = true;
        session_->Wake();
        finished_.push_back(std::move(session_));
      }
    }
    // The capture thread cannot join itself: its session waits in finished_.
    if (!lock.reentrant()) joined_after_unlock.swap(finished_);
  }
  return was_installed;
}

void HookController::Enable(Hook hook, bool on) {
  Lock lock(*this);
  Enabled(hook) = on;
}

void HookController::EnableWheel(bool on) {
  Lock lock(*this);
  wheel_enabled_ = on;
}

void HookController::Run(Session& session) {
  std::array<pollfd, 2> fds{{{session.capture->fd(), POLLIN, 0}, {session.wake_fd, POLLIN, 0}}};
  for (;;) {
    {
      std::lock_guard lock(mutex_);
      if (session.stop) break;
      t_dispatching = this;
      const bool connected =
          session.capture->Drain([&](const RawInput& input) { Dispatch(session, input); });
      t_dispatching = nullptr;
      if (!connected) session.stop = true;
      if (session.stop) break;
    }
    if (poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) {
      std::lock_guard lock(mutex_);
      session.stop = true;
      break;
    }
    if ((fds[1].revents & POLLIN) != 0) {
      uint64_t count = 0;
      [[maybe_unused]] const ssize_t got = read(session.wake_fd, &count, sizeof count);
    }
  }
  // Closing the connection drops the selection at once.
  session.capture.reset();
}

// Caller holds the mutex.
void HookController::Dispatch(Session& session, const RawInput& input) {
  if (session.stop) return;  // removed from inside an earlier post
  std::optional<HookMessage> message;
  std::optional<VexelPostTarget> window;
  switch (input.kind) {
    case RawInput::Kind::kKeyPress:
    case RawInput::Kind::kKeyRelease: {
      const bool pressed = input.kind == RawInput::Kind::kKeyPress;
      if (input.detail >= kKeycodeCount) return;
      if (pressed && session.keys_down.test(input.detail)) return;  // a repeat
      session.keys_down.set(input.detail, pressed);
      if (!keys_enabled_ || !key_window_) return;
      window = key_window_;
      message = KeyMessage(session.capture->layout(), input.detail, pressed);
      break;
    }
    case RawInput::Kind::kButtonPress:
    case RawInput::Kind::kButtonRelease:
      window = button_window_ ? button_window_ : key_window_;
      if (!buttons_enabled_ || !window) return;
      message =
          ButtonMessage(input.detail, input.kind == RawInput::Kind::kButtonPress, wheel_enabled_);
      break;
  }
  if (message) window->post(window->ctx, kMsgHookEvent, message->wparam, message->lparam);
}

}  // namespace vexel::hook
