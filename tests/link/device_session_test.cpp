// The device session alone: fake driver libraries, a manual clock, a message
// queue in place of the main window, and an observer that records what the
// page would show. No toolkit is linked into this test.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "link/session_harness.h"
#include "link/session_loop.h"
#include "protocol/reports.h"

namespace vexel::testing {
namespace {

using Kinds = std::vector<uint8_t>;

TEST(DeviceSession, FullApplyOverTheCableSendsEveryBlockInOrderAndSaves) {
  SessionHarness h;
  h.Start();
  h.Apply();
  EXPECT_EQ(h.KindsSince(0), (Kinds{0x0C, 0x04, 0x05, 0x06, 0x08}));
  EXPECT_TRUE(h.observer.Saw("saved"));
  EXPECT_TRUE(std::filesystem::exists(h.store.paths().ProfilesFile()));
  h.Apply();
  EXPECT_EQ(h.wired.Sent().size(), 5u) << "the next apply finds nothing changed";
}

// A report from the mouse takes only the fields it names: a DPI value dragged
// and a brightness waiting for its delayed apply are still sent by the next.
TEST(DeviceSession, AStatusReportLeavesEditsNotYetSentPending) {
  SessionHarness h;
  h.Start();
  h.Apply();
  {
    auto access = h.store.Lock();
    access->EditedProfile()->dpi_x[2] = 32;
    access->EditedProfile()->light_brightness = 1;
  }
  for (auto [code, value] : {std::pair{0x1010, 4}, {0x7010, 0x20}, {0x8010, 1}, {0x2010, 2}})
    h.wired.PostStatus(static_cast<uint16_t>(code), static_cast<uint16_t>(value));
  h.Pump();
  const std::size_t before = h.wired.Sent().size();
  h.Apply();  // "Apply DPI"
  ASSERT_EQ(h.KindsSince(before), (Kinds{0x04, 0x05}));
  EXPECT_EQ(h.wired.Sent()[before][10], 73);  // 3200 DPI at stage 3
  EXPECT_EQ(h.Edited().dpi_stage_current, 3) << "the stage the mouse reported";
}

TEST(DeviceSession, RemovalMidDeliveryStopsUsingTheCableAndKeepsTheBlocksForLater) {
  SessionHarness h;
  h.wireless.open_result = 0;
  h.Start();
  // The cable goes after two reports: the rest of the cycle fails.
  int sends = 0;
  h.session->SetSendObserver([&](std::span<const uint8_t>, protocol::Delivery) {
    if (++sends == 2) h.wired.set_feature_result = 0;
  });
  h.Apply();
  h.wired.PostConnection(false);
  h.Pump();
  EXPECT_EQ(h.session->links().wired_link, 2);
  EXPECT_TRUE(h.session->apply_cycle().apply_blocked());
  EXPECT_EQ(h.session->device_present(), 0);
  EXPECT_TRUE(h.observer.Saw("wired-") && h.observer.Saw("presence"));
  const protocol::DirtyFlags undelivered = h.session->apply_cycle().Undelivered();
  EXPECT_FALSE(undelivered.performance);
  EXPECT_TRUE(undelivered.lighting && undelivered.polling_rate && undelivered.button_map);
  // Back again: the next apply sends what did not arrive, nothing else.
  h.wired.set_feature_result = 1;
  h.wired.PostConnection(true);
  h.Pump();
  const std::size_t before = h.wired.Sent().size();
  h.Apply();
  EXPECT_EQ(h.KindsSince(before), (Kinds{0x05, 0x06, 0x08}));
}

// The receiver's status time-out runs again with each delivery; when it fires
// the receiver's link is shown as gone.
TEST(DeviceSession, TheWirelessTimeOutFollowsDeliveryAndEndsTheReceiversLink) {
  SessionHarness h;
  h.wired.open_result = 0;
  h.Start();
  h.wireless.PostStatus(0x4010, 0x3701);  // a battery report: the receiver's mouse is awake
  h.Pump();
  h.observer.Take();
  h.Apply();
  EXPECT_TRUE(h.observer.Saw("timeout+"));
  h.observer.Take();
  h.session->OnWirelessTimeout();
  EXPECT_TRUE(h.observer.Saw("timeout-") && h.observer.Saw("wireless-"));
  EXPECT_FALSE(h.observer.Saw("timeout+"));
}

TEST(DeviceSession, AFlappingLinkDoesNotStretchTheListeningTime) {
  SessionHarness h;  // its fakes, with the program's own message loop
  SessionLoop loop(h.clock);
  DeviceSession session(SessionServices{h.clock, h.loader, h.probe, "/program", {}}, h.store,
                        loop.PostTarget());
  session.Start();
  // Twenty removals and arrivals queued at once: each arrival waits 1 s.
  for (int i = 0; i < 20; ++i) {
    h.wireless.PostConnection(false);
    h.wireless.PostConnection(true);
  }
  const Clock::Ms start = h.clock.Now();
  EXPECT_FALSE(loop.PumpUntil(session, Clock::Ms(3000), [] { return false; }));
  EXPECT_LE((h.clock.Now() - start).count(), 3000);
  EXPECT_GE((h.clock.Now() - start).count(), 2000) << "the arrivals that fit were handled";
}

}  // namespace
}  // namespace vexel::testing
