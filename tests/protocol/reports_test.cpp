// The reports' bytes, and their delivery over each link with its pauses.
#include "protocol/reports.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "protocol/report_delivery.h"
#include "sim/test_reports.h"

namespace vexel::protocol {
namespace {

std::unique_ptr<ProfileRecord> DefaultProfile() {
  auto profile = MakeZeroProfile();
  ApplyProfileDefaults(*profile);
  return profile;
}

std::string Hex(std::span<const uint8_t> report) {
  return ToHex(report, "");
}

// The framing of each small report is pinned by the virtual mouse's factory
// reports (FirmwareEncoderAgreement); here the codes.
TEST(SmallReports, PollingRateCodesAndComplement) {
  auto profile = DefaultProfile();
  std::string codes;
  for (const int32_t rate : {0, 1, 2, 3, 4, -1, 1000}) {  // out of range: 1 ms
    profile->polling_rate = rate;
    codes += Hex(PollingRateReport(*profile)).substr(6, 4) + " ";
  }
  EXPECT_EQ(codes, "08f7 04fb 02fd 01fe 02fd 02fd 02fd ");
}

TEST(SmallReports, LightingSplitsSleepTimerAndPicksBrightness) {
  auto profile = DefaultProfile();
  profile->light_mode = 1;
  profile->light_brightness = 3;
  profile->sleep_timer = 10;
  profile->light_breath_speed = 6;
  profile->light_colour = ColourFromRgb(0x11, 0x22, 0x33);
  profile->light_off_timer = 0x1FF;  // only the low 8 bits travel
  profile->key_debounce = 4;
  // Mode and sleep timer share bytes 3-5 by nibbles; the checksum sums bytes 3-10.
  EXPECT_EQ(Hex(LightingReport(*profile)), "050f011003a3112233ff04021f0000");
  // Brightness travels only in modes 1 and 9; other modes send 8.
  profile->light_mode = 9;
  profile->sleep_timer = 0x5A;
  EXPECT_EQ(Hex(LightingReport(*profile)).substr(6, 6), "9053a3");
  profile->light_mode = 2;
  EXPECT_EQ(Hex(LightingReport(*profile)).substr(6, 6), "2053a8");
}

TEST(PerformanceReport, HighRangeAndOutOfTableValues) {
  auto profile = DefaultProfile();
  profile->dpi_x[0] = 64;             // high range, table[32]
  profile->dpi_x[1] = 101;            // the largest value the table covers
  profile->dpi_x[2] = 150;            // past the table: its last entry, high range
  profile->dpi_x[3] = -7;             // nonsense below zero sends 0
  profile->dpi_stage_enabled[4] = 2;  // only 1 means enabled
  // Stage mask, high-range mask and its copy, then the first four DPI codes.
  EXPECT_EQ(Hex(EncodePerformanceReport(*profile)).substr(10, 14), "2f070749737300");
}

// Codes found in the table are pinned by its golden file.
TEST(ButtonMapReport, KeyCombinationsMacrosAndUnknownCodes) {
  auto profile = DefaultProfile();
  profile->button[0].function_code = kFunctionKeyCombination;
  profile->button[0].modifiers = 0x05;
  profile->button[0].key_usage = 0x04;
  profile->button[6].function_code = kFunctionMacro;
  profile->button[2].function_code = 15;  // not a code the mouse knows
  // Slots 1-7: the combination, a right click, zeros, the defaults, the macro.
  EXPECT_EQ(Hex(EncodeButtonMapReport(*profile)).substr(6, 42),
            "1105040300000000000d00000d00000f0000120007");
}

// The whole table, one "function c0 c1 c2" line per code the mouse knows;
// every other code is sent as zeros.
TEST(DeviceCodeTable, MatchesTheMousesCodesAndZeroElsewhere) {
  std::ostringstream table;
  for (int code = 0; code < 256; ++code) {
    const DeviceCode d = DeviceCodeOf(static_cast<uint8_t>(code));
    if (!(d == DeviceCode{0, 0, 0}))
      table << code << ' ' << +d.c0 << ' ' << +d.c1 << ' ' << +d.c2 << '\n';
  }
  std::ifstream golden(VEXEL_SOURCE_DIR "/tests/data/protocol/device_codes.txt");
  EXPECT_EQ(table.str(), std::string(std::istreambuf_iterator<char>(golden), {}));
}

TEST(MacroTimeByte, RoundingAndReleaseBit) {
  std::vector<uint8_t> bytes;
  for (const uint16_t delay : {1, 1270, 71, 100, 45})
    bytes.push_back(MacroTimeByte(delay, kActionPress));
  EXPECT_EQ(Hex(bytes), "017f070b05");  // 45 ms is 4.5 periods of 10 ms, rounded up
  EXPECT_EQ(MacroTimeByte(20, kActionRelease), 0x83);
}

ButtonSlot MacroSlot(std::vector<MacroAction> steps) {
  ButtonSlot slot{};
  slot.function_code = kFunctionMacro;
  slot.macro_action_count = static_cast<uint16_t>(steps.size());
  for (std::size_t i = 0; i < steps.size() && i < kMaxMacroActions; ++i)
    slot.macro_actions[i] = steps[i];
  return slot;
}

TEST(MacroReport, PairsExtensionsAndHeader) {
  ButtonSlot slot = MacroSlot({{4, kActionPress, 0},
                               {4, kActionRelease, 20},
                               {5, kActionPress, 1270},
                               {6, kActionPress, 1271},
                               {7, kActionRelease, 1500},
                               {8, kActionPress, 1600}});
  slot.macro_mode = 2;
  slot.macro_repeat = 0;
  slot.macro_reserved = 0x33;
  const auto report = EncodeMacroReport(7, slot);
  // Kind, length, button, mode, the reserved byte three times, repeat 0 sent
  // as 1, zeros to byte 28, the pair count and the pairs.
  const std::string pairs = "09010483047f05070606038b07070301080803";  // count, (time, key)...
  EXPECT_EQ(Hex(report).substr(0, 94), "0983070233333301" + std::string(40, '0') + pairs);
  EXPECT_TRUE(IsWellFormed(report));
}

TEST(MacroReport, PairsAreCapped) {
  const auto ten =
      EncodeMacroReport(1, MacroSlot(std::vector(12, MacroAction{4, kActionPress, 2000})));
  EXPECT_EQ(ten[28], 22);
  // At most ten extensions: the eleventh long step's pair follows the tenth's directly.
  EXPECT_EQ(ten[29 + 2 * 20], 0x01);
  EXPECT_EQ(ten[29 + 2 * 21], 0x01);

  // 46 long steps need 56 pairs; only 50 fit before the checksum. A damaged
  // count above 46 is read as 46: nothing past the action array.
  ButtonSlot slot = MacroSlot(std::vector(kMaxMacroActions, MacroAction{9, kActionRelease, 1300}));
  for (const int count : {static_cast<int>(kMaxMacroActions), 60000}) {
    slot.macro_action_count = static_cast<uint16_t>(count);
    const auto report = EncodeMacroReport(18, slot);
    EXPECT_EQ(report[28], 50);
    EXPECT_TRUE(IsWellFormed(report));
  }
}

TEST(Frame, WellFormedRejectsBadLengthsAndChecksums) {
  auto report = EncodeButtonMapReport(*DefaultProfile());
  report[10] ^= 1;
  const auto reset = ResetReport();
  const uint8_t unknown[] = {0x07, 3, 1};
  EXPECT_TRUE(IsWellFormed(reset));
  EXPECT_FALSE(IsWellFormed(report) || IsWellFormed(std::span(reset).first(9)) ||
               IsWellFormed(unknown));
  EXPECT_EQ(Hex(reset), "0c0a01fe01fe00000000");  // the reset report is fixed
}

using Ms = Clock::Ms;
using Pauses = std::vector<Ms>;
using Sends = std::vector<std::string>;

// What each transport was handed, in order: its name, and for a 64-byte macro
// chunk its index (the chunks' bytes are checked by the virtual mouse).
class DeliveryTest : public ::testing::Test {
 protected:
  DeliveryTest() : delivery(flags, clock) {
    delivery.SetWiredSend(Transport("wired", wired_result));
    delivery.SetWirelessSend(Transport("wireless", wireless_result));
    delivery.SetBleWrite(Transport("ble", ble_result));
  }
  TransportSend Transport(std::string name, int& result) {
    return [this, name, &result](std::span<const uint8_t> bytes) {
      sent.push_back(name + (bytes.size() == 64 ? "#" + std::to_string(bytes[3]) : ""));
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

  LinkFlags flags;
  ManualClock clock;
  ReportDelivery delivery;
  int wired_result = 1;
  int wireless_result = 1;
  int ble_result = 1;
  Sends sent;
  const PollingRateBytes plain = PollingRateReport(ProfileRecord{});
  const std::vector<uint8_t> macro = test::ValidReport(kKindMacro, 1, 4);
};

TEST_F(DeliveryTest, TheCableComesFirstAndCarriesAMacroInThreeChunks) {
  Connect(1, 1, 0);
  EXPECT_EQ(delivery.Deliver(plain), Delivery::kSentByCable);
  wired_result = 0;  // a failed plain send is final: no pause, no other link
  EXPECT_EQ(delivery.SendReport(plain), 0);
  wired_result = 1;
  EXPECT_NE(delivery.SendReport(macro), 0);
  EXPECT_EQ(sent, (Sends{"wired", "wired", "wired#0", "wired#1", "wired#2"}));
  EXPECT_EQ(clock.Sleeps(), (Pauses{Ms(500), Ms(200), Ms(200), Ms(200), Ms(500)}));
}

TEST_F(DeliveryTest, WiredMacroWhoseLastChunkFailsGoesToBleWhole) {
  Connect(1, 0, 1);
  int calls = 0;
  delivery.SetWiredSend([&](std::span<const uint8_t>) { return ++calls < 3 ? 1 : 0; });
  EXPECT_EQ(delivery.Deliver(macro), Delivery::kWrittenOverBluetooth);
  EXPECT_EQ(sent, Sends{"ble"});
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
  EXPECT_EQ(sent, Sends{"wireless"});
  EXPECT_EQ(clock.Sleeps(), (Pauses{Ms(500), Ms(500)}));
  EXPECT_EQ(debug, (std::vector<std::string>{"Wireless Send = 1\n"}));
}

TEST_F(DeliveryTest, WirelessWithoutAcknowledgementSendsTenTimes) {
  Connect(0, 1, 0);
  flags.ack_received = true;  // a stale acknowledgement is cleared first
  // Every send was taken by the driver, yet the mouse confirmed none.
  EXPECT_EQ(delivery.Deliver(plain), Delivery::kFailed);
  EXPECT_EQ(clock.Now(), Ms(5500));
  wireless_result = 0;  // failures do not shorten the repetition
  EXPECT_EQ(delivery.SendReport(macro), 0);
  Sends expected(10, "wireless");
  for (int i = 0; i < 30; ++i) expected.push_back("wireless#" + std::to_string(i % 3));
  EXPECT_EQ(sent, expected);
  EXPECT_EQ(clock.Now(), Ms(5500 + 30000));
}

TEST_F(DeliveryTest, SleepingWirelessMouseShutdownAndBleRules) {
  Connect(0, 1, 0);
  flags.wireless_ready = false;
  EXPECT_EQ(delivery.SendReport(plain), 0);
  flags.ble_link = 1;
  // The polling rate never goes over BLE: not delivered, but not a failure.
  EXPECT_EQ(delivery.Deliver(plain), Delivery::kNotCarried);
  ble_result = 0;
  EXPECT_EQ(delivery.SendReport(macro), 0);
  EXPECT_EQ(sent, Sends{"ble"});
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
