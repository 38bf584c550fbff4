// Change detection, the apply cycle and its worker thread against a host that
// records every report and every effect in order, with a scriptable send result.
#include "protocol/apply_cycle.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <mutex>
#include <semaphore>
#include <string>
#include <thread>
#include <vector>

#include "protocol/apply_worker.h"
#include "protocol/change_detection.h"
#include "protocol/frame.h"
#include "protocol/reports.h"

namespace vexel::protocol {
namespace {

// The button area, and with `button` >= 0 that button's macro.
DirtyFlags ButtonArea(int button = -1) {
  DirtyFlags flags{.button_map = true};
  if (button >= 0) flags.button[button] = true;
  return flags;
}

class ChangeDetection : public ::testing::Test {
 protected:
  ChangeDetection() : baseline_(MakeZeroProfile()) { ApplyProfileDefaults(*baseline_); }
  // What flipping bits of the byte at `offset` marks.
  DirtyFlags MarkedAt(std::size_t offset) {
    auto edited = std::make_unique<ProfileRecord>(*baseline_);
    reinterpret_cast<unsigned char*>(edited.get())[offset] ^= 0x5A;
    return DetectChanges(*edited, *baseline_);
  }
  std::unique_ptr<ProfileRecord> baseline_;
};

#define AT(field) offsetof(ProfileRecord, field)

TEST_F(ChangeDetection, EachListedFieldMarksOnlyItsBlockAndOthersNothing) {
  const struct {
    DirtyFlags expected;
    std::vector<std::size_t> fields;
  } blocks[] = {
      {{.polling_rate = true}, {AT(polling_rate)}},
      {{.performance = true},
       {AT(dpi_stage_current), AT(reserved_2224), AT(lift_off_distance), AT(performance_reserved),
        AT(ripple_control), AT(angle_snap), AT(dpi_x[7]), AT(dpi_y[0]), AT(dpi_stage_enabled[6]),
        AT(dpi_colour[3].green)}},
      {{.lighting = true},
       {AT(light_mode), AT(light_mode_ble), AT(light_breath_speed), AT(light_brightness),
        AT(key_debounce), AT(light_colour.red), AT(sleep_timer), AT(light_off_timer)}},
      {{},
       {AT(name), AT(reserved_text_a[3]), AT(reserved_2200), AT(reserved_2212),
        AT(reserved_2216[7]), AT(reserved_2236[0]), AT(movement_mode), AT(reserved_2376),
        AT(reserved_2388), AT(reserved_colour[5].blue)}},
      // A macro's mode, repeat, reserved words and steps mark its button too.
      {ButtonArea(4), {AT(button[4].macro_actions[45].delay)}},
      {ButtonArea(17),
       {AT(button[17].macro_mode), AT(button[17].macro_repeat), AT(button[17].macro_reserved),
        AT(button[17].reserved_1085[2])}},
      // The action count and reserved slots 18-23 lie in the button area only.
      {ButtonArea(), {AT(button[2].macro_action_count), AT(button[23].reserved_70[0])}},
  };
  for (const auto& block : blocks) {
    for (const std::size_t offset : block.fields)
      EXPECT_EQ(MarkedAt(offset), block.expected) << "offset " << offset;
  }
  EXPECT_EQ(DetectChanges(*baseline_, *baseline_), DirtyFlags{});
}

#undef AT

// The worker writes sends and events, the test reads them once the worker
// is idle; only the edited profile is shared while a cycle runs.
class FakeApplyHost : public ApplyHost {
 public:
  FakeApplyHost() : edited(MakeZeroProfile()) { ApplyProfileDefaults(*edited); }

  int SendReport(std::span<const uint8_t> report) override {
    // A macro report names its button.
    const uint8_t kind = report[0];
    sends.push_back(std::to_string(kind) +
                    (kind == kKindMacro ? " " + std::to_string(report[2]) : ""));
    events.push_back("send " + sends.back());
    return send_result ? send_result(kind) : 1;
  }
  bool SnapshotEditedProfile(ProfileRecord& out) override {
    std::lock_guard lock(mutex);
    out = *edited;
    return true;
  }
  void SaveProfileStore() override { events.push_back("save"); }
  void KillWirelessTimeout() override { events.push_back("kill 512"); }
  void StartWirelessTimeout() override { events.push_back("start 512"); }
  void ShowBusyIndicator(bool visible) override {
    events.push_back(visible ? "ring on" : "ring off");
  }
  bool AnyLinkOpen() override { return link_open; }

  void Edit(const std::function<void(ProfileRecord&)>& edit) {
    std::lock_guard lock(mutex);
    edit(*edited);
  }

  std::mutex mutex;  // guards edited, as the page's profile lock does
  std::unique_ptr<ProfileRecord> edited;
  std::vector<std::string> sends;  // kinds, and the button of a macro
  std::vector<std::string> events;
  std::function<int(uint8_t kind)> send_result;
  std::atomic<bool> link_open{true};
};

using Events = std::vector<std::string>;

class ApplyCycleTest : public ::testing::Test {
 protected:
  ApplyCycleTest() : cycle(host) {
    cycle.SetApplyBlocked(false);
    cycle.SetBaseline(*host.edited);
  }
  void RunClean() {
    host.sends.clear();
    host.events.clear();
    cycle.Run();
  }
  FakeApplyHost host;
  ApplyCycle cycle;
};

TEST_F(ApplyCycleTest, FullApplySendsEverythingInOrderAndNoDifferenceNothingButSaves) {
  host.Edit([](ProfileRecord& p) {
    p.button[9].function_code = kFunctionMacro;
    p.button[2].function_code = kFunctionMacro;
  });
  cycle.SetFullApplyPending(true);
  RunClean();
  EXPECT_EQ(host.events,
            (Events{"kill 512", "ring on", "send 12", "send 4", "send 5", "send 6", "send 8",
                    "send 9 3", "send 9 10", "start 512", "save", "ring off"}));
  EXPECT_FALSE(cycle.full_apply_pending());
  RunClean();
  EXPECT_EQ(host.events, (Events{"kill 512", "ring on", "start 512", "save", "ring off"}));

  // Blocked does nothing at all.
  cycle.SetApplyBlocked(true);
  cycle.SetFullApplyPending(true);
  RunClean();
  EXPECT_TRUE(host.events.empty());
  EXPECT_TRUE(cycle.full_apply_pending());
}

TEST_F(ApplyCycleTest, OnlyTheChangedBlocksGo) {
  host.Edit([](ProfileRecord& p) { p.button[4].function_code = kFunctionMacro; });
  RunClean();
  EXPECT_EQ(host.sends, Events{"8"});
  // A macro-bound button's steps: the button map and that macro report only.
  host.Edit([](ProfileRecord& p) { p.button[4].macro_actions[0] = {4, kActionPress, 30}; });
  RunClean();
  EXPECT_EQ(host.sends, (Events{"8", "9 5"}));
  // Macro changes on a button that is not bound to a macro send no macro report.
  host.Edit([](ProfileRecord& p) { p.button[5].macro_actions[0] = {4, kActionPress, 30}; });
  RunClean();
  EXPECT_EQ(host.sends, Events{"8"});
}

TEST_F(ApplyCycleTest, FailedSendsAreRetriedDeliveredOnesAreNot) {
  host.Edit([](ProfileRecord& p) {
    p.light_mode = 2;
    p.dpi_x[0] = 7;
    p.button[0].function_code = kFunctionMacro;
    p.button[0].macro_actions[0] = {4, kActionPress, 10};
  });
  // Lighting and the macro of button 1 fail; performance and the map arrive.
  host.send_result = [](uint8_t kind) {
    return kind == kKindLighting || kind == kKindMacro ? 0 : 1;
  };
  RunClean();
  EXPECT_EQ(host.sends, (Events{"4", "5", "8", "9 1"}));
  const DirtyFlags undelivered = cycle.Undelivered();
  EXPECT_TRUE(undelivered.lighting && undelivered.button[0] && !undelivered.performance);

  host.send_result = nullptr;
  RunClean();
  EXPECT_EQ(host.sends, (Events{"5", "9 1"}));
  RunClean();
  EXPECT_TRUE(host.sends.empty());
}

// Holds each send until the test lets it go, so a test can act while a
// delivery is under way without sleeping.
struct Gate {
  int Pass() {
    arrived.release();
    open.acquire();
    return 1;
  }
  std::counting_semaphore<> arrived{0};
  std::counting_semaphore<> open{0};
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
  EXPECT_EQ(host.sends, Events{"5"});
}

TEST_F(ApplyWorkerTest, QuitLetsTheCycleUnderWayFinish) {
  Gate gate;
  host.send_result = [&](uint8_t) { return gate.Pass(); };
  host.Edit([](ProfileRecord& p) {
    p.light_mode = 3;
    p.polling_rate = 1;
  });
  auto worker = std::make_unique<ApplyWorker>(cycle);
  worker->PostThreadMessage(kThreadMsgApply);
  gate.arrived.acquire();
  std::thread stopper([&] { worker.reset(); });  // posts quit, waits for the thread
  gate.open.release(2);
  stopper.join();
  EXPECT_EQ(host.sends, (Events{"5", "6"}));
  EXPECT_EQ(host.events.back(), "ring off");
}

TEST_F(ApplyWorkerTest, EditDuringDeliveryIsSentByTheNextCycle) {
  Gate gate;
  host.send_result = [&](uint8_t) { return gate.Pass(); };
  ApplyWorker worker(cycle);
  host.Edit([](ProfileRecord& p) { p.light_brightness = 1; });
  worker.PostThreadMessage(kThreadMsgApply);
  gate.arrived.acquire();
  // The UI thread edits while the lighting report is on its way.
  host.Edit([](ProfileRecord& p) {
    p.light_brightness = 2;
    p.dpi_x[1] = 12;
  });
  gate.open.release();
  worker.WaitIdle();
  EXPECT_EQ(cycle.Baseline().light_brightness, 1);

  worker.PostThreadMessage(kThreadMsgApply);
  gate.open.release(2);
  worker.WaitIdle();
  EXPECT_EQ(host.sends, (Events{"5", "4", "5"}));
  EXPECT_EQ(cycle.Baseline().light_brightness, 2);
}

}  // namespace
}  // namespace vexel::protocol
