#include "protocol/report_delivery.h"

#include <gtest/gtest.h>

#include "protocol/reports.h"
#include "sim/test_reports.h"

namespace vexel::protocol {
namespace {

using Ms = Clock::Ms;
using Pauses = std::vector<Ms>;

class DeliveryTest : public ::testing::Test {
 protected:
  DeliveryTest() : delivery(flags, clock) {
    delivery.SetWiredSend(Transport("wired", wired_result));
    delivery.SetWirelessSend(Transport("wireless", wireless_result));
    delivery.SetBleWrite(Transport("ble", ble_result));
  }
  TransportSend Transport(std::string name, int& result) {
    return [this, name, &result](std::span<const uint8_t> bytes) {
      links.push_back(name);
      sent.emplace_back(bytes.begin(), bytes.end());
      return result;
    };
  }
  // The links that are up; the receiver's mouse is awake.
  void Connect(int wired, int wireless, int ble) {
    flags.wired_link = wired;
    flags.wireless_link = wireless;
    flags.ble_link = ble;
    flags.wireless_ready = true;
  }
  // The 64-byte pieces a driver link carries the macro report in.
  std::vector<std::vector<uint8_t>> Chunks(bool wireless, int passes = 1) const {
    const auto chunks = test::MacroChunks({macro.begin(), macro.end()}, wireless);
    std::vector<std::vector<uint8_t>> all;
    for (int i = 0; i < passes; ++i) all.insert(all.end(), chunks.begin(), chunks.end());
    return all;
  }

  LinkFlags flags;
  ManualClock clock;
  ReportDelivery delivery;
  int wired_result = 1;
  int wireless_result = 1;
  int ble_result = 1;
  std::vector<std::string> links;
  std::vector<std::vector<uint8_t>> sent;
  const PollingRateBytes plain = PollingRateReport(ProfileRecord{});
  MacroBytes macro = [] {
    ButtonSlot slot{};
    slot.macro_action_count = 46;
    for (int k = 0; k < 46; ++k) slot.macro_actions[k] = {static_cast<uint8_t>(k + 1), 1, 10};
    return EncodeMacroReport(4, slot);
  }();
};

TEST_F(DeliveryTest, TheCableComesFirstAndCarriesAMacroInThreeChunks) {
  Connect(1, 1, 0);
  EXPECT_EQ(delivery.Deliver(plain), Delivery::kSentByCable);
  EXPECT_EQ(links, std::vector<std::string>{"wired"});
  EXPECT_EQ(clock.Sleeps(), Pauses{Ms(500)});
  // A failed plain send is final: no pause, no other link.
  wired_result = 0;
  EXPECT_EQ(delivery.SendReport(plain), 0);
  EXPECT_EQ(links.size(), 2u);
  EXPECT_EQ(clock.Sleeps().size(), 1u);

  wired_result = 1;
  sent.clear();
  EXPECT_NE(delivery.SendReport(macro), 0);
  EXPECT_EQ(sent, Chunks(false));
  EXPECT_EQ(clock.Sleeps(), (Pauses{Ms(500), Ms(200), Ms(200), Ms(200), Ms(500)}));
}

TEST_F(DeliveryTest, WiredMacroWhoseLastChunkFailsGoesToBle) {
  Connect(1, 0, 1);
  int calls = 0;
  delivery.SetWiredSend([&](std::span<const uint8_t>) { return ++calls < 3 ? 1 : 0; });
  EXPECT_EQ(delivery.Deliver(macro), Delivery::kWrittenOverBluetooth);
  EXPECT_EQ(links, std::vector<std::string>{"ble"});
  EXPECT_EQ(sent[0].size(), 131u);  // BLE takes the whole report
  EXPECT_EQ(clock.Sleeps(), (Pauses{Ms(200), Ms(200), Ms(500)}));
}

TEST_F(DeliveryTest, WirelessStopsAtTheAcknowledgement) {
  Connect(0, 1, 0);
  // The mouse acknowledges 300 ms after the first send.
  clock.AddListener([&](Ms now) {
    if (now >= Ms(300)) flags.ack_received = true;
  });
  std::vector<std::string> debug;
  delivery.SetDebugSink([&](std::string_view line) { debug.emplace_back(line); });
  EXPECT_EQ(delivery.Deliver(plain), Delivery::kAcknowledged);
  EXPECT_EQ(links.size(), 1u);
  EXPECT_EQ(clock.Sleeps(), (Pauses{Ms(500), Ms(500)}));
  EXPECT_EQ(debug, (std::vector<std::string>{"Wireless Send = 1\n"}));
}

TEST_F(DeliveryTest, WirelessWithoutAcknowledgementSendsTenTimes) {
  Connect(0, 1, 0);
  flags.ack_received = true;  // a stale acknowledgement is cleared first
  // Every send was taken by the driver, yet the mouse confirmed none.
  EXPECT_EQ(delivery.Deliver(plain), Delivery::kFailed);
  EXPECT_EQ(sent.size(), 10u);
  EXPECT_EQ(clock.Now(), Ms(5500));

  sent.clear();
  wireless_result = 0;  // failures do not shorten the repetition
  EXPECT_EQ(delivery.SendReport(macro), 0);
  EXPECT_EQ(sent, Chunks(true, 10));
  EXPECT_EQ(clock.Now(), Ms(5500 + 30000));
}

TEST_F(DeliveryTest, SleepingWirelessMouseShutdownAndBleRules) {
  Connect(0, 1, 0);
  flags.wireless_ready = false;
  EXPECT_EQ(delivery.SendReport(plain), 0);
  flags.ble_link = 1;
  // The polling rate never goes over BLE: not delivered, but not a failure.
  EXPECT_EQ(delivery.Deliver(plain), Delivery::kNotCarried);
  EXPECT_TRUE(sent.empty());
  ble_result = 0;
  EXPECT_EQ(delivery.SendReport(macro), 0);
  EXPECT_EQ(sent.size(), 1u);
  EXPECT_TRUE(clock.Sleeps().empty());  // a failed delivery has no closing pause

  Connect(0, 1, 0);
  clock.AddListener([&](Ms now) {
    if (now >= Ms(1000)) flags.shutting_down = true;
  });
  delivery.SendReport(plain);
  EXPECT_EQ(sent.size(), 3u) << "shutting down cuts the wireless delivery short";
}

}  // namespace
}  // namespace vexel::protocol
