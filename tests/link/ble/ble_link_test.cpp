#include "link/ble/ble_link.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <numeric>
#include <thread>

#include "link/ble/ble_status.h"
#include "link/ble/fake_gatt_platform.h"

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
  BleLink& Link() {
    if (!link_) {
      link_ = std::make_unique<BleLink>(
          platform,
          [this](std::span<const uint8_t> value) {
            notified.emplace_back(value.begin(), value.end());
          },
          [this](std::string_view line) {
            // The worker and the UI thread both write lines.
            std::lock_guard lock(lines_mutex);
            lines.emplace_back(line);
          });
    }
    return *link_;
  }

  FakeGattPlatform platform;
  std::vector<std::vector<uint8_t>> notified;
  std::vector<std::string> lines;
  std::mutex lines_mutex;

 private:
  std::unique_ptr<BleLink> link_;
};

struct WriteCase {
  std::string name;
  std::function<void(FakeGattPlatform&)> system;
  bool switched_on;
  std::size_t report_length;
  int32_t result;
  std::size_t value_length;  // of the one write made; 0: nothing written
};

TEST_F(BleLinkTest, WritesOnlyToTheConnectedMousesWritableCharacteristic) {
  const auto mouse = [](FakeGattPlatform& p) {
    p.AddDevice(kMouse);
    p.AddService(kMousePath, kVendorCharacteristics);
  };
  const std::vector<WriteCase> cases{
      {"link off", mouse, false, 15, 0, 0},
      {"lower-case path", mouse, true, 15, 1, 19},
      {"macro report", mouse, true, 131, 1, 135},
      {"disconnected device",
       [](FakeGattPlatform& p) {
         p.AddDevice({"Vexel", "BTHLE\\Dev_c0ffee001122", false});
         p.AddService(kMousePath, kVendorCharacteristics);
       },
       true, 15, 0, 0},
      {"device without an address matches nothing",
       [](FakeGattPlatform& p) {
         p.AddDevice({"Other", "BTHLE-DEV", true});
         p.AddService(kMousePath, kVendorCharacteristics);
       },
       true, 15, 0, 0},
      {"device without a name",
       [](FakeGattPlatform& p) {
         p.AddDevice({std::nullopt, "BTHLE\\Dev_c0ffee001122", true});
         p.AddService(kMousePath, kVendorCharacteristics);
       },
       true, 15, 0, 0},
      {"another product",
       [](FakeGattPlatform& p) {
         p.AddDevice(kMouse);
         p.AddService("bthledevice#_dev_vid&02045e_pid&0041_c0ffee001122", kVendorCharacteristics);
       },
       true, 15, 0, 0},
      {"report characteristic not writable",
       [](FakeGattPlatform& p) {
         p.AddDevice(kMouse);
         p.AddService(kMousePath, {{"fee3", kBleReportCharacteristic, 12, true, false}});
       },
       true, 15, 0, 0},
      {"report longer than the value buffer", mouse, true, 997, 0, 0},
  };
  for (const WriteCase& c : cases) {
    SCOPED_TRACE(c.name);
    FakeGattPlatform system;
    c.system(system);
    BleLink link(system, {});
    if (c.switched_on) link.SwitchOn();
    const int calls_before = system.Calls();
    const std::vector<uint8_t> report = Report(c.report_length);
    EXPECT_EQ(link.BleWrite(report), c.result);
    if (!c.switched_on) {
      EXPECT_EQ(system.Calls(), calls_before);
    }
    const auto writes = system.Writes();
    ASSERT_EQ(writes.size(), c.value_length == 0 ? 0u : 1u);
    if (c.value_length == 0) continue;
    EXPECT_EQ(writes[0].characteristic_id, "fee3");
    ASSERT_EQ(writes[0].value.size(), c.value_length);
    EXPECT_EQ(writes[0].value[0], c.report_length & 0xFF);
    EXPECT_EQ(writes[0].value[1], c.report_length >> 8);
    EXPECT_EQ(std::vector<uint8_t>(writes[0].value.begin() + 4, writes[0].value.end()), report);
  }
}

TEST_F(BleLinkTest, SubscribesWritesAndUnregistersWithItsDebugLines) {
  platform.AddDevice(kMouse);
  platform.AddService(kMousePath, kVendorCharacteristics);
  Link().SwitchOn();
  ASSERT_EQ(platform.LiveSubscriptions(), 1u);
  const std::vector<uint8_t> status{0x10, 0x10, 0x03, 0x00};
  platform.Notify("fee4", status);
  EXPECT_EQ(notified, std::vector<std::vector<uint8_t>>{status});

  EXPECT_EQ(Link().BleWrite(Report(8)), 1);
  Link().SwitchOff();
  Link().SwitchOff();  // nothing left to remove: no second line
  EXPECT_EQ(platform.LiveSubscriptions(), 0u);
  EXPECT_EQ(Link().BleWrite(Report(8)), 0);

  ASSERT_EQ(lines.size(), 7u);  // the write after switching off says nothing
  EXPECT_EQ(lines[0], kMousePath + "\r\n");
  EXPECT_EQ(lines[1], "Setting Notification for ServiceHandle 12\n");
  EXPECT_EQ(lines[2], "iIdnex = 1\r\n");
  EXPECT_EQ(lines[3], kMousePath + "\r\n");
  EXPECT_EQ(lines[4].rfind("Value Add: 0x", 0), 0u);
  EXPECT_EQ(lines[5], "Write Success!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!\r\n");
  EXPECT_EQ(lines[6], "BluetoothGATTUnregisterEvent Success\r\n");
}

TEST_F(BleLinkTest, FailuresLeaveTheLinkOnAndSayWhy) {
  platform.AddDevice(kMouse);
  platform.AddService(kMousePath, kVendorCharacteristics);
  platform.FailSubscribe(-110);
  Link().SwitchOn();
  EXPECT_TRUE(Link().IsOn());
  EXPECT_EQ(lines.at(2), "BluetoothGATTRegisterEvent - Actual Data ffffff92\r\n");
  platform.FailWrites(-5);
  EXPECT_EQ(Link().BleWrite(Report(8)), 0);
  EXPECT_EQ(lines.back(), "Write fail!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!\r\n");
  platform.FailCharacteristics(kMousePath, -19);
  EXPECT_EQ(Link().BleWrite(Report(8)), 0);
  EXPECT_EQ(lines.back(), "BluetoothGATTGetCharacteristics - Buffer Size -19\r\n");
}

TEST_F(BleLinkTest, ASecondSubscriptionReplacesTheFirst) {
  platform.AddDevice(kMouse);
  platform.AddService(kMousePath, kVendorCharacteristics);
  Link().SwitchOn();
  Link().SwitchOn();
  EXPECT_EQ(platform.LiveSubscriptions(), 1u);
  platform.Notify("fee4", std::vector<uint8_t>{1, 2, 3, 4});
  EXPECT_EQ(notified.size(), 1u);
}

TEST_F(BleLinkTest, AddressTableKeepsTheFirstHundredConnectedDevices) {
  for (int i = 0; i < 105; ++i)
    platform.AddDevice({"d", "BTHLE\\Dev_" + std::to_string(1000 + i) + "_x", true});
  Link().SwitchOn();
  const auto addresses = Link().Addresses();
  ASSERT_EQ(addresses.size(), kBleAddressEntries);
  EXPECT_EQ(addresses.front(), "1000");
  EXPECT_EQ(addresses.back(), "1099");
}

// Run under ThreadSanitizer: the worker writes while the UI thread switches.
TEST_F(BleLinkTest, WriteOnTheWorkerIsSafeWhileTheLinkSwitches) {
  platform.AddDevice(kMouse);
  platform.AddService(kMousePath, kVendorCharacteristics);
  BleLink& link = Link();
  std::atomic<bool> done{false};
  std::jthread worker([&] {
    while (!done) {
      const int32_t result = link.BleWrite(Report(15));
      EXPECT_TRUE(result == 0 || result == 1);
    }
  });
  for (int i = 0; i < 200; ++i) {
    link.SwitchOn();
    link.SwitchOff();
  }
  done = true;
  worker.join();
  EXPECT_EQ(platform.LiveSubscriptions(), 0u);
  EXPECT_EQ(link.BleWrite(Report(15)), 0);
}

TEST(BleStatusTest, DecodesLittleEndianCodeAndValue) {
  struct Case {
    std::vector<uint8_t> value;
    std::optional<std::pair<uint16_t, uint16_t>> status;
  };
  const std::vector<Case> cases{{{}, std::nullopt},
                                {{0x10, 0x10, 0x03}, std::nullopt},
                                {{0x10, 0x10, 0x03, 0x00}, {{0x1010, 0x0003}}},
                                {{0x10, 0x40, 0x01, 0x39, 0xFF}, {{0x4010, 0x3901}}}};
  for (const Case& c : cases) {
    const auto status = DecodeBleStatus(c.value);
    ASSERT_EQ(status.has_value(), c.status.has_value());
    if (!status) continue;
    EXPECT_EQ(status->code, c.status->first);
    EXPECT_EQ(status->value, c.status->second);
  }
  EXPECT_EQ(BleStatusTrace({0x1010, 3}, {9, 5, 7}), "dwLeft = 1010, dwRight = 0003, 9:5:7\r\n");
}

}  // namespace
}  // namespace vexel::link
