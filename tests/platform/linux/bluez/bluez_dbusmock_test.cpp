// The sd-bus BlueZ code against python-dbusmock's bluez5 mock on a private bus
// given as the system bus; the mouse's GATT objects are added by bluez_mock.py.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <numeric>
#include <thread>

#include "link/ble/ble_link.h"
#include "link/ble/device_presence.h"
#include "platform/linux/bluez/bluez_gatt_platform.h"
#include "platform/linux/bluez/bluez_presence_watcher.h"
#include "private_bus.h"

extern char** environ;

namespace vexel::bluez {
namespace {

using testing::Lines;
using testing::RunCommand;

constexpr char kMouseAddress[] = "C0:FF:EE:00:11:22";

class BluezDbusmockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(bus_.running());
    const char* argv[] = {"/usr/bin/python3", "-m", "dbusmock", "--template", "bluez5", nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    ASSERT_EQ(
        posix_spawn(&mock_pid_, argv[0], &actions, nullptr, const_cast<char**>(argv), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    Mock("wait");
    Mock(std::string("add-mouse ") + kMouseAddress + " usb:v045Ep0040d0001");
  }

  void TearDown() override {
    if (mock_pid_ > 0) {
      kill(mock_pid_, SIGTERM);
      waitpid(mock_pid_, nullptr, 0);
    }
  }

  std::vector<std::string> Mock(const std::string& arguments) {
    const auto result =
        RunCommand(std::string("/usr/bin/python3 ") + BLUEZ_MOCK_SCRIPT + " " + arguments);
    EXPECT_EQ(result.exit_code, 0) << arguments << ": " << result.err;
    return Lines(result.out);
  }

  PrivateSystemBus bus_;
  pid_t mock_pid_ = -1;
};

TEST_F(BluezDbusmockTest, FindsTheMouseWritesReportsAndReceivesStatus) {
  Mock(std::string("connect ") + kMouseAddress);
  BluezGattPlatform platform;
  ASSERT_TRUE(platform.Connected());
  const auto devices = platform.BluetoothDevices();
  ASSERT_EQ(devices.size(), 1u);
  EXPECT_EQ(devices[0].hardware_id, "BTHLE\\Dev_c0ffee001122");
  EXPECT_EQ(devices[0].friendly_name, "Vexel");
  EXPECT_TRUE(devices[0].connected);

  Inbox<std::vector<uint8_t>> notified;
  link::BleLink link(platform, [&](std::span<const uint8_t> value) {
    notified.Put({value.begin(), value.end()});
  });
  link.SwitchOn();
  EXPECT_EQ(Mock(std::string("calls ") + kMouseAddress + " fee4 StartNotify").size(), 1u);

  std::vector<uint8_t> report(131);
  std::iota(report.begin(), report.end(), uint8_t{0});
  ASSERT_EQ(link.BleWrite(report), 1);
  std::string expected = "83000000";
  for (uint8_t byte : report) expected += link::FormatLine("%02x", byte);
  EXPECT_EQ(Mock(std::string("calls ") + kMouseAddress + " fee3 WriteValue"),
            std::vector<std::string>{expected + " request"});

  Mock(std::string("notify ") + kMouseAddress + " 10100300");
  EXPECT_EQ(notified.WaitFor(1), (std::vector<std::vector<uint8_t>>{{0x10, 0x10, 0x03, 0x00}}));

  link.SwitchOff();
  EXPECT_EQ(Mock(std::string("calls ") + kMouseAddress + " fee4 StopNotify").size(), 1u);
}

TEST_F(BluezDbusmockTest, RemovingTheMouseDoesNotWaitForAWriteInProgress) {
  Mock(std::string("connect ") + kMouseAddress);
  testing::TempDir temp;
  const std::string writing = temp / "writing";
  Mock(std::string("slow-writes ") + kMouseAddress + " " + writing);
  const auto eventually = [](auto done) {
    for (int i = 0; i < 200 && !done(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return done();
  };
  BluezGattPlatform platform;
  link::BleLink link(platform, [](std::span<const uint8_t>) {});
  link.SwitchOn();
  std::atomic<bool> written = false;
  std::thread worker([&] { written = link.BleWrite(std::vector<uint8_t>{1}) == 1; });
  EXPECT_TRUE(eventually([&] { return std::filesystem::exists(writing); }));
  link.SwitchOff();  // on the UI thread, as the removal broadcast arrives
  EXPECT_FALSE(written) << "the removal waited for the write";
  worker.join();
  EXPECT_TRUE(written);
  // The notifications end in the background, once the write is answered.
  EXPECT_TRUE(eventually(
      [&] { return !Mock(std::string("calls ") + kMouseAddress + " fee4 StopNotify").empty(); }));
}

TEST_F(BluezDbusmockTest, ConnectingAndDisconnectingTheMouseAreBroadcast) {
  BluezPresenceWatcher watcher;
  Inbox<std::pair<uint32_t, link::DeviceBroadcast>> broadcasts;
  ASSERT_TRUE(
      watcher.RegisterDeviceNotifications([&](uint32_t event, const link::DeviceBroadcast& b) {
        broadcasts.Put({event, b});
      }));
  Mock(std::string("connect ") + kMouseAddress);
  Mock(std::string("disconnect ") + kMouseAddress);
  const auto seen = broadcasts.WaitFor(2);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].first, link::kDbtDeviceArrival);
  EXPECT_EQ(seen[1].first, link::kDbtDeviceRemoveComplete);
  for (const auto& [event, broadcast] : seen) {
    EXPECT_EQ(broadcast.device_type, link::kDbtDevtypDeviceInterface);
    EXPECT_TRUE(link::IsBleMouseInterface(broadcast.interface_name)) << broadcast.interface_name;
  }
}

}  // namespace
}  // namespace vexel::bluez
