#include "protocol/reports.h"

#include <algorithm>

namespace vexel::protocol {
namespace {

constexpr uint8_t Low8(int32_t value) {
  return static_cast<uint8_t>(value);
}

struct DeviceCodeEntry {
  uint8_t function_code;
  DeviceCode code;
};

// Function code -> what the mouse calls it. Rows with c0 = 17 are keyboard
// combinations: c1 a HID modifier byte, c2 a HID usage.
constexpr DeviceCodeEntry kDeviceCodeTable[] = {
    {0, {1, 0, 0}},    {1, {2, 0, 0}},    {2, {3, 0, 0}},    {3, {4, 0, 0}},    {4, {6, 0, 0}},
    {5, {5, 0, 0}},    {6, {13, 0, 0}},   {7, {14, 0, 0}},   {8, {15, 0, 0}},   {9, {7, 0, 0}},
    {10, {8, 0, 0}},   {11, {9, 0, 0}},   {12, {10, 0, 0}},  {13, {11, 0, 0}},  {14, {12, 0, 0}},
    {16, {17, 0, 0}},  {17, {18, 0, 0}},  {19, {19, 0, 0}},  {21, {43, 0, 0}},  {22, {16, 0, 3}},
    {23, {41, 0, 3}},  {32, {17, 1, 27}}, {33, {17, 1, 6}},  {34, {17, 1, 25}}, {35, {17, 1, 18}},
    {36, {17, 1, 22}}, {37, {17, 1, 9}},  {38, {17, 1, 28}}, {39, {17, 1, 29}}, {40, {17, 1, 4}},
    {41, {17, 1, 19}}, {42, {17, 4, 61}}, {43, {17, 4, 43}}, {44, {17, 8, 7}},  {45, {17, 8, 21}},
    {46, {17, 8, 15}}, {47, {17, 1, 17}}, {48, {17, 1, 46}}, {49, {17, 1, 45}}, {50, {17, 10, 22}},
    {54, {52, 0, 0}},  {55, {53, 0, 0}},  {56, {54, 0, 0}},  {64, {21, 0, 0}},  {65, {24, 0, 0}},
    {66, {25, 0, 0}},  {67, {22, 0, 0}},  {68, {23, 0, 0}},  {69, {27, 0, 0}},  {70, {28, 0, 0}},
    {71, {26, 0, 0}},  {80, {37, 0, 0}},  {81, {17, 3, 18}}, {82, {32, 0, 0}},  {83, {33, 0, 0}},
    {84, {34, 0, 0}},  {85, {36, 0, 0}},  {86, {38, 0, 0}},  {87, {30, 0, 0}},  {88, {29, 0, 0}},
    {89, {35, 0, 0}},  {115, {20, 0, 0}},
};
static_assert(std::size(kDeviceCodeTable) == 62);

constexpr uint16_t kLongestPlainDelay = 1270;  // the most a time byte's 7 bits hold
constexpr uint16_t kExtensionPeriodMs = 200;
constexpr uint8_t kExtensionCode = 3;
constexpr int kMaxExtensionPairs = 10;

// Kind, length and tag: the first bytes of every report.
template <typename Layout, std::size_t N>
void WriteFrame(std::array<uint8_t, N>& report, uint8_t tag = kProfileReportTag) {
  static_assert(N == Layout::kLength);
  report[FrameLayout::kKind] = Layout::kKind;
  report[FrameLayout::kLength] = static_cast<uint8_t>(Layout::kLength);
  report[FrameLayout::kTag] = tag;
}

template <std::size_t N>
void WriteColour(std::array<uint8_t, N>& report, std::size_t offset, Colour colour) {
  report[offset + kRedOffset] = colour.red;
  report[offset + kGreenOffset] = colour.green;
  report[offset + kBlueOffset] = colour.blue;
}

}  // namespace

ResetBytes ResetReport() {
  ResetBytes report{};
  WriteFrame<ResetLayout>(report);
  std::copy(std::begin(ResetLayout::kBodyBytes), std::end(ResetLayout::kBodyBytes),
            report.begin() + ResetLayout::kBody);
  return report;
}

// Report interval code of each polling-rate index 0-3.
constexpr uint8_t kIntervalCodes[] = {8, 4, 2, 1};
constexpr uint8_t kFallbackIntervalCode = 2;

uint8_t PollingIntervalCode(int32_t polling_rate) {
  if (polling_rate < 0 || polling_rate >= static_cast<int32_t>(std::size(kIntervalCodes))) {
    return kFallbackIntervalCode;
  }
  return kIntervalCodes[polling_rate];
}

int PollingRateOfIntervalCode(uint16_t code) {
  for (std::size_t i = 0; i < std::size(kIntervalCodes); ++i) {
    if (kIntervalCodes[i] == code) return static_cast<int>(i);
  }
  return -1;
}

PollingRateBytes PollingRateReport(const ProfileRecord& profile) {
  PollingRateBytes report{};
  WriteFrame<PollingRateLayout>(report);
  const uint8_t code = PollingIntervalCode(profile.polling_rate);
  report[PollingRateLayout::kIntervalCode] = code;
  report[PollingRateLayout::kIntervalCodeComplement] = static_cast<uint8_t>(code ^ 0xFF);
  return report;
}

LightingBytes LightingReport(const ProfileRecord& profile) {
  LightingBytes report{};
  WriteFrame<LightingLayout>(report);
  report[LightingLayout::kMode] = Low8(profile.light_mode * 16);
  // The 8-bit sleep timer is split: its high nibble leads one byte, its low
  // nibble the next.
  report[LightingLayout::kSleepHighAndSpeed] =
      static_cast<uint8_t>((profile.sleep_timer & 0xF0) | Low8(9 - profile.light_breath_speed));
  const bool brightness_applies = profile.light_mode == 1 || profile.light_mode == 9;
  const int32_t brightness = brightness_applies ? profile.light_brightness : 8;
  report[LightingLayout::kSleepLowAndBrightness] = Low8((profile.sleep_timer * 16) | brightness);
  WriteColour(report, LightingLayout::kColour, profile.light_colour);
  report[LightingLayout::kLightOffTimer] = Low8(profile.light_off_timer);
  report[LightingLayout::kKeyDebounce] = Low8(profile.key_debounce);
  WriteChecksum(report, LightingLayout::kChecksum);
  return report;
}

DpiCode DpiCodeOf(int32_t stage_value) {
  DpiCode result{0, false};
  if (stage_value > 50) {
    stage_value /= 2;
    result.high_range = true;
  }
  if (stage_value <= 0) return result;
  // Values above 101 would index past the table: they take its last entry.
  const auto index = std::min<int32_t>(stage_value, DpiCodeTable.size() - 1);
  result.code = DpiCodeTable[static_cast<std::size_t>(index)];
  return result;
}

PerformanceBytes EncodePerformanceReport(const ProfileRecord& profile) {
  PerformanceBytes report{};
  using Layout = PerformanceLayout;
  static_assert(Layout::kStageCount == kDpiStageCount);
  WriteFrame<Layout>(report);
  report[Layout::kLiftOffDistance] = Low8(profile.lift_off_distance);
  report[Layout::kReserved] = Low8(profile.performance_reserved);
  uint8_t stage_mask = 0;
  uint8_t high_range_mask = 0;
  for (int i = 0; i < kDpiStageCount; ++i) {
    if (profile.dpi_stage_enabled[i] == 1) stage_mask |= static_cast<uint8_t>(1u << i);
    const DpiCode dpi = DpiCodeOf(profile.dpi_x[i]);
    if (dpi.high_range) high_range_mask |= static_cast<uint8_t>(1u << i);
    report[Layout::kDpiCodes + i] = dpi.code;
    report[Layout::kDpiCodesCopy + i] = dpi.code;
    WriteColour(report, Layout::kStageColours + kColourSize * i, profile.dpi_colour[i]);
  }
  report[Layout::kStageMask] = stage_mask;
  report[Layout::kHighRangeMask] = high_range_mask;
  report[Layout::kHighRangeMaskCopy] = high_range_mask;
  report[Layout::kDpiStage] = Low8(profile.dpi_stage_current + 1);
  report[Layout::kTrailer] = Layout::kTrailerValue;
  WriteChecksum(report, Layout::kChecksum);
  return report;
}

DeviceCode DeviceCodeOf(uint8_t function_code) {
  for (const DeviceCodeEntry& entry : kDeviceCodeTable) {
    if (entry.function_code == function_code) return entry.code;
  }
  return DeviceCode{0, 0, 0};
}

DeviceCode ButtonCodeTriple(int slot_index, const ButtonSlot& slot) {
  DeviceCode code = DeviceCodeOf(slot.function_code);
  if (slot.function_code == kFunctionKeyCombination) {
    code.c1 = slot.modifiers;
    code.c2 = slot.key_usage;
  } else if (slot.function_code == kFunctionMacro) {
    code.c1 = 0;
    code.c2 = static_cast<uint8_t>(slot_index + 1);
  }
  return code;
}

ButtonMapBytes EncodeButtonMapReport(const ProfileRecord& profile) {
  ButtonMapBytes report{};
  using Layout = ButtonMapLayout;
  static_assert(Layout::kButtonCount == kUsedButtonCount);
  WriteFrame<Layout>(report);
  for (int s = 0; s < kUsedButtonCount; ++s) {
    const DeviceCode code = ButtonCodeTriple(s, profile.button[s]);
    const std::size_t triple = Layout::kTriples + Layout::kTripleSize * s;
    report[triple] = code.c0;
    report[triple + 1] = code.c1;
    report[triple + 2] = code.c2;
  }
  WriteChecksum(report, Layout::kChecksum);
  return report;
}

uint8_t MacroTimeByte(uint32_t milliseconds, uint8_t kind) {
  // The mouse's firmware tool divides in single precision and rounds in
  // double; keep both so borderline delays land in the same 10 ms unit.
  const float tenths = static_cast<float>(milliseconds) / 10.0f;
  const auto units = static_cast<uint32_t>(static_cast<double>(tenths) + 0.5);
  uint8_t time = static_cast<uint8_t>(units | 0x01);
  if (kind != kActionPress) time |= 0x80;
  return time;
}

MacroBytes EncodeMacroReport(int button_number, const ButtonSlot& slot) {
  MacroBytes report{};
  using Layout = MacroLayout;
  WriteFrame<Layout>(report, static_cast<uint8_t>(button_number));
  report[Layout::kMode] = Low8(slot.macro_mode);
  report[Layout::kReserved] = slot.macro_reserved;
  report[Layout::kReservedCopies] = slot.macro_reserved;
  report[Layout::kReservedCopies + 1] = slot.macro_reserved;
  report[Layout::kRepeat] = Low8(slot.macro_repeat) == 0 ? 1 : Low8(slot.macro_repeat);

  // A damaged count never reads past the 46 actions of the slot; pairs that
  // would run into the checksum are dropped and the count says what was sent.
  const int step_count = std::min<int>(slot.macro_action_count, kMaxMacroActions);
  std::size_t pairs = 0;
  int extensions = 0;
  auto write_pair = [&](uint8_t time, uint8_t code) {
    if (pairs >= Layout::kMaxPairs) return;
    report[Layout::kPairs + Layout::kPairSize * pairs] = time;
    report[Layout::kPairs + Layout::kPairSize * pairs + 1] = code;
    ++pairs;
  };
  for (int k = 0; k < step_count; ++k) {
    const MacroAction& step = slot.macro_actions[k];
    if (step.delay <= kLongestPlainDelay) {
      write_pair(MacroTimeByte(step.delay == 0 ? 1 : step.delay, step.kind), step.code);
      continue;
    }
    const uint16_t periods = step.delay / kExtensionPeriodMs;
    const uint16_t remainder = step.delay % kExtensionPeriodMs;
    write_pair(MacroTimeByte(remainder == 0 ? 1 : remainder, step.kind), step.code);
    if (extensions < kMaxExtensionPairs && pairs < Layout::kMaxPairs) {
      write_pair(static_cast<uint8_t>(periods), kExtensionCode);
      ++extensions;
    }
  }
  report[Layout::kPairCount] = static_cast<uint8_t>(pairs);
  WriteChecksum(report, Layout::kChecksum);
  return report;
}

}  // namespace vexel::protocol
