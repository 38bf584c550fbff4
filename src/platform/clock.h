// Time as the delivery pauses, time-outs and tick counts see it. Everything that
// waits goes through a Clock so tests run in virtual time and never sleep.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vexel {

class Clock {
 public:
  using Ms = std::chrono::milliseconds;

  virtual ~Clock() = default;
  // Monotonic milliseconds since an arbitrary start.
  virtual Ms Now() const = 0;
  // Blocks the calling thread for `duration`.
  virtual void SleepFor(Ms duration) = 0;
};

class SteadyClock final : public Clock {
 public:
  Ms Now() const override {
    return std::chrono::duration_cast<Ms>(std::chrono::steady_clock::now().time_since_epoch());
  }
  void SleepFor(Ms duration) override { std::this_thread::sleep_for(duration); }
};

// Virtual time for tests: SleepFor returns at once after moving the time
// forward, records the pause, and runs the listeners so a fake can react "during"
// a pause (an acknowledgement arriving while the sender waits, say).
class ManualClock final : public Clock {
 public:
  using Listener = std::function<void(Ms now)>;

  Ms Now() const override { return Ms(now_ms_.load()); }

  void SleepFor(Ms duration) override {
    {
      std::lock_guard lock(mutex_);
      sleeps_.push_back(duration);
    }
    Advance(duration);
  }

  void Advance(Ms duration) {
    const Ms now = Ms(now_ms_.fetch_add(duration.count()) + duration.count());
    std::vector<Listener> listeners;
    {
      std::lock_guard lock(mutex_);
      listeners = listeners_;
    }
    for (const auto& listener : listeners) listener(now);
  }

  void AddListener(Listener listener) {
    std::lock_guard lock(mutex_);
    listeners_.push_back(std::move(listener));
  }

  std::vector<Ms> Sleeps() const {
    std::lock_guard lock(mutex_);
    return sleeps_;
  }

 private:
  std::atomic<int64_t> now_ms_{0};
  mutable std::mutex mutex_;
  std::vector<Ms> sleeps_;
  std::vector<Listener> listeners_;
};

}  // namespace vexel
