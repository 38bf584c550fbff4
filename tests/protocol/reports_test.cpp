#include "protocol/reports.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

namespace vexel::protocol {
namespace {

std::unique_ptr<ProfileRecord> DefaultProfile() {
  auto profile = MakeZeroProfile();
  ApplyProfileDefaults(*profile);
  return profile;
}

template <std::size_t N>
std::vector<uint8_t> Bytes(const std::array<uint8_t, N>& report) {
  return {report.begin(), report.end()};
}

TEST(SmallReports, PollingRateCodesAndComplement) {
  auto profile = DefaultProfile();
  const struct {
    int32_t rate;
    uint8_t code;
  } cases[] = {{0, 8}, {1, 4}, {2, 2}, {3, 1}, {4, 2}, {-1, 2}, {1000, 2}};
  for (const auto& c : cases) {
    profile->polling_rate = c.rate;
    EXPECT_EQ(
        Bytes(PollingRateReport(*profile)),
        (std::vector<uint8_t>{0x06, 0x09, 0x01, c.code, static_cast<uint8_t>(~c.code), 0, 0, 0, 0}))
        << "polling_rate " << c.rate;
  }
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
  const auto report = LightingReport(*profile);
  const std::vector<uint8_t> expected_head = {0x05, 0x0F, 0x01, 0x10, 0x03, 0xA3,
                                              0x11, 0x22, 0x33, 0xFF, 0x04};
  EXPECT_EQ(std::vector<uint8_t>(report.begin(), report.begin() + 11), expected_head);
  const unsigned sum = 0x10 + 0x03 + 0xA3 + 0x11 + 0x22 + 0x33 + 0xFF + 0x04;
  EXPECT_EQ(std::vector<uint8_t>(report.begin() + 11, report.end()),
            (std::vector<uint8_t>{sum >> 8, sum & 0xFF, 0, 0}));

  // Brightness travels only in modes 1 and 9; other modes send 8. The high
  // nibble of the sleep timer goes into byte 4.
  profile->light_mode = 9;
  profile->sleep_timer = 0x5A;
  EXPECT_EQ(LightingReport(*profile)[5], static_cast<uint8_t>(0xA0 | 3));
  EXPECT_EQ(LightingReport(*profile)[4], 0x50 | 3);
  profile->light_mode = 2;
  EXPECT_EQ(LightingReport(*profile)[5], static_cast<uint8_t>(0xA0 | 8));
  EXPECT_EQ(LightingReport(*profile)[3], 0x20);
}

TEST(PerformanceReport, DefaultStagesAndColours) {
  auto profile = DefaultProfile();
  profile->dpi_stage_enabled[6] = profile->dpi_stage_enabled[7] = 1;
  profile->dpi_stage_current = 0;
  const auto report = EncodePerformanceReport(*profile);
  EXPECT_EQ(report[0], 0x04);
  EXPECT_EQ(report[1], 56);
  EXPECT_EQ(std::vector<uint8_t>(report.begin() + 5, report.begin() + 8),
            (std::vector<uint8_t>{0xFF, 0, 0}));
  const std::vector<uint8_t> codes = {11, 22, 46, 69, 92, 115, 0, 0};
  EXPECT_EQ(std::vector<uint8_t>(report.begin() + 8, report.begin() + 16), codes);
  EXPECT_EQ(std::vector<uint8_t>(report.begin() + 16, report.begin() + 24), codes);
  EXPECT_EQ(report[24], 1);
  // Stage 6 colour 255, 64, 0 at 25 + 18.
  EXPECT_EQ(std::vector<uint8_t>(report.begin() + 43, report.begin() + 46),
            (std::vector<uint8_t>{255, 64, 0}));
  EXPECT_EQ(report[49], 0x01);
  EXPECT_TRUE(IsWellFormed(report));
}

TEST(PerformanceReport, HighRangeAndOutOfTableValues) {
  auto profile = DefaultProfile();
  profile->dpi_x[0] = 64;             // high range, table[32]
  profile->dpi_x[1] = 101;            // the largest value the table covers
  profile->dpi_x[2] = 150;            // past the table: its last entry, high range
  profile->dpi_x[3] = -7;             // nonsense below zero sends 0
  profile->dpi_stage_enabled[4] = 2;  // only 1 means enabled
  const auto report = EncodePerformanceReport(*profile);
  // Stage mask, high-range mask and its copy, then the first four DPI codes.
  EXPECT_EQ(std::vector<uint8_t>(report.begin() + 5, report.begin() + 12),
            (std::vector<uint8_t>{0b0010'1111, 0b0000'0111, 0b0000'0111, 73, 115, 115, 0}));
  EXPECT_TRUE(IsWellFormed(report));
}

TEST(ButtonMapReport, TriplesForEachKindOfFunction) {
  auto profile = DefaultProfile();
  profile->button[0].function_code = kFunctionKeyCombination;
  profile->button[0].modifiers = 0x05;
  profile->button[0].key_usage = 0x04;
  profile->button[6].function_code = kFunctionMacro;
  profile->button[2].function_code = 15;  // not a code the mouse knows
  profile->button[3].function_code = 50;
  const auto report = EncodeButtonMapReport(*profile);
  auto triple = [&](int s) {
    return std::vector<uint8_t>{report[3 + 3 * s], report[4 + 3 * s], report[5 + 3 * s]};
  };
  EXPECT_EQ(triple(0), (std::vector<uint8_t>{17, 5, 4}));
  EXPECT_EQ(triple(6), (std::vector<uint8_t>{18, 0, 7}));
  EXPECT_EQ(triple(2), (std::vector<uint8_t>{0, 0, 0}));
  EXPECT_EQ(triple(3), (std::vector<uint8_t>{17, 10, 22}));
  EXPECT_EQ(triple(1), (std::vector<uint8_t>{3, 0, 0}));   // right click, code 2
  EXPECT_EQ(triple(17), (std::vector<uint8_t>{9, 0, 0}));  // scroll up, code 11
  EXPECT_TRUE(IsWellFormed(report));
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
  const struct {
    uint16_t delay;
    uint8_t action;
    uint8_t expected;
  } cases[] = {{1, kActionPress, 0x01},    {20, kActionRelease, 0x83},
               {1270, kActionPress, 0x7F}, {71, kActionPress, 0x07},
               {100, kActionPress, 0x0B},  {45, kActionPress, 0x05}};  // 4.5 + 0.5 = 5
  for (const auto& c : cases) EXPECT_EQ(MacroTimeByte(c.delay, c.action), c.expected) << c.delay;
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
  // Kind, length, button, mode, the reserved byte three times, repeat 0 sent as 1, zeros.
  std::vector<uint8_t> header = {0x09, 0x83, 7, 2, 0x33, 0x33, 0x33, 1};
  header.resize(28, 0);
  EXPECT_EQ(std::vector<uint8_t>(report.begin(), report.begin() + 28), header);
  const std::vector<uint8_t> pairs = {0x01, 4,    0x83, 4, 0x7F, 5,    0x07, 6, 6,
                                      3,    0x8B, 7,    7, 3,    0x01, 8,    8, 3};
  EXPECT_EQ(report[28], 9);
  EXPECT_EQ(std::vector<uint8_t>(report.begin() + 29, report.begin() + 29 + pairs.size()), pairs);
  EXPECT_TRUE(IsWellFormed(report));
}

TEST(MacroReport, PairsAreCapped) {
  const auto ten =
      EncodeMacroReport(1, MacroSlot(std::vector(12, MacroAction{4, kActionPress, 2000})));
  EXPECT_EQ(ten[28], 22);
  // At most ten extensions: the eleventh long step's pair follows the tenth's directly.
  EXPECT_EQ(ten[29 + 2 * 20], 0x01);
  EXPECT_EQ(ten[29 + 2 * 21], 0x01);

  // 46 long steps need 56 pairs; only 50 fit before the checksum.
  std::vector<MacroAction> steps(kMaxMacroActions, MacroAction{9, kActionRelease, 1300});
  ButtonSlot slot = MacroSlot(steps);
  auto report = EncodeMacroReport(18, slot);
  EXPECT_EQ(report[28], 50);
  EXPECT_TRUE(IsWellFormed(report));

  // A damaged count above 46 is read as 46: nothing past the action array.
  slot.macro_action_count = 60000;
  report = EncodeMacroReport(18, slot);
  EXPECT_EQ(report[28], 50);
  EXPECT_TRUE(IsWellFormed(report));
}

TEST(Frame, WellFormedRejectsBadLengthsAndChecksums) {
  auto profile = DefaultProfile();
  auto report = EncodeButtonMapReport(*profile);
  EXPECT_TRUE(IsWellFormed(report));
  report[10] ^= 1;
  EXPECT_FALSE(IsWellFormed(report));
  const auto reset = ResetReport();
  EXPECT_TRUE(IsWellFormed(reset));
  EXPECT_FALSE(IsWellFormed(std::span(reset).first(9)));
  const uint8_t unknown[] = {0x07, 3, 1};
  EXPECT_FALSE(IsWellFormed(unknown));
  EXPECT_EQ(ToHex(reset, ""), "0c0a01fe01fe00000000");  // the reset report is fixed
}

}  // namespace
}  // namespace vexel::protocol
