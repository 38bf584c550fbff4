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

TEST_F(BleSession, FullApplyWritesEveryReportButThePollingRateWithItsByteCount) {
  h.Start();
  h.session->SetBleConnected(true);
  std::vector<std::pair<std::vector<uint8_t>, protocol::Delivery>> sent;
  h.session->SetSendObserver([&](std::span<const uint8_t> report, protocol::Delivery delivery) {
    sent.emplace_back(std::vector<uint8_t>(report.begin(), report.end()), delivery);
  });
  h.Apply();
  std::vector<std::vector<uint8_t>> expected;
  for (const auto& [report, delivery] : sent) {
    const bool polling_rate = report.at(0) == protocol::kKindPollingRate;
    EXPECT_EQ(delivery, polling_rate ? protocol::Delivery::kNotCarried
                                     : protocol::Delivery::kWrittenOverBluetooth);
    if (!polling_rate) expected.push_back(link::BleValue(report));
  }
  std::vector<std::vector<uint8_t>> written;
  for (const auto& write : platform.Writes()) {
    EXPECT_EQ(write.characteristic_id, "fee3");
    written.push_back(write.value);
  }
  EXPECT_GE(expected.size(), 4u);
  EXPECT_EQ(written, expected);
}

TEST_F(BleSession, StatusValuesFromTheStackReachTheUiThread) {
  h.Start();
  h.session->SetBleConnected(true);
  h.Apply();
  struct Case {
    std::vector<uint8_t> value;
    std::string logged;    // a debug line that starts so; empty: none expected
    int dpi_stage;         // the edited profile's stage afterwards
    std::string observed;  // what the page is told; empty: nothing
  };
  const Case cases[] = {
      {{0x10, 0x10, 0x04, 0x00}, "HR dwLeft = 1010, dwRight = 0004, ", 3, "dpi 3"},
      {{}, "datasize 0\n", 3, ""},
      {{0x10, 0x10, 0x02}, "", 3, ""},  // too short to hold a status: not read
      {{0x10, 0x40, 0x01, 0x37, 0xFF, 0xFF}, "HR dwLeft = 4010, dwRight = 3701, ", 3, "battery 55"},
      {{0x10, 0x40, 0x02, 0x64}, "HR dwLeft = 4010, dwRight = 6402, ", 3, "charging stop"},
  };
  for (const Case& c : cases) {
    {
      std::lock_guard lock(debug_mutex);
      debug_lines.clear();
    }
    h.observer.Take();
    NotifyFromStack(c.value);
    EXPECT_EQ(Logged(c.logged.empty() ? "HR " : c.logged), !c.logged.empty()) << c.logged;
    EXPECT_EQ(h.Edited().dpi_stage_current, c.dpi_stage);
    const std::vector<std::string> seen = h.observer.Take();
    if (c.observed.empty()) {
      EXPECT_TRUE(seen.empty()) << c.value.size();
    } else {
      EXPECT_TRUE(std::ranges::any_of(seen, [&](const std::string& word) {
        return word.rfind(c.observed, 0) == 0;
      })) << c.observed;
    }
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
