// The device session with its BLE link on a fake Bluetooth stack: switching
// the link, an apply over Bluetooth alone, status values from the stack's
// own thread, and switching off while the worker writes.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "link/session_harness.h"
#include "platform/fake_gatt_platform.h"
#include "protocol/reports.h"

namespace vexel::testing {
namespace {

using link::FakeGattPlatform;

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
      debug_lines.emplace_back(line);
    };
  }
  // What the stack sends, from a thread of its own as BlueZ does.
  void NotifyFromStack(std::vector<uint8_t> value) {
    std::thread([&] { platform.Notify("fee4", value); }).join();
    h.Pump();
  }
  bool Logged(const std::string& start) {
    std::lock_guard lock(debug_mutex);
    for (const std::string& line : debug_lines)
      if (line.rfind(start, 0) == 0) return true;
    return false;
  }

  // Before the harness: the session writes debug lines until it is gone.
  FakeGattPlatform platform;
  std::mutex debug_mutex;
  std::vector<std::string> debug_lines;
  SessionHarness h;
};

TEST_F(BleSession, StartUpFindsTheVendorServiceAndTheLinkFollowsTheSwitch) {
  h.Start();
  EXPECT_EQ(h.session->links().ble_link, 1) << "found without a HID node";
  EXPECT_EQ(h.session->device_present(), 1);
  EXPECT_EQ(platform.LiveSubscriptions(), 0u) << "subscribed only once switched on";
  for (const bool on : {true, true, false, false, true}) {
    h.session->SetBleConnected(on);
    EXPECT_EQ(platform.LiveSubscriptions(), on ? 1u : 0u) << on;
    EXPECT_EQ(h.session->links().ble_link, on ? 1 : 0);
  }
  h.session.reset();
  EXPECT_EQ(platform.LiveSubscriptions(), 0u) << "teardown unsubscribes";
}

// The bytes of each value are pinned by the link's own test.
TEST_F(BleSession, FullApplyWritesEveryReportButThePollingRateWithItsByteCount) {
  h.Start();
  h.session->SetBleConnected(true);
  h.Apply();
  std::vector<std::pair<int, int>> written;  // kind, byte count
  for (const auto& write : platform.Writes())
    written.emplace_back(write.value.at(4), write.value[0]);
  EXPECT_EQ(written,
            (std::vector<std::pair<int, int>>{{0x0C, 10}, {0x04, 56}, {0x05, 15}, {0x08, 59}}));
}

TEST_F(BleSession, StatusValuesFromTheStackReachTheUiThread) {
  h.Start();
  h.session->SetBleConnected(true);
  h.Apply();
  const struct {
    std::vector<uint8_t> value;
    std::string logged;  // a debug line that starts so; empty: none expected
    std::vector<std::string> observed;
  } cases[] = {
      {{0x10, 0x10, 0x04, 0x00}, "HR dwLeft = 1010, dwRight = 0004, ", {"dpi 3 30", "saved"}},
      {{}, "datasize 0\n", {}},
      {{0x10, 0x10, 0x02}, "", {}},  // too short to hold a status: not read
      {{0x10, 0x40, 0x01, 0x37, 0xFF, 0xFF},
       "HR dwLeft = 4010, dwRight = 3701, ",
       {"charging stop", "battery 55"}},
      {{0x10, 0x40, 0x02, 0x64},
       "HR dwLeft = 4010, dwRight = 6402, ",
       {"charging stop", "battery 100"}},
  };
  for (const auto& c : cases) {
    {
      std::lock_guard lock(debug_mutex);
      debug_lines.clear();
    }
    h.observer.Take();
    NotifyFromStack(c.value);
    EXPECT_EQ(Logged(c.logged.empty() ? "HR " : c.logged), !c.logged.empty()) << c.logged;
    EXPECT_EQ(h.Edited().dpi_stage_current, 3);
    EXPECT_EQ(h.observer.Take(), c.observed) << c.logged;
  }
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
