// Presses and releases left Shift and left Ctrl in turn through XTEST (as a
// keyboard would: Shift down, Shift up, Ctrl down, Ctrl up, ...) keeping the
// given pauses between successive events, and prints each pause as it was
// kept, in ms. The display is $DISPLAY.
//
//   vexel-bench-xtest-keys GAP_MS...     (one event more than gaps)
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

using Steady = std::chrono::steady_clock;

double MsBetween(Steady::time_point from, Steady::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> gaps;
  for (int i = 1; i < argc; ++i) gaps.push_back(std::atoi(argv[i]));
  Display* display = XOpenDisplay(nullptr);
  int event_base = 0, error_base = 0, major = 0, minor = 0;
  if (display == nullptr ||
      !XTestQueryExtension(display, &event_base, &error_base, &major, &minor)) {
    std::fprintf(stderr, "vexel-bench-xtest-keys: no display with XTEST\n");
    return 2;
  }
  const unsigned keys[] = {XKeysymToKeycode(display, XK_Shift_L),
                           XKeysymToKeycode(display, XK_Control_L)};
  Steady::time_point sent{};
  for (std::size_t event = 0; event <= gaps.size(); ++event) {
    if (event > 0) std::this_thread::sleep_until(sent + std::chrono::milliseconds(gaps[event - 1]));
    const bool press = event % 2 == 0;
    XTestFakeKeyEvent(display, keys[(event / 2) % 2], press ? True : False, CurrentTime);
    // The event counts as sent once the server has taken it.
    XSync(display, False);
    const Steady::time_point now = Steady::now();
    if (event > 0) std::printf("%.3f\n", MsBetween(sent, now));
    sent = now;
  }
  XCloseDisplay(display);
  return 0;
}
