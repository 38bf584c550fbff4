// When each hook report reached the editor. The hook library's thread notes
// the tick as it posts a report, so that a UI thread busy redrawing does not
// stretch the pauses that recording measures between reports.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>

namespace vexel {

class HookArrivals {
 public:
  // Any thread: a report (wparam, lparam) was posted at `tick`.
  void Note(uintptr_t wparam, intptr_t lparam, uint32_t tick) {
    std::lock_guard lock(mutex_);
    arrivals_.push_back({wparam, lparam, tick});
  }
  // UI thread: the tick of this report when it is the next one noted; nullopt
  // for a report that came another way (nothing noted is taken then).
  std::optional<uint32_t> Take(uintptr_t wparam, intptr_t lparam) {
    std::lock_guard lock(mutex_);
    if (arrivals_.empty() || arrivals_.front().wparam != wparam ||
        arrivals_.front().lparam != lparam) {
      return std::nullopt;
    }
    const uint32_t tick = arrivals_.front().tick;
    arrivals_.pop_front();
    return tick;
  }

 private:
  struct Arrival {
    uintptr_t wparam;
    intptr_t lparam;
    uint32_t tick;
  };
  std::mutex mutex_;
  std::deque<Arrival> arrivals_;
};

}  // namespace vexel
