// The apply cycle and its worker thread against a host that records every
// report and every effect in order, with a scriptable send result.
#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "protocol/apply_cycle.h"
#include "protocol/apply_worker.h"
#include "protocol/frame.h"
#include "protocol/reports.h"

namespace vexel::protocol {
namespace {

class FakeApplyHost : public ApplyHost {
 public:
  FakeApplyHost() : edited(MakeZeroProfile()) { ApplyProfileDefaults(*edited); }

  int SendReport(std::span<const uint8_t> report) override {
    std::vector<uint8_t> bytes(report.begin(), report.end());
    {
      std::lock_guard lock(mutex);
      reports.push_back(bytes);
      events.push_back("send " + std::to_string(bytes[0]));
    }
    return send_result ? send_result(bytes) : 1;
  }
  bool SnapshotEditedProfile(ProfileRecord& out) override {
    std::lock_guard lock(mutex);
    out = *edited;
    return true;
  }
  void SaveProfileStore() override { Record("save"); }
  void KillWirelessTimeout() override { Record("kill 512"); }
  void StartWirelessTimeout() override { Record("start 512"); }
  void ShowBusyIndicator(bool visible) override { Record(visible ? "ring on" : "ring off"); }
  bool AnyLinkOpen() override { return link_open; }

  void Record(const std::string& event) {
    std::lock_guard lock(mutex);
    events.push_back(event);
  }
  std::vector<uint8_t> Kinds() {
    std::lock_guard lock(mutex);
    std::vector<uint8_t> kinds;
    for (const auto& report : reports) kinds.push_back(report[0]);
    return kinds;
  }
  void Edit(const std::function<void(ProfileRecord&)>& edit) {
    std::lock_guard lock(mutex);
    edit(*edited);
  }

  std::mutex mutex;  // guards edited, as the page's profile lock does
  std::unique_ptr<ProfileRecord> edited;
  std::vector<std::vector<uint8_t>> reports;
  std::vector<std::string> events;
  std::function<int(const std::vector<uint8_t>&)> send_result;
  std::atomic<bool> link_open{true};
};

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

TEST_F(ApplyCycleTest, NoDifferenceSendsNothingButSavesAndBlockedDoesNothingAtAll) {
  RunClean();
  EXPECT_TRUE(host.reports.empty());
  EXPECT_EQ(host.events,
            (std::vector<std::string>{"kill 512", "ring on", "start 512", "save", "ring off"}));
  cycle.SetApplyBlocked(true);
  cycle.SetFullApplyPending(true);
  RunClean();
  EXPECT_TRUE(host.events.empty());
  EXPECT_TRUE(cycle.full_apply_pending());
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

// Holds each send until the test lets it go, so a test can act while a
// delivery is under way without sleeping.
class Gate {
 public:
  int Pass() {
    std::unique_lock lock(mutex_);
    ++waiting_;
    changed_.notify_all();
    changed_.wait(lock, [this] { return open_ > 0; });
    --open_;
    return 1;
  }
  void WaitForSender() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return waiting_ > 0; });
    --waiting_;
  }
  void Release(int count = 1) {
    std::lock_guard lock(mutex_);
    open_ += count;
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int waiting_ = 0;
  int open_ = 0;
};

class ApplyWorkerTest : public ApplyCycleTest {};

TEST_F(ApplyWorkerTest, RunsOneCyclePerApplyMessageOnlyWithALink) {
  ApplyWorker worker(cycle);
  host.Edit([](ProfileRecord& p) { p.light_mode = 3; });
  host.link_open = false;
  worker.PostThreadMessage(kThreadMsgApply);
  worker.WaitIdle();
  EXPECT_TRUE(host.events.empty());  // no link: dropped, baseline kept

  host.link_open = true;
  worker.PostThreadMessage(1541);  // not a thread message: dropped
  worker.PostThreadMessage(kThreadMsgApply);
  worker.WaitIdle();
  EXPECT_EQ(host.Kinds(), (std::vector<uint8_t>{kKindLighting}));
}

TEST_F(ApplyWorkerTest, QuitLetsTheCycleUnderWayFinish) {
  Gate gate;
  host.send_result = [&](const std::vector<uint8_t>&) { return gate.Pass(); };
  host.Edit([](ProfileRecord& p) {
    p.light_mode = 3;
    p.polling_rate = 1;
  });
  auto worker = std::make_unique<ApplyWorker>(cycle);
  worker->PostThreadMessage(kThreadMsgApply);
  gate.WaitForSender();
  std::thread stopper([&] { worker.reset(); });  // posts quit, waits for the thread
  gate.Release(2);
  stopper.join();
  EXPECT_EQ(host.Kinds(), (std::vector<uint8_t>{kKindLighting, kKindPollingRate}));
  EXPECT_EQ(host.events.back(), "ring off");
}

TEST_F(ApplyWorkerTest, EditDuringDeliveryIsSentByTheNextCycle) {
  Gate gate;
  host.send_result = [&](const std::vector<uint8_t>&) { return gate.Pass(); };
  ApplyWorker worker(cycle);
  host.Edit([](ProfileRecord& p) { p.light_brightness = 1; });
  worker.PostThreadMessage(kThreadMsgApply);
  gate.WaitForSender();
  // The UI thread edits while the lighting report is on its way.
  host.Edit([](ProfileRecord& p) {
    p.light_brightness = 2;
    p.dpi_x[1] = 12;
  });
  gate.Release();
  worker.WaitIdle();
  EXPECT_EQ(cycle.Baseline().light_brightness, 1);

  worker.PostThreadMessage(kThreadMsgApply);
  gate.WaitForSender();
  gate.Release();
  gate.WaitForSender();
  gate.Release();
  worker.WaitIdle();
  EXPECT_EQ(host.Kinds(), (std::vector<uint8_t>{kKindLighting, kKindPerformance, kKindLighting}));
  EXPECT_EQ(cycle.Baseline().light_brightness, 2);
}

}  // namespace
}  // namespace vexel::protocol
