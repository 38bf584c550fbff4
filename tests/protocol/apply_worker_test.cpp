#include "protocol/apply_worker.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <thread>

#include "fake_apply_host.h"
#include "protocol/frame.h"

namespace vexel::protocol {
namespace {

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

class ApplyWorkerTest : public ::testing::Test {
 protected:
  ApplyWorkerTest() : cycle(host) {
    cycle.SetApplyBlocked(false);
    cycle.SetBaseline(*host.edited);
  }
  FakeApplyHost host;
  ApplyCycle cycle;
};

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
