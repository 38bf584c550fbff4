// The arrival wait on a timer: events inside the wait are taken in order, and
// the device opens only when the wait ends with the device still there.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "link/session_harness.h"

namespace vexel::testing {
namespace {

// The owner's timers, fired by the test.
class FakeArrivalTimer final : public ArrivalTimer {
 public:
  void StartArrivalWait(DriverLink link, Clock::Ms wait) override {
    running[Index(link)] = true;
    EXPECT_EQ(wait, DeviceSession::kArrivalWait);
    ++starts;
  }
  void StopArrivalWait(DriverLink link) override { running[Index(link)] = false; }
  static std::size_t Index(DriverLink link) { return link == DriverLink::kWired ? 0 : 1; }

  std::array<bool, 2> running{};
  int starts = 0;
};

struct Case {
  bool open_at_start;
  // A = arrival, R = removal (both through the monitor's message), F = the
  // timer fires if it runs, L = a late expiry that was already on its way
  // when the timer was stopped.
  const char* events;
  int link_flag;
  int opens;  // Open_FeatureDevice calls after start-up
  bool waiting;
  int starts;
};

constexpr Case kCases[] = {
    {false, "A", 0, 0, true, 1},      // the wait runs: not opened yet
    {false, "AF", 1, 1, false, 1},    // opened when it ends
    {false, "AAF", 1, 1, false, 1},   // a second arrival inside the wait changes nothing
    {false, "ARF", 2, 0, false, 1},   // gone again inside the wait: never opened
    {false, "ARL", 2, 0, false, 1},   // a late expiry opens nothing
    {false, "ARAF", 1, 1, false, 2},  // removal then arrival: a new wait
    {true, "RAF", 1, 1, false, 1},    // an open link removed and back
    {true, "RA", 2, 0, true, 1},     {true, "A", 1, 0, false, 0},  // already open: no wait
};

TEST(ArrivalWait, EventsInsideTheWaitAreTakenInOrder) {
  for (const DriverLink link : {DriverLink::kWired, DriverLink::kWireless}) {
    for (const Case& c : kCases) {
      const bool wired = link == DriverLink::kWired;
      SCOPED_TRACE(std::string(wired ? "wired " : "wireless ") + c.events +
                   (c.open_at_start ? " (open at start)" : ""));
      SessionHarness h;
      FakeDriverState& driver = wired ? h.wired : h.wireless;
      // Only the link under test, so that it alone decides presence.
      (wired ? h.wireless : h.wired).open_result = 0;
      driver.open_result = c.open_at_start ? 1 : 0;
      FakeArrivalTimer timer;
      h.Start();
      h.session->SetArrivalTimer(&timer);
      const int opens_before = driver.CountCalls("Open_FeatureDevice");
      for (const char* event = c.events; *event != '\0'; ++event) {
        if (*event == 'A' || *event == 'R') {
          driver.PostConnection(*event == 'A');
          h.Pump();
        } else if (*event == 'L' || timer.running[FakeArrivalTimer::Index(link)]) {
          timer.running[FakeArrivalTimer::Index(link)] = false;
          h.session->OnArrivalWaitOver(link);
        }
      }
      const protocol::LinkFlags& flags = h.session->links();
      EXPECT_EQ(wired ? flags.wired_link : flags.wireless_link, c.link_flag);
      EXPECT_EQ(driver.CountCalls("Open_FeatureDevice") - opens_before, c.opens);
      EXPECT_EQ(h.session->ArrivalWaiting(link), c.waiting);
      EXPECT_EQ(timer.running[FakeArrivalTimer::Index(link)], c.waiting);
      EXPECT_EQ(timer.starts, c.starts);
      EXPECT_EQ(h.session->device_present(), c.link_flag == 1 ? 1 : 0);
      EXPECT_TRUE(h.clock.Sleeps().empty()) << "the UI thread never sleeps";
      h.session->SetArrivalTimer(nullptr);
    }
  }
}

}  // namespace
}  // namespace vexel::testing
