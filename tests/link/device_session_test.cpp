// The device session alone: fake driver libraries, a fake Bluetooth stack, a
// manual clock, a message queue in place of the main window, and an observer
// that records what the page would show. No toolkit is linked into this test.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "link/device_session.h"
#include "link/session_loop.h"
#include "platform/fake_gatt_platform.h"
#include "support/fake_driver_library.h"
#include "support/run_command.h"

namespace vexel::testing {
namespace {

// What the session asked to be shown, as short words in order.
class RecordingObserver final : public SessionObserver {
 public:
  void ShowLinkIcon(LinkIcon icon, bool visible) override {
    const char* names[] = {"wired", "wireless", "ble"};
    Add(names[static_cast<int>(icon)] + std::string(visible ? "+" : "-"));
  }
  void RefreshLinkControls() override { Add("refresh"); }
  void ShowSleepLabel(bool visible) override { Add(visible ? "sleep+" : "sleep-"); }
  void OnDevicePresenceChanged() override { Add("presence"); }
  void OnDpiStageFromMouse(int stage, int32_t dpi) override {
    Add("dpi " + std::to_string(stage) + " " + std::to_string(dpi));
  }
  void ShowBatteryLevel(int percent) override { Add("battery " + std::to_string(percent)); }
  void StopChargingAnimation() override { Add("charging stop"); }
  void SetWirelessTimeout(bool on) override { Add(on ? "timeout+" : "timeout-"); }
  void OnProfilesSaved(std::string_view, std::string_view error) override {
    Add(error.empty() ? "saved" : "save failed");
  }
  void Add(std::string word) { seen.push_back(std::move(word)); }
  std::vector<std::string> Take() { return std::exchange(seen, {}); }
  bool Saw(const std::string& word) const { return std::ranges::count(seen, word) > 0; }

  std::vector<std::string> seen;
};

class SessionHarness {
 public:
  SessionHarness() : store(StorePaths{data.path()}) {}
  ~SessionHarness() { session.reset(); }

  void Start() {
    session = std::make_unique<DeviceSession>(
        SessionServices{clock, loader, probe, "/program", debug, gatt_platform}, store,
        VexelPostTarget{&SessionHarness::Post, this});
    session->SetObserver(&observer);
    session->Start();
    session->AdoptStartupStore(LoadStoreAtStartup(store, u"Profile"));
  }
  // Runs what the monitors and the worker posted, as the main window would.
  void Pump() {
    for (auto taken = TakeQueue(); !taken.empty(); taken = TakeQueue()) {
      for (auto [id, wparam, lparam] : taken)
        EXPECT_TRUE(session->HandleMessage(id, wparam, lparam)) << "message " << id;
    }
  }
  std::deque<std::tuple<uint32_t, uintptr_t, intptr_t>> TakeQueue() {
    std::lock_guard lock(mutex);
    return std::exchange(queue, {});
  }
  // One apply to its end, with the queue pumped meanwhile.
  void Apply() {
    session->ForwardApplyRequest();
    session->worker()->WaitIdle();
    Pump();
  }
  // The first byte (the report kind) of each report sent over the cable since `before`.
  std::vector<uint8_t> KindsSince(std::size_t before) {
    std::vector<uint8_t> kinds;
    const auto sent = wired.Sent();
    for (std::size_t i = before; i < sent.size(); ++i) kinds.push_back(sent[i].at(0));
    return kinds;
  }
  ProfileRecord Edited() {
    auto access = store.Lock();
    return *access->EditedProfile();
  }

  static void Post(void* context, uint32_t id, uintptr_t wparam, intptr_t lparam) {
    auto* self = static_cast<SessionHarness*>(context);
    std::lock_guard lock(self->mutex);
    self->queue.emplace_back(id, wparam, lparam);
  }

  // The pauses of delivery pass at once: the worker never waits in a test.
  ManualClock clock;
  FakeDriverState wired;
  FakeDriverState wireless;
  FakeLibraryLoader loader{wired, wireless};
  FakeHidProbe probe;
  TempDir data;
  ProfileStore store;
  RecordingObserver observer;
  std::mutex mutex;
  std::deque<std::tuple<uint32_t, uintptr_t, intptr_t>> queue;
  // Set before Start: the session's Bluetooth stack and debug output.
  link::GattPlatform* gatt_platform = nullptr;
  std::function<void(std::string_view)> debug;
  std::unique_ptr<DeviceSession> session;
};

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
  EXPECT_EQ(std::tuple(h.session->links().wired_link.load(), h.session->device_present()),
            std::tuple(2, 0));
  EXPECT_TRUE(h.session->apply_cycle().apply_blocked());
  EXPECT_TRUE(h.observer.Saw("wired-") && h.observer.Saw("presence"));
  const protocol::DirtyFlags undelivered = h.session->apply_cycle().Undelivered();
  EXPECT_TRUE(!undelivered.performance && undelivered.lighting && undelivered.polling_rate &&
              undelivered.button_map);
  // Back again: the next apply sends what did not arrive, nothing else.
  h.wired.set_feature_result = 1;
  h.observer.Take();
  h.wired.PostConnection(true);
  h.Pump();
  EXPECT_TRUE(h.observer.Saw("wired+") && h.observer.Saw("sleep-"))
      << "a mouse on the cable is awake";
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
  h.Apply();  // the next battery report would wake it; pulling the receiver ends it
  h.observer.Take();
  h.wireless.PostConnection(false);
  h.Pump();
  EXPECT_TRUE(h.observer.Saw("timeout-"));
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

// The owner's timer for the one link under test, fired by the test.
class FakeArrivalTimer final : public ArrivalTimer {
 public:
  void StartArrivalWait(DriverLink, Clock::Ms wait) override {
    running = true;
    EXPECT_EQ(wait, DeviceSession::kArrivalWait);
    ++starts;
  }
  void StopArrivalWait(DriverLink) override { running = false; }
  bool running = false;
  int starts = 0;
};

TEST(ArrivalWait, EventsInsideTheWaitAreTakenInOrder) {
  const struct {
    bool open_at_start;
    // A = arrival, R = removal (both through the monitor's message), F = the
    // timer fires if it runs, L = a late expiry that was already on its way
    // when the timer was stopped.
    const char* events;
    int link_flag;
    int opens;  // Open_FeatureDevice calls after start-up
    bool waiting;
    int starts;
  } cases[] = {
      {false, "A", 0, 0, true, 1},      // the wait runs: not opened yet
      {false, "AF", 1, 1, false, 1},    // opened when it ends
      {false, "AAF", 1, 1, false, 1},   // a second arrival inside the wait changes nothing
      {false, "ARF", 2, 0, false, 1},   // gone again inside the wait: never opened
      {false, "ARL", 2, 0, false, 1},   // a late expiry opens nothing
      {false, "ARAF", 1, 1, false, 2},  // removal then arrival: a new wait
      {true, "RAF", 1, 1, false, 1},    // an open link removed and back
      {true, "RA", 2, 0, true, 1},     {true, "A", 1, 0, false, 0},  // already open: no wait
  };
  for (const DriverLink link : {DriverLink::kWired, DriverLink::kWireless}) {
    for (const auto& c : cases) {
      const bool wired = link == DriverLink::kWired;
      SCOPED_TRACE(std::string(wired ? "wired " : "wireless ") + c.events +
                   (c.open_at_start ? " (open at start)" : ""));
      FakeArrivalTimer timer;  // outlives the session
      SessionHarness h;
      FakeDriverState& driver = wired ? h.wired : h.wireless;
      // Only the link under test, so that it alone decides presence.
      (wired ? h.wireless : h.wired).open_result = 0;
      driver.open_result = c.open_at_start ? 1 : 0;
      h.Start();
      h.session->SetArrivalTimer(&timer);
      const int opens_before = driver.CountCalls("Open_FeatureDevice");
      for (const char* event = c.events; *event != '\0'; ++event) {
        if (*event == 'A' || *event == 'R') {
          driver.PostConnection(*event == 'A');
          h.Pump();
        } else if (*event == 'L' || std::exchange(timer.running, false)) {
          h.session->OnArrivalWaitOver(link);
        }
      }
      const protocol::LinkFlags& flags = h.session->links();
      EXPECT_EQ(wired ? flags.wired_link : flags.wireless_link, c.link_flag);
      EXPECT_EQ(h.session->device_present(), c.link_flag == 1 ? 1 : 0);
      EXPECT_EQ(driver.CountCalls("Open_FeatureDevice") - opens_before, c.opens);
      EXPECT_EQ(std::pair(h.session->ArrivalWaiting(link), timer.running),
                std::pair(c.waiting, c.waiting));
      EXPECT_EQ(timer.starts, c.starts);
      EXPECT_TRUE(h.clock.Sleeps().empty()) << "the UI thread never sleeps";
    }
  }
}

// Only Bluetooth is there: no cable, no receiver.
class BleSession : public ::testing::Test {
 protected:
  BleSession() {
    platform.AddDevice({"Vexel", "BTHLE\\Dev_c0ffee001122", true});
    platform.AddService("/org/bluez/hci0/dev_C0_FF_EE_00_11_22/VID&02045E_PID&0040_c0ffee001122",
                        {{"fee3", link::kBleReportCharacteristic, 12, false, true},
                         {"fee4", link::kBleStatusCharacteristic, 12, true, false}});
    h.wired.open_result = 0;
    h.wireless.open_result = 0;
    h.gatt_platform = &platform;
    h.debug = [this](std::string_view line) {
      std::lock_guard lock(debug_mutex);
      debug += line;
    };
  }
  // What the stack sends, from a thread of its own as BlueZ does; the debug
  // output it caused.
  std::string NotifyFromStack(std::vector<uint8_t> value) {
    std::thread([&] { platform.Notify("fee4", value); }).join();
    h.Pump();
    std::lock_guard lock(debug_mutex);
    return std::exchange(debug, {});
  }

  // Before the harness: the session writes debug lines until it is gone.
  link::FakeGattPlatform platform;
  std::mutex debug_mutex;
  std::string debug;
  SessionHarness h;
};

TEST_F(BleSession, TheLinkFollowsTheSwitchAndStatusValuesFromTheStackReachTheUiThread) {
  h.Start();
  EXPECT_EQ(h.session->links().ble_link, 1) << "found without a HID node";
  EXPECT_EQ(h.session->device_present(), 1);
  EXPECT_EQ(platform.LiveSubscriptions(), 0u) << "subscribed only once switched on";
  for (const bool on : {true, true, false, false, true}) {
    h.session->SetBleConnected(on);
    EXPECT_EQ(platform.LiveSubscriptions(), on ? 1u : 0u) << on;
    EXPECT_EQ(h.session->links().ble_link, on ? 1 : 0);
  }
  h.Apply();
  const struct {
    std::vector<uint8_t> value;
    std::string logged;  // in the debug output; empty: no status line
    std::vector<std::string> observed;
  } cases[] = {
      {{0x10, 0x10, 0x04, 0x00}, "HR dwLeft = 1010, dwRight = 0004", {"dpi 3 30", "saved"}},
      {{}, "datasize 0\n", {}},
      {{0x10, 0x10, 0x02}, "", {}},  // too short to hold a status: not read
      {{0x10, 0x40, 0x01, 0x37, 0xFF, 0xFF},
       "4010, dwRight = 3701",
       {"charging stop", "battery 55"}},
      {{0x10, 0x40, 0x02, 0x64}, "4010, dwRight = 6402", {"charging stop", "battery 100"}},
  };
  NotifyFromStack({});
  h.observer.Take();
  for (const auto& c : cases) {
    const std::string logged = NotifyFromStack(c.value);
    EXPECT_EQ(logged.find(c.logged.empty() ? "HR " : c.logged) != std::string::npos,
              !c.logged.empty())
        << logged;
    EXPECT_EQ(h.Edited().dpi_stage_current, 3);
    EXPECT_EQ(h.observer.Take(), c.observed) << c.logged;
  }
  h.session.reset();
  EXPECT_EQ(platform.LiveSubscriptions(), 0u) << "teardown unsubscribes";
}

TEST_F(BleSession, SwitchingOffWhileTheWorkerWritesStopsTheWrites) {
  h.Start();
  h.session->SetBleConnected(true);
  h.session->ForwardApplyRequest();
  h.session->SetBleConnected(false);
  h.session->worker()->WaitIdle();
  h.Pump();
  const std::size_t written = platform.Writes().size();
  EXPECT_LE(written, 4u);
  h.session->SetFullApplyPending(true);
  h.Apply();
  EXPECT_EQ(platform.Writes().size(), written) << "nothing goes over a link that is off";
}

}  // namespace
}  // namespace vexel::testing
