#include "link/ble/ble_link.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <optional>
#include <vector>

#include "link/ble/ble_status.h"
#include "link/ble/device_presence.h"
#include "platform/fake_device_notifications.h"
#include "platform/fake_gatt_platform.h"

namespace vexel::link {
namespace {

const std::string kMousePath =
    "\\\\?\\bthledevice#{0000fee0-0000-1000-8000-00805f9b34fb}_dev_vid&02045e_pid&0040_rev&0001_"
    "c0ffee001122#7&1";
const BluetoothDevice kMouse{"Vexel", "BTHLE\\Dev_c0ffee001122", true};
const std::vector<GattCharacteristic> kVendorCharacteristics{
    {"fee3", kBleReportCharacteristic, 12, false, true},
    {"fee4", kBleStatusCharacteristic, 12, true, false}};

std::vector<uint8_t> Report(std::size_t length) {
  std::vector<uint8_t> report(length);
  std::iota(report.begin(), report.end(), uint8_t{1});
  return report;
}

class BleLinkTest : public ::testing::Test {
 protected:
  BleLinkTest() {
    platform.AddDevice(kMouse);
    platform.AddService(kMousePath, kVendorCharacteristics);
  }

  FakeGattPlatform platform;
  std::vector<std::vector<uint8_t>> notified;
  std::vector<std::string> lines;
  BleLink link{platform,
               [this](std::span<const uint8_t> v) { notified.emplace_back(v.begin(), v.end()); },
               [this](std::string_view line) { lines.emplace_back(line); }};
};

TEST(BleLinkWriteTest, WritesOnlyToTheConnectedMousesWritableCharacteristic) {
  const std::vector<GattCharacteristic> read_only{
      {"fee3", kBleReportCharacteristic, 12, true, false}};
  const BluetoothDevice offline{"Vexel", kMouse.hardware_id, false};
  const BluetoothDevice no_address{"Other", "BTHLE-DEV", true};
  const BluetoothDevice nameless{std::nullopt, kMouse.hardware_id, true};
  const std::string& path = kMousePath;
  const std::string other_product = "_vid&02045e_pid&0041_c0ffee001122";
  const auto& chars = kVendorCharacteristics;
  const struct {
    std::string name;
    BluetoothDevice device;
    std::string path;
    std::vector<GattCharacteristic> characteristics;
    std::size_t report_length;
    bool written;
    bool reachable;  // what the probe says
  } cases[] = {
      {"lower-case path", kMouse, path, chars, 15, true, true},
      {"macro report", kMouse, path, chars, 131, true, true},
      {"fills the value buffer", kMouse, path, chars, 996, true, true},
      {"too long for the value buffer", kMouse, path, chars, 997, false, true},
      {"disconnected", offline, path, chars, 15, false, false},
      {"no address matches nothing", no_address, path, chars, 15, false, false},
      {"no name", nameless, path, chars, 15, false, false},
      {"other product", kMouse, other_product, chars, 15, false, false},
      {"not writable", kMouse, path, read_only, 15, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeGattPlatform system;
    system.AddDevice(c.device);
    system.AddService(c.path, c.characteristics);
    BleLink link(system, {});
    link.SwitchOn();
    EXPECT_EQ(link.Probe(), c.reachable);
    EXPECT_EQ(link.BleWrite(Report(c.report_length)), c.written ? 1 : 0);
    // The value is the report behind its 4-byte little-endian length.
    std::vector<uint8_t> value{static_cast<uint8_t>(c.report_length),
                               static_cast<uint8_t>(c.report_length >> 8), 0, 0};
    std::ranges::copy(Report(c.report_length), std::back_inserter(value));
    const auto writes = system.Writes();
    ASSERT_EQ(writes.size(), c.written ? 1u : 0u);
    if (c.written) {
      EXPECT_EQ(std::tie(writes[0].characteristic_id, writes[0].value), std::tie("fee3", value));
    }
  }
}

TEST_F(BleLinkTest, SubscribesWritesAndUnregistersWithItsDebugLines) {
  link.SwitchOn();
  ASSERT_EQ(platform.LiveSubscriptions(), 1u);
  const std::vector<uint8_t> status{0x10, 0x10, 0x03, 0x00};
  platform.Notify("fee4", status);
  EXPECT_EQ(notified, std::vector<std::vector<uint8_t>>{status});

  EXPECT_EQ(link.BleWrite(Report(8)), 1);
  link.SwitchOff();
  const int calls = platform.Calls();
  link.SwitchOff();  // nothing left to remove: no call, no second line
  EXPECT_EQ(platform.LiveSubscriptions(), 0u);
  EXPECT_EQ(link.BleWrite(Report(8)), 0);
  EXPECT_EQ(platform.Calls(), calls) << "a link that is off touches nothing";
  EXPECT_TRUE(link.Probe() && !link.IsOn());

  ASSERT_EQ(lines.size(), 7u);  // the write after switching off says nothing
  EXPECT_EQ(lines[4].rfind("Value Add: 0x", 0), 0u);
  lines[4] = "Value Add";
  EXPECT_EQ(lines, (std::vector<std::string>{kMousePath + "\r\n",
                                             "Setting Notification for ServiceHandle 12\n",
                                             "iIdnex = 1\r\n", kMousePath + "\r\n", "Value Add",
                                             "Write Success!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!\r\n",
                                             "BluetoothGATTUnregisterEvent Success\r\n"}));
}

TEST_F(BleLinkTest, FailuresLeaveTheLinkOnAndSayWhy) {
  platform.FailSubscribe(-110);
  link.SwitchOn();
  EXPECT_TRUE(link.IsOn());
  EXPECT_EQ(lines.at(2), "BluetoothGATTRegisterEvent - Actual Data ffffff92\r\n");
  platform.FailWrites(-5);
  EXPECT_EQ(link.BleWrite(Report(8)), 0);
  EXPECT_EQ(lines.back(), "Write fail!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!\r\n");
  platform.FailCharacteristics(kMousePath, -19);
  EXPECT_EQ(link.BleWrite(Report(8)), 0);
  EXPECT_EQ(lines.back(), "BluetoothGATTGetCharacteristics - Buffer Size -19\r\n");
}

TEST_F(BleLinkTest, AddressTableKeepsTheFirstHundredConnectedDevices) {
  for (int i = 0; i < 104; ++i)
    platform.AddDevice({"d", "BTHLE\\Dev_" + std::to_string(1000 + i) + "_x", true});
  link.SwitchOn();
  link.SwitchOn();  // the second subscription replaces the first, silently
  EXPECT_EQ(platform.LiveSubscriptions(), 1u);
  platform.Unsubscribe(2);  // gone with the adapter: switching off cannot say it succeeded
  link.SwitchOff();
  EXPECT_EQ(std::ranges::count(lines, "BluetoothGATTUnregisterEvent Success\r\n"), 0);
  const auto addresses = link.Addresses();
  ASSERT_EQ(addresses.size(), kBleAddressEntries);
  EXPECT_EQ(addresses.front(), "c0ffee001122");
  EXPECT_EQ(addresses.back(), "1098");
}

// Decoding is pinned through the session (BleSession.StatusValuesFromTheStackReachTheUiThread).
TEST(BleStatusTest, TraceNamesCodeValueAndTime) {
  EXPECT_EQ(BleStatusTrace({0x1010, 3}, {9, 5, 7}), "dwLeft = 1010, dwRight = 0003, 9:5:7\r\n");
}

const std::string kMouseInterface =
    "\\\\?\\BTHLEDevice#{0000fee0-0000-1000-8000-00805f9b34fb}_Dev_VID&02045e_PID&0040_REV&0001_"
    "c0ffee001122#7&1";

TEST(DevicePresenceTest, SwitchesTheLinkOnlyForTheMousesInterfaces) {
  struct Case {
    std::string name;
    uint32_t event;
    std::optional<DeviceBroadcast> broadcast;
    int32_t ble_link;
    std::vector<bool> calls;
    std::vector<std::string> lines;
  };
  const DeviceBroadcast mouse{kDbtDevtypDeviceInterface, kMouseInterface};
  const DeviceBroadcast upper_case{kDbtDevtypDeviceInterface, "_Dev_VID&02045E_PID&0040_"};
  const DeviceBroadcast volume{2, kMouseInterface};
  const DeviceBroadcast keyboard{kDbtDevtypDeviceInterface, "_Dev_VID&02046d_PID&c31c_"};
  const std::string arrival = "DBT_DEVICEARRIVAL.\n";
  const std::string mouse_line = kMouseInterface + "\r\n";
  // clang-format off
  const std::vector<Case> cases{
      {"nodes changed", kDbtDevNodesChanged, std::nullopt, 0, {}, {"Succuss\r\n"}},
      {"mouse arrives", kDbtDeviceArrival, mouse, 0, {true}, {arrival, mouse_line}},
      {"mouse arrives while on", kDbtDeviceArrival, mouse, 1, {}, {arrival, mouse_line}},
      {"upper-case id", kDbtDeviceArrival, upper_case, 0, {}, {arrival, upper_case.interface_name + "\r\n"}},
      {"other product", kDbtDeviceArrival, keyboard, 0, {}, {arrival, keyboard.interface_name + "\r\n"}},
      {"volume", kDbtDeviceArrival, volume, 0, {}, {arrival}},
      {"arrival without a broadcast", kDbtDeviceArrival, std::nullopt, 0, {}, {arrival}},
      {"mouse removed while off", kDbtDeviceRemoveComplete, mouse, 0, {false}, {}},
      {"mouse removed while on", kDbtDeviceRemoveComplete, mouse, 1, {false}, {}},
      {"volume removed", kDbtDeviceRemoveComplete, volume, 1, {}, {}},
      {"upper-case id removed", kDbtDeviceRemoveComplete, upper_case, 1, {}, {}},
      {"query removal", 0x8001, mouse, 0, {}, {}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int32_t ble_link = c.ble_link;
    std::vector<bool> calls;
    std::vector<std::string> lines;
    DevicePresence presence({[&](bool on) {
                               calls.push_back(on);
                               ble_link = on ? 1 : 0;
                             },
                             [&] { return ble_link; },
                             [&](std::string_view line) { lines.emplace_back(line); }});
    EXPECT_TRUE(presence.OnDeviceChange(c.event, c.broadcast ? &*c.broadcast : nullptr));
    EXPECT_EQ(calls, c.calls);
    EXPECT_EQ(lines, c.lines);
  }
}

// Through a notification source, as the session wires it: repeated
// broadcasts switch only on a change.
TEST(DevicePresenceTest, SeveralArrivingInterfacesSwitchTheLinkOnOnce) {
  std::vector<bool> calls;  // the link is on after a switch on
  DevicePresence presence({[&](bool on) { calls.push_back(on); },
                           [&] { return int32_t{!calls.empty() && calls.back()}; },
                           {}});
  FakeDeviceNotifications source;
  ASSERT_TRUE(source.RegisterDeviceNotifications(
      [&](uint32_t event, const DeviceBroadcast& b) { presence.OnDeviceChange(event, &b); }));
  for (const uint32_t event : {kDbtDeviceArrival, kDbtDeviceArrival, kDbtDeviceRemoveComplete})
    source.Broadcast(event, {kDbtDevtypDeviceInterface, kMouseInterface});
  EXPECT_EQ(calls, (std::vector<bool>{true, false}));
}

}  // namespace
}  // namespace vexel::link
