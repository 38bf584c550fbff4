#include "protocol/apply_cycle.h"

#include <gtest/gtest.h>

#include "fake_apply_host.h"
#include "protocol/frame.h"
#include "protocol/reports.h"

namespace vexel::protocol {
namespace {

using Kinds = std::vector<uint8_t>;

class ApplyCycleTest : public ::testing::Test {
 protected:
  ApplyCycleTest() : cycle(host) {
    cycle.SetApplyBlocked(false);
    cycle.SetBaseline(*host.edited);
  }
  void RunClean() {
    host.reports.clear();
    host.events.clear();
    cycle.Run();
  }
  FakeApplyHost host;
  ApplyCycle cycle;
};

TEST_F(ApplyCycleTest, FullApplySendsEverythingInOrder) {
  host.Edit([](ProfileRecord& p) {
    p.button[9].function_code = kFunctionMacro;
    p.button[2].function_code = kFunctionMacro;
  });
  cycle.SetFullApplyPending(true);
  RunClean();
  EXPECT_EQ(host.Kinds(), (Kinds{kKindReset, kKindPerformance, kKindLighting, kKindPollingRate,
                                 kKindButtonMap, kKindMacro, kKindMacro}));
  EXPECT_EQ(host.reports[5][2], 3);
  EXPECT_EQ(host.reports[6][2], 10);
  EXPECT_FALSE(cycle.full_apply_pending());
  EXPECT_EQ(host.events.front(), "kill 512");
  EXPECT_EQ(host.events[1], "ring on");
  const std::vector<std::string> tail(host.events.end() - 3, host.events.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"start 512", "save", "ring off"}));
}

TEST_F(ApplyCycleTest, NoDifferenceSendsNothingButSavesAndRestartsTimeout) {
  RunClean();
  EXPECT_TRUE(host.reports.empty());
  EXPECT_EQ(host.events,
            (std::vector<std::string>{"kill 512", "ring on", "start 512", "save", "ring off"}));
}

TEST_F(ApplyCycleTest, OnlyTheChangedBlocksGo) {
  host.Edit([](ProfileRecord& p) { p.dpi_colour[2].red = 9; });
  RunClean();
  EXPECT_EQ(host.Kinds(), (Kinds{kKindPerformance}));

  host.Edit([](ProfileRecord& p) { p.polling_rate = 0; });
  RunClean();
  EXPECT_EQ(host.reports, (std::vector<std::vector<uint8_t>>{{6, 9, 1, 8, 0xF7, 0, 0, 0, 0}}));

  // A macro-bound button's steps: the button map and that macro report only.
  host.Edit([](ProfileRecord& p) { p.button[4].function_code = kFunctionMacro; });
  RunClean();
  host.Edit([](ProfileRecord& p) { p.button[4].macro_actions[0] = {4, kActionPress, 30}; });
  RunClean();
  EXPECT_EQ(host.Kinds(), (Kinds{kKindButtonMap, kKindMacro}));
  EXPECT_EQ(host.reports[1][2], 5);

  // Macro changes on a button that is not bound to a macro send no macro report.
  host.Edit([](ProfileRecord& p) { p.button[5].macro_actions[0] = {4, kActionPress, 30}; });
  RunClean();
  EXPECT_EQ(host.Kinds(), (Kinds{kKindButtonMap}));
}

TEST_F(ApplyCycleTest, BlockedApplyDoesNothingAtAll) {
  cycle.SetApplyBlocked(true);
  cycle.SetFullApplyPending(true);
  RunClean();
  EXPECT_TRUE(host.events.empty());
  EXPECT_TRUE(cycle.full_apply_pending());
}

TEST_F(ApplyCycleTest, FailedSendsAreRetriedDeliveredOnesAreNot) {
  host.Edit([](ProfileRecord& p) {
    p.light_mode = 2;
    p.dpi_x[0] = 7;
    p.button[0].function_code = kFunctionMacro;
    p.button[0].macro_actions[0] = {4, kActionPress, 10};
  });
  // Lighting and the macro of button 1 fail; performance and the map arrive.
  host.send_result = [](const std::vector<uint8_t>& report) {
    return report[0] == kKindLighting || report[0] == kKindMacro ? 0 : 1;
  };
  RunClean();
  EXPECT_EQ(host.Kinds(), (Kinds{kKindPerformance, kKindLighting, kKindButtonMap, kKindMacro}));
  const DirtyFlags undelivered = cycle.Undelivered();
  EXPECT_TRUE(undelivered.lighting);
  EXPECT_TRUE(undelivered.button[0]);
  EXPECT_FALSE(undelivered.performance);

  host.send_result = nullptr;
  RunClean();
  EXPECT_EQ(host.Kinds(), (Kinds{kKindLighting, kKindMacro}));
  RunClean();
  EXPECT_TRUE(host.reports.empty());
}

}  // namespace
}  // namespace vexel::protocol
