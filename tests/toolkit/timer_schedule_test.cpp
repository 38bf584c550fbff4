// The timer table both toolkits run their timers on.
#include "toolkit/timer_schedule.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vexel::toolkit {
namespace {

class TimerScheduleTest : public ::testing::Test {
 protected:
  void Advance(int ms) {
    clock_.Advance(Clock::Ms(ms));
    schedule_.RunDue();
  }
  TimerSchedule::Fire Log(std::string what) {
    return [this, what] { fired_.push_back(what); };
  }
  ManualClock clock_;
  TimerSchedule schedule_{clock_};
  std::vector<std::string> fired_;
  const int owner_a_ = 0;
  const int owner_b_ = 0;
};

TEST_F(TimerScheduleTest, FiresInOrderOfExpiryOncePerPass) {
  schedule_.Set(&owner_a_, 1, 30, Log("a30"));
  schedule_.Set(&owner_b_, 1, 10, Log("b10"));
  schedule_.Set(&owner_a_, 2, 20, Log("a20"));
  EXPECT_EQ(schedule_.NextDue(), Clock::Ms(10));
  Advance(100);  // all overdue: one firing each, earliest first
  EXPECT_EQ(fired_, (std::vector<std::string>{"b10", "a20", "a30"}));
  EXPECT_EQ(schedule_.NextDue(), Clock::Ms(110)) << "re-armed from now";
}

TEST_F(TimerScheduleTest, CallbacksMayKillAndRestartTimersDuringAPass) {
  schedule_.Set(&owner_a_, 1, 10, [this] {
    fired_.push_back("a1");
    schedule_.Kill(&owner_a_, 1);                // itself
    schedule_.Kill(&owner_a_, 2);                // due in the same pass: must not fire
    schedule_.Set(&owner_b_, 1, 50, Log("b1"));  // restarted: not in this pass
  });
  schedule_.Set(&owner_a_, 2, 10, Log("a2"));
  schedule_.Set(&owner_b_, 1, 10, Log("b1"));
  Advance(10);
  EXPECT_EQ(fired_, std::vector<std::string>{"a1"});
  Advance(49);
  EXPECT_EQ(fired_.size(), 1u);
  Advance(1);
  EXPECT_EQ(fired_, (std::vector<std::string>{"a1", "b1"}));
  EXPECT_FALSE(schedule_.IsSet(&owner_a_, 1));
}

TEST_F(TimerScheduleTest, KillAllStopsOnlyThatOwner) {
  int changes = 0;
  schedule_.SetOnChange([&] { ++changes; });
  schedule_.Set(&owner_a_, 1, 10, Log("a1"));
  schedule_.Set(&owner_a_, 7, 10, Log("a7"));
  schedule_.Set(&owner_b_, 1, 10, Log("b1"));
  schedule_.KillAll(&owner_a_);
  schedule_.KillAll(&owner_a_);  // nothing left: no change reported
  Advance(10);
  EXPECT_EQ(fired_, std::vector<std::string>{"b1"});
  EXPECT_EQ(changes, 5);  // three sets, one kill-all, one pass that fired
}

TEST_F(TimerScheduleTest, AZeroPeriodCountsAsOneMillisecond) {
  schedule_.Set(&owner_a_, 1, 0, Log("a"));
  Advance(0);
  EXPECT_TRUE(fired_.empty()) << "a zero timer must not spin inside one pass";
  Advance(1);
  EXPECT_EQ(fired_.size(), 1u);
}

}  // namespace
}  // namespace vexel::toolkit
