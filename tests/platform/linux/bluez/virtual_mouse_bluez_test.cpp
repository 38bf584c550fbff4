// The BLE link, presence watcher and the virtual mouse's BlueZ side, all real,
// talking over a private bus.
#include <gtest/gtest.h>

#include <numeric>

#include "bluez_peripheral.h"
#include "link/ble/ble_link.h"
#include "platform/linux/bluez/bluez_gatt_platform.h"
#include "platform/linux/bluez/bluez_presence_watcher.h"
#include "private_bus.h"

namespace vexel::bluez {
namespace {

TEST(BluezVirtualMouseTest, TheLinkReachesTheVirtualMouseOverTheBus) {
  PrivateSystemBus bus;
  ASSERT_TRUE(bus.running());
  Inbox<std::vector<uint8_t>> written;
  sim::BluezPeripheral mouse([&](std::span<const uint8_t> value) {
    written.Put({value.begin(), value.end()});
    return true;
  });
  BluezPresenceWatcher watcher;
  Inbox<std::pair<uint32_t, std::string>> broadcasts;
  ASSERT_TRUE(
      watcher.RegisterDeviceNotifications([&](uint32_t event, const link::DeviceBroadcast& b) {
        if (event != link::kDbtDevNodesChanged) broadcasts.Put({event, b.interface_name});
      }));
  std::string error;
  ASSERT_TRUE(mouse.Start(error)) << error;
  mouse.SetConnected(true);
  auto seen = broadcasts.WaitFor(1);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].first, link::kDbtDeviceArrival);
  EXPECT_TRUE(link::IsBleMouseInterface(seen[0].second)) << seen[0].second;

  BluezGattPlatform platform;
  Inbox<std::vector<uint8_t>> notified;
  link::BleLink link(platform, [&](std::span<const uint8_t> v) {
    notified.Put({v.begin(), v.end()});
  });
  EXPECT_TRUE(link.Probe());
  link.SwitchOn();
  std::vector<uint8_t> report(15);
  std::iota(report.begin(), report.end(), uint8_t{1});
  ASSERT_EQ(link.BleWrite(report), 1);
  std::vector<uint8_t> value{15, 0, 0, 0};
  value.insert(value.end(), report.begin(), report.end());
  EXPECT_EQ(written.WaitFor(1), std::vector<std::vector<uint8_t>>{value});

  const std::vector<uint8_t> battery{0x10, 0x40, 0x01, 0x39};
  EXPECT_TRUE(mouse.Notify(battery));
  EXPECT_EQ(notified.WaitFor(1), std::vector<std::vector<uint8_t>>{battery});

  mouse.SetConnected(false);
  seen = broadcasts.WaitFor(2);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1], std::make_pair(link::kDbtDeviceRemoveComplete, seen[0].second));
  EXPECT_FALSE(mouse.Notify(battery));
  EXPECT_FALSE(link.Probe());
  EXPECT_EQ(link.BleWrite(report), 0);
}

}  // namespace
}  // namespace vexel::bluez
