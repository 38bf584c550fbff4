// A message loop for programs without a UI toolkit (vexelctl, benchmarks):
// the driver monitors and the apply worker post into a queue from their
// threads, and the thread that pumps hands each message to the session, as
// the main window does in the program.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>

#include "hiddriver/hiddriver.h"
#include "link/device_session.h"
#include "messages/app_messages.h"
#include "platform/clock.h"

namespace vexel {

class SessionLoop {
 public:
  explicit SessionLoop(Clock& clock) : clock_(clock) {}

  struct Message {
    uint32_t id;
    uintptr_t wparam;
    intptr_t lparam;
  };

  // For the session and the driver monitors; valid while the loop lives.
  VexelPostTarget PostTarget() { return VexelPostTarget{&SessionLoop::Post, this}; }

  // Hands the queued messages to `session` (UI-thread work) one by one until
  // `done` holds or `limit` has passed. True when `done` held. The limit is
  // kept whatever the mouse sends: an arrival whose wait would run past it is
  // left in the queue, and a storm of messages is cut off at the limit.
  template <typename Done>
  bool PumpUntil(DeviceSession& session, Clock::Ms limit, Done done) {
    const Clock::Ms end = clock_.Now() + limit;
    for (;;) {
      while (clock_.Now() < end) {
        const std::optional<Message> message = TakeOne(end - clock_.Now());
        if (!message) break;
        session.HandleMessage(message->id, message->wparam, message->lparam);
        if (done()) return true;
      }
      if (done()) return true;
      if (clock_.Now() >= end) return false;
      clock_.SleepFor(kPumpInterval);
    }
  }

 private:
  static constexpr Clock::Ms kPumpInterval{2};

  static bool IsArrival(const Message& message) {
    return (message.id == kMsgWiredConnection || message.id == kMsgWirelessConnection) &&
           message.wparam == 1;
  }

  static void Post(void* context, uint32_t id, uintptr_t wparam, intptr_t lparam) {
    auto* loop = static_cast<SessionLoop*>(context);
    std::lock_guard lock(loop->mutex_);
    loop->queue_.push_back({id, wparam, lparam});
  }
  // The next message, unless it is an arrival whose wait would not end
  // within `remaining`.
  std::optional<Message> TakeOne(Clock::Ms remaining) {
    std::lock_guard lock(mutex_);
    if (queue_.empty()) return std::nullopt;
    if (IsArrival(queue_.front()) && remaining < DeviceSession::kArrivalWait) return std::nullopt;
    Message message = queue_.front();
    queue_.pop_front();
    return message;
  }

  Clock& clock_;

  std::mutex mutex_;
  std::deque<Message> queue_;
};

}  // namespace vexel
