#include "firmware/firmware_settings.h"

namespace vexel::sim {
namespace {

using protocol::ButtonMapLayout;
using protocol::FrameLayout;
using protocol::LightingLayout;
using protocol::MacroLayout;
using protocol::PerformanceLayout;
using protocol::PollingRateLayout;

Rgb ColourAt(std::span<const uint8_t> report, std::size_t offset) {
  return {report[offset + protocol::kRedOffset], report[offset + protocol::kGreenOffset],
          report[offset + protocol::kBlueOffset]};
}

void TakePerformance(std::span<const uint8_t> report, FirmwareSettings& settings) {
  using Layout = PerformanceLayout;
  settings.lift_off_distance = report[Layout::kLiftOffDistance];
  settings.stage_mask = report[Layout::kStageMask];
  settings.high_range_mask = report[Layout::kHighRangeMask];
  for (int i = 0; i < kStageCount; ++i) {
    settings.dpi_codes[i] = report[Layout::kDpiCodes + i];
    settings.stage_colours[i] = ColourAt(report, Layout::kStageColours + protocol::kColourSize * i);
  }
  // A stage the mouse does not have leaves the one in use.
  const int stage = report[Layout::kDpiStage];
  if (stage >= 1 && stage <= kStageCount) settings.dpi_stage = stage;
}

void TakeLighting(std::span<const uint8_t> report, FirmwareSettings& settings) {
  using Layout = LightingLayout;
  const uint8_t high = report[Layout::kSleepHighAndSpeed];
  const uint8_t low = report[Layout::kSleepLowAndBrightness];
  settings.light_mode = report[Layout::kMode] >> 4;
  settings.sleep_timer = static_cast<uint8_t>((high & 0xF0) | (low >> 4));
  settings.breath_code = high & 0x0F;
  settings.brightness = low & 0x0F;
  settings.light_colour = ColourAt(report, Layout::kColour);
  settings.light_off_timer = report[Layout::kLightOffTimer];
  settings.key_debounce = report[Layout::kKeyDebounce];
}

void TakeButtonMap(std::span<const uint8_t> report, FirmwareSettings& settings) {
  using Layout = ButtonMapLayout;
  for (std::size_t s = 0; s < Layout::kButtonCount; ++s) {
    const std::size_t at = Layout::kTriples + Layout::kTripleSize * s;
    settings.buttons[s] = {report[at], report[at + 1], report[at + 2]};
  }
}

void TakeMacro(std::span<const uint8_t> report, FirmwareSettings& settings) {
  using Layout = MacroLayout;
  MacroSettings macro{
      report[Layout::kMode], report[Layout::kReserved], report[Layout::kRepeat], {}};
  const std::size_t count = report[Layout::kPairCount];  // at most kMaxPairs: checked on arrival
  for (std::size_t p = 0; p < count && p < Layout::kMaxPairs; ++p) {
    const std::size_t at = Layout::kPairs + Layout::kPairSize * p;
    macro.pairs.push_back({report[at], report[at + 1]});
  }
  settings.macros[report[Layout::kButton]] = std::move(macro);
}

}  // namespace

void TakeReport(std::span<const uint8_t> report, FirmwareSettings& settings) {
  switch (report[FrameLayout::kKind]) {
    case PerformanceLayout::kKind:
      TakePerformance(report, settings);
      break;
    case LightingLayout::kKind:
      TakeLighting(report, settings);
      break;
    case PollingRateLayout::kKind:
      settings.polling_code = report[PollingRateLayout::kIntervalCode];
      break;
    case ButtonMapLayout::kKind:
      TakeButtonMap(report, settings);
      break;
    case MacroLayout::kKind:
      TakeMacro(report, settings);
      break;
    default:
      break;  // the reset report clears nothing the model keeps
  }
}

const std::vector<std::vector<uint8_t>>& FactoryReports() {
  // Six stages of 500 to 5000 DPI, stage 2 in use; blue light in mode 7;
  // 1 ms between reports; the buttons as printed on the mouse.
  static const std::vector<std::vector<uint8_t>> reports = {
      {0x04, 0x38, 0x01, 0x00, 0x00, 0x3f, 0x00, 0x00, 0x0b, 0x16, 0x2e, 0x45, 0x5c, 0x73,
       0x00, 0x00, 0x0b, 0x16, 0x2e, 0x45, 0x5c, 0x73, 0x00, 0x00, 0x02, 0xff, 0x00, 0x00,
       0x00, 0xff, 0x00, 0x00, 0x00, 0xff, 0x00, 0xff, 0xff, 0xff, 0xff, 0x00, 0xff, 0x00,
       0xff, 0xff, 0x40, 0x00, 0xff, 0xff, 0xff, 0x01, 0x10, 0x3b, 0x00, 0x00, 0x00, 0x00},
      {0x05, 0x0f, 0x01, 0x70, 0x03, 0xa8, 0x00, 0x00, 0xff, 0x02, 0x04, 0x02, 0x20, 0x00, 0x00},
      {0x06, 0x09, 0x01, 0x01, 0xfe, 0x00, 0x00, 0x00, 0x00},
      {0x08, 0x3b, 0x01, 0x02, 0x00, 0x00, 0x03, 0x00, 0x00, 0x04, 0x00, 0x00, 0x0d, 0x00, 0x00,
       0x0d, 0x00, 0x00, 0x0f, 0x00, 0x00, 0x06, 0x00, 0x00, 0x05, 0x00, 0x00, 0x01, 0x00, 0x00,
       0x01, 0x00, 0x00, 0x01, 0x00, 0x00, 0x01, 0x00, 0x00, 0x01, 0x00, 0x00, 0x01, 0x00, 0x00,
       0x01, 0x00, 0x00, 0x01, 0x00, 0x00, 0x0a, 0x00, 0x00, 0x09, 0x00, 0x00, 0x00, 0x58},
  };
  return reports;
}

}  // namespace vexel::sim
