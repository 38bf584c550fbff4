// Where the time to the first window goes. With VEXEL_STARTUP_TRACE set, each
// mark prints to stderr the wall time since the launch, the step since the
// previous mark and the process's CPU time; the first paint is the last mark.
// The variable may hold the launch time (ns since the epoch, `date +%s%N`), so
// the time before main() (loading libraries) shows as well; any other value
// counts from the first mark. Unset, a mark is one test of a static flag.
#pragma once

#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vexel::toolkit {

class StartupTrace {
 public:
  static void Mark(const char* phase) {
    State& state = Get();
    if (!state.enabled) return;
    const double now = Milliseconds(CLOCK_REALTIME);
    if (state.origin < 0) state.origin = state.previous = now;
    std::fprintf(stderr, "startup: %8.1f ms  +%7.1f ms  cpu %7.1f ms  %s\n", now - state.origin,
                 now - state.previous, Milliseconds(CLOCK_PROCESS_CPUTIME_ID), phase);
    state.previous = now;
  }
  static bool Enabled() { return Get().enabled; }
  // The first paint of a window ends the trace.
  static void FirstPaint() {
    if (!Get().enabled) return;
    Mark("first paint");
    Get().enabled = false;
  }

 private:
  struct State {
    bool enabled = false;
    double origin = -1;
    double previous = 0;
  };
  static State& Get() {
    static State state = [] {
      State made;
      const char* value = std::getenv("VEXEL_STARTUP_TRACE");
      made.enabled = value != nullptr && *value != '\0';
      if (made.enabled && std::strlen(value) >= 18) {
        made.origin = made.previous = static_cast<double>(std::strtoll(value, nullptr, 10)) / 1e6;
      }
      return made;
    }();
    return state;
  }
  static double Milliseconds(clockid_t clock) {
    timespec now{};
    ::clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
  }
};

}  // namespace vexel::toolkit
