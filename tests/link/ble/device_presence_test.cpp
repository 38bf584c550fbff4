#include "link/ble/device_presence.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "platform/fake_device_notifications.h"

namespace vexel::link {
namespace {

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
  int32_t ble_link = 0;
  std::vector<bool> calls;
  DevicePresence presence(
      {[&](bool on) { calls.push_back(on), ble_link = on; }, [&] { return ble_link; }, {}});
  FakeDeviceNotifications source;
  ASSERT_TRUE(source.RegisterDeviceNotifications(
      [&](uint32_t event, const DeviceBroadcast& b) { presence.OnDeviceChange(event, &b); }));
  for (const uint32_t event : {kDbtDeviceArrival, kDbtDeviceArrival, kDbtDeviceRemoveComplete})
    source.Broadcast(event, {kDbtDevtypDeviceInterface, kMouseInterface});
  EXPECT_EQ(calls, (std::vector<bool>{true, false}));
}

}  // namespace
}  // namespace vexel::link
