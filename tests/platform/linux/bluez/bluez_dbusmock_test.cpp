// The sd-bus BlueZ code against python-dbusmock's bluez5 mock on a private bus
// given as the system bus; the mouse's GATT objects are added by bluez_mock.py.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <numeric>
#include <thread>
#include <tuple>

#include "link/ble/ble_link.h"
#include "link/ble/device_presence.h"
#include "platform/linux/bluez/bluez_gatt_platform.h"
#include "platform/linux/bluez/bluez_presence_watcher.h"
#include "private_bus.h"

namespace vexel::bluez {
namespace {

constexpr char kMouseAddress[] = "C0:FF:EE:00:11:22";

class BluezDbusmockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(bus_.running() && mock_.started());
    Mock("wait");
    Mock("add-mouse", "usb:v045Ep0040d0001");
  }

  // A command of bluez_mock.py ("calls", "fee4 StartNotify": about the mouse).
  std::vector<std::string> Mock(const std::string& command, const std::string& rest = "") {
    const std::string words =
        command == "wait" ? command : command + " " + kMouseAddress + " " + rest;
    const auto result = testing::RunCommand("/usr/bin/python3 " BLUEZ_MOCK_SCRIPT " " + words);
    EXPECT_EQ(result.exit_code, 0) << words << ": " << result.err;
    return testing::Lines(result.out);
  }

  PrivateSystemBus bus_;  // first: the mock uses it
  testing::ChildProcess mock_{{"/usr/bin/python3", "-m", "dbusmock", "--template", "bluez5"},
                              "/dev/null"};
};

TEST_F(BluezDbusmockTest, FindsTheMouseWritesReportsAndReceivesStatus) {
  Mock("connect");
  BluezGattPlatform platform;
  ASSERT_TRUE(platform.Connected());
  const auto devices = platform.BluetoothDevices();
  ASSERT_EQ(devices.size(), 1u);
  EXPECT_EQ(std::tuple(devices[0].hardware_id, devices[0].friendly_name, devices[0].connected),
            std::tuple("BTHLE\\Dev_c0ffee001122", "Vexel", true));

  Inbox<std::vector<uint8_t>> notified;
  link::BleLink link(platform, [&](std::span<const uint8_t> value) {
    notified.Put({value.begin(), value.end()});
  });
  link.SwitchOn();
  EXPECT_EQ(Mock("calls", "fee4 StartNotify").size(), 1u);

  std::vector<uint8_t> report(131);
  std::iota(report.begin(), report.end(), uint8_t{0});
  ASSERT_EQ(link.BleWrite(report), 1);
  std::string expected = "83000000";
  for (uint8_t byte : report) expected += link::FormatLine("%02x", byte);
  EXPECT_EQ(Mock("calls", "fee3 WriteValue"), std::vector<std::string>{expected + " request"});

  Mock("notify", "10100300");
  EXPECT_EQ(notified.WaitFor(1), (std::vector<std::vector<uint8_t>>{{0x10, 0x10, 0x03, 0x00}}));

  link.SwitchOff();
  EXPECT_EQ(Mock("calls", "fee4 StopNotify").size(), 1u);
}

TEST_F(BluezDbusmockTest, RemovingTheMouseDoesNotWaitForAWriteInProgress) {
  Mock("connect");
  testing::TempDir temp;
  const std::string writing = temp / "writing";
  Mock("slow-writes", writing);
  BluezGattPlatform platform;
  link::BleLink link(platform, [](std::span<const uint8_t>) {});
  link.SwitchOn();
  std::atomic<bool> written = false;
  std::thread worker([&] { written = link.BleWrite(std::vector<uint8_t>{1}) == 1; });
  EXPECT_TRUE(testing::WaitFor([&] { return std::filesystem::exists(writing); }));
  link.SwitchOff();  // on the UI thread, as the removal broadcast arrives
  EXPECT_FALSE(written) << "the removal waited for the write";
  worker.join();
  EXPECT_TRUE(written);
  // The notifications end in the background, once the write is answered.
  EXPECT_TRUE(testing::WaitFor([&] { return !Mock("calls", "fee4 StopNotify").empty(); }));
}

TEST_F(BluezDbusmockTest, ConnectingAndDisconnectingTheMouseAreBroadcast) {
  BluezPresenceWatcher watcher;
  Inbox<std::pair<uint32_t, link::DeviceBroadcast>> broadcasts;
  ASSERT_TRUE(
      watcher.RegisterDeviceNotifications([&](uint32_t event, const link::DeviceBroadcast& b) {
        broadcasts.Put({event, b});
      }));
  Mock("connect");
  Mock("disconnect");
  std::vector<uint32_t> events;
  for (const auto& [event, broadcast] : broadcasts.WaitFor(2)) {
    events.push_back(event);
    EXPECT_EQ(broadcast.device_type, link::kDbtDevtypDeviceInterface);
    EXPECT_TRUE(link::IsBleMouseInterface(broadcast.interface_name)) << broadcast.interface_name;
  }
  EXPECT_EQ(events,
            (std::vector<uint32_t>{link::kDbtDeviceArrival, link::kDbtDeviceRemoveComplete}));
}

}  // namespace
}  // namespace vexel::bluez
