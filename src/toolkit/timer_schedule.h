// The timers of all windows and controls, kept on a vexel::Clock so tests run
// them in virtual time. UI thread only. Both implementations share it: the
// headless loop asks it what is due; the Qt loop wakes a QTimer at NextDue.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <utility>

#include "platform/clock.h"

namespace vexel::toolkit {

class TimerSchedule {
 public:
  using Fire = std::function<void()>;

  explicit TimerSchedule(Clock& clock) : clock_(clock) {}

  // Starts or restarts timer `id` of `owner`: first expiry after period_ms
  // (at least 1), then every period_ms until Kill.
  void Set(const void* owner, uint32_t id, int period_ms, Fire fire);
  void Kill(const void* owner, uint32_t id);
  void KillAll(const void* owner);
  bool IsSet(const void* owner, uint32_t id) const;

  // Fires every timer due now, each at most once, in order of expiry; a timer
  // re-arms at now + period. Callbacks may set and kill timers. Returns the
  // number fired.
  int RunDue();
  // Clock time of the earliest expiry, if any timer is set.
  std::optional<Clock::Ms> NextDue() const;

  // Called whenever NextDue may have changed (the Qt loop re-arms its wake-up).
  void SetOnChange(std::function<void()> on_change) { on_change_ = std::move(on_change); }
  Clock& clock() const { return clock_; }

 private:
  struct Entry {
    Clock::Ms due;
    Clock::Ms period;
    uint64_t generation;  // tells a restarted timer from the one a RunDue pass saw
    Fire fire;
  };
  using Key = std::pair<const void*, uint32_t>;

  void Changed() const {
    if (on_change_) on_change_();
  }

  Clock& clock_;
  std::map<Key, Entry> timers_;
  uint64_t next_generation_ = 1;
  std::function<void()> on_change_;
};

}  // namespace vexel::toolkit
