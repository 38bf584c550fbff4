// A message loop for programs without a UI toolkit (vexelctl, benchmarks):
// the driver monitors and the apply worker post into a queue from their
// threads, and the thread that pumps hands each message to the session, as
// the main window does in the program.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>

#include "hiddriver/hiddriver.h"
#include "link/device_session.h"

namespace vexel {

class SessionLoop {
 public:
  struct Message {
    uint32_t id;
    uintptr_t wparam;
    intptr_t lparam;
  };

  // For the session and the driver monitors; valid while the loop lives.
  VexelPostTarget PostTarget() { return VexelPostTarget{&SessionLoop::Post, this}; }

  // Hands every queued message to `session` (UI-thread work) until `done`
  // holds or `limit` has passed. True when `done` held.
  template <typename Done>
  bool PumpUntil(DeviceSession& session, std::chrono::steady_clock::duration limit, Done done) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
      for (const Message& message : Take()) {
        session.HandleMessage(message.id, message.wparam, message.lparam);
      }
      if (done()) return true;
      if (std::chrono::steady_clock::now() >= end) return false;
      std::this_thread::sleep_for(kPumpInterval);
    }
  }

 private:
  static constexpr auto kPumpInterval = std::chrono::milliseconds(2);

  static void Post(void* context, uint32_t id, uintptr_t wparam, intptr_t lparam) {
    auto* loop = static_cast<SessionLoop*>(context);
    std::lock_guard lock(loop->mutex_);
    loop->queue_.push_back({id, wparam, lparam});
  }
  std::deque<Message> Take() {
    std::lock_guard lock(mutex_);
    std::deque<Message> taken;
    taken.swap(queue_);
    return taken;
  }

  std::mutex mutex_;
  std::deque<Message> queue_;
};

}  // namespace vexel
