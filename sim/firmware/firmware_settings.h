// What the mouse keeps of the reports it took, read from their bytes the way
// the mouse reads them.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <vector>

#include "protocol/report_layout.h"

namespace vexel::sim {

inline constexpr int kStageCount = static_cast<int>(protocol::PerformanceLayout::kStageCount);

struct Rgb {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct CodeTriple {
  uint8_t c0 = 0;
  uint8_t c1 = 0;
  uint8_t c2 = 0;
  friend bool operator==(const CodeTriple&, const CodeTriple&) = default;
};

struct MacroPair {
  uint8_t time = 0;  // 10 ms units, bit 0 set; bit 7 for a release
  uint8_t code = 0;
  friend bool operator==(const MacroPair&, const MacroPair&) = default;
};

struct MacroSettings {
  uint8_t mode = 0;
  uint8_t reserved = 0;
  uint8_t repeat = 0;
  std::vector<MacroPair> pairs;
  friend bool operator==(const MacroSettings&, const MacroSettings&) = default;
};

struct FirmwareSettings {
  uint8_t lift_off_distance = 0;
  uint8_t stage_mask = 0;       // bit i: stage i + 1 in use
  uint8_t high_range_mask = 0;  // bit i: stage i + 1 counts double
  std::array<uint8_t, kStageCount> dpi_codes{};
  int dpi_stage = 1;  // 1-8
  std::array<Rgb, kStageCount> stage_colours{};

  int light_mode = 0;
  uint8_t sleep_timer = 0;
  uint8_t breath_code = 0;  // 9 - breath speed, as sent
  uint8_t brightness = 0;
  Rgb light_colour;
  uint8_t light_off_timer = 0;
  uint8_t key_debounce = 0;

  int polling_code = 1;  // report interval 8, 4, 2 or 1

  std::array<CodeTriple, protocol::ButtonMapLayout::kButtonCount> buttons{};
  std::map<int, MacroSettings> macros;  // by button number

  friend bool operator==(const FirmwareSettings&, const FirmwareSettings&) = default;
};

// Takes what a report that passed CheckReport says into `settings`.
void TakeReport(std::span<const uint8_t> report, FirmwareSettings& settings);

// The reports a new mouse holds: its factory settings.
const std::vector<std::vector<uint8_t>>& FactoryReports();

}  // namespace vexel::sim
