#include "protocol/report_delivery.h"

#include <gtest/gtest.h>

#include "protocol/reports.h"
#include "sim/test_reports.h"

namespace vexel::protocol {
namespace {

using Ms = Clock::Ms;

struct Sent {
  std::string link;
  Ms at;
  std::vector<uint8_t> bytes;
};

class DeliveryTest : public ::testing::Test {
 protected:
  DeliveryTest() : delivery(flags, clock) {
    delivery.SetWiredSend(Transport("wired", wired_result));
    delivery.SetWirelessSend(Transport("wireless", wireless_result));
    delivery.SetBleWrite(Transport("ble", ble_result));
  }
  TransportSend Transport(std::string name, int& result) {
    return [this, name, &result](std::span<const uint8_t> bytes) {
      sent.push_back({name, clock.Now(), {bytes.begin(), bytes.end()}});
      return result;
    };
  }
  std::vector<Ms> Pauses() const { return clock.Sleeps(); }
  // The 64-byte pieces a driver link carries the macro report in.
  std::array<std::vector<uint8_t>, 3> Chunks(bool wireless) const {
    return test::MacroChunks({macro.begin(), macro.end()}, wireless);
  }

  LinkFlags flags;
  ManualClock clock;
  ReportDelivery delivery;
  int wired_result = 1;
  int wireless_result = 1;
  int ble_result = 1;
  std::vector<Sent> sent;
  const PollingRateBytes plain = PollingRateReport(ProfileRecord{});
  MacroBytes macro = [] {
    ButtonSlot slot{};
    slot.macro_action_count = 46;
    for (int k = 0; k < 46; ++k) slot.macro_actions[k] = {static_cast<uint8_t>(k + 1), 1, 10};
    return EncodeMacroReport(4, slot);
  }();
};

TEST_F(DeliveryTest, WiredPlainReport) {
  flags.wired_link = 1;
  flags.wireless_link = 1;
  flags.wireless_ready = true;
  EXPECT_NE(delivery.SendReport(plain), 0);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].link, "wired");
  EXPECT_EQ(Pauses(), (std::vector<Ms>{Ms(500)}));

  // A failed plain send is final: no pause, no other link.
  sent.clear();
  wired_result = 0;
  EXPECT_EQ(delivery.SendReport(plain), 0);
  EXPECT_EQ(sent.size(), 1u);
  EXPECT_EQ(Pauses().size(), 1u);
}

TEST_F(DeliveryTest, WiredMacroInThreeChunks) {
  flags.wired_link = 1;
  EXPECT_NE(delivery.SendReport(macro), 0);
  ASSERT_EQ(sent.size(), 3u);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(sent[k].bytes, Chunks(false)[k]) << "chunk " << k;
  EXPECT_EQ(Pauses(), (std::vector<Ms>{Ms(200), Ms(200), Ms(200), Ms(500)}));
}

TEST_F(DeliveryTest, WiredMacroWhoseLastChunkFailsGoesToBle) {
  flags.wired_link = 1;
  flags.ble_link = 1;
  int calls = 0;
  delivery.SetWiredSend([&](std::span<const uint8_t>) { return ++calls < 3 ? 1 : 0; });
  EXPECT_NE(delivery.SendReport(macro), 0);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].link, "ble");
  EXPECT_EQ(sent[0].bytes.size(), 131u);  // BLE takes the whole report
  EXPECT_EQ(Pauses(), (std::vector<Ms>{Ms(200), Ms(200), Ms(500)}));
}

TEST_F(DeliveryTest, WirelessStopsAtTheAcknowledgement) {
  flags.wireless_link = 1;
  flags.wireless_ready = true;
  // The mouse acknowledges 300 ms after the first send.
  clock.AddListener([&](Ms now) {
    if (now >= Ms(300)) flags.ack_received = true;
  });
  std::vector<std::string> debug;
  delivery.SetDebugSink([&](std::string_view line) { debug.emplace_back(line); });
  EXPECT_EQ(delivery.Deliver(plain), Delivery::kAcknowledged);
  EXPECT_EQ(sent.size(), 1u);
  EXPECT_EQ(Pauses(), (std::vector<Ms>{Ms(500), Ms(500)}));
  EXPECT_EQ(clock.Now(), Ms(1000));
  EXPECT_EQ(debug, (std::vector<std::string>{"Wireless Send = 1\n"}));
}

TEST_F(DeliveryTest, WirelessWithoutAcknowledgementSendsTenTimes) {
  flags.wireless_link = 1;
  flags.wireless_ready = true;
  flags.ack_received = true;  // a stale acknowledgement is cleared first
  // Every send was taken by the driver, yet the mouse confirmed none.
  EXPECT_EQ(delivery.Deliver(plain), Delivery::kFailed);
  EXPECT_EQ(sent.size(), 10u);
  EXPECT_EQ(clock.Now(), Ms(5500));

  sent.clear();
  wireless_result = 0;  // failures do not shorten the repetition
  EXPECT_EQ(delivery.SendReport(macro), 0);
  ASSERT_EQ(sent.size(), 30u);
  for (std::size_t i = 0; i < sent.size(); ++i) EXPECT_EQ(sent[i].bytes, Chunks(true)[i % 3]) << i;
  EXPECT_EQ(clock.Now(), Ms(5500 + 30000));
}

TEST_F(DeliveryTest, SleepingWirelessMouseAndBleRules) {
  flags.wireless_link = 1;
  flags.wireless_ready = false;
  EXPECT_EQ(delivery.SendReport(plain), 0);
  EXPECT_TRUE(sent.empty());
  EXPECT_TRUE(Pauses().empty());

  flags.ble_link = 1;
  // The polling rate never goes over BLE: not delivered, but not a failure.
  EXPECT_EQ(delivery.Deliver(plain), Delivery::kNotCarried);
  EXPECT_TRUE(sent.empty());
  EXPECT_TRUE(Pauses().empty());

  ble_result = 0;
  EXPECT_EQ(delivery.SendReport(macro), 0);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_TRUE(Pauses().empty());  // a failed delivery has no closing pause
}

TEST_F(DeliveryTest, ShutdownCutsAWirelessDeliveryShort) {
  flags.wireless_link = 1;
  flags.wireless_ready = true;
  clock.AddListener([&](Ms now) {
    if (now >= Ms(1000)) flags.shutting_down = true;
  });
  delivery.SendReport(plain);
  EXPECT_EQ(sent.size(), 2u);
}

}  // namespace
}  // namespace vexel::protocol
