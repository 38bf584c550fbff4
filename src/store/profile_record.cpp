#include "store/profile_record.h"

#include <algorithm>
#include <cstring>

namespace vexel {
namespace {

constexpr std::array<int32_t, kDpiStageCount> kDefaultDpi = {5, 10, 20, 30, 40, 50, 0, 0};
constexpr std::array<int32_t, kDpiStageCount> kDefaultStageEnabled = {1, 1, 1, 1, 1, 1, 0, 0};
constexpr std::array<Colour, kDpiStageCount> kDefaultDpiColour = {
    ColourFromRgb(255, 0, 0),   ColourFromRgb(0, 255, 0),    ColourFromRgb(0, 0, 255),
    ColourFromRgb(0, 255, 255), ColourFromRgb(255, 255, 0),  ColourFromRgb(255, 0, 255),
    ColourFromRgb(255, 64, 0),  ColourFromRgb(255, 255, 255)};
constexpr std::array<Colour, kDpiStageCount> kDefaultReservedColour = {
    ColourFromRgb(255, 0, 0),     ColourFromRgb(0, 255, 0),   ColourFromRgb(0, 0, 255),
    ColourFromRgb(255, 0, 255),   ColourFromRgb(255, 255, 0), ColourFromRgb(255, 255, 255),
    ColourFromRgb(255, 255, 255), ColourFromRgb(255, 128, 0)};

}  // namespace

std::unique_ptr<ProfileRecord> MakeZeroProfile() {
  auto record = std::make_unique<ProfileRecord>();
  std::memset(record.get(), 0, sizeof(ProfileRecord));
  return record;
}

void ApplyDpiDefaults(ProfileRecord& record) {
  record.dpi_stage_current = 1;
  std::copy(kDefaultDpi.begin(), kDefaultDpi.end(), record.dpi_x);
  std::copy(kDefaultDpi.begin(), kDefaultDpi.end(), record.dpi_y);
  std::copy(kDefaultStageEnabled.begin(), kDefaultStageEnabled.end(), record.dpi_stage_enabled);
  std::copy(kDefaultDpiColour.begin(), kDefaultDpiColour.end(), record.dpi_colour);
}

void ApplyProfileDefaults(ProfileRecord& record) {
  record.reserved_text_a[0] = 0;
  record.reserved_text_b[0] = 0;

  record.lift_off_distance = 0;
  record.performance_reserved = 0;
  record.reserved_2224 = 0;
  record.polling_rate = 3;
  ApplyDpiDefaults(record);
  record.reserved_2208 = 0;
  record.reserved_2204 = 3;
  record.reserved_2200 = 420;
  record.reserved_2212 = 6;
  record.light_colour = ColourFromRgb(0, 0, 255);
  std::copy(kDefaultReservedColour.begin(), kDefaultReservedColour.end(), record.reserved_colour);
  record.reserved_2388 = 1;
  record.light_mode = 7;
  record.light_mode_ble = 3;
  record.light_brightness = 8;
  record.key_debounce = 4;
  record.light_breath_speed = 6;
  record.sleep_timer = 10;
  record.light_off_timer = 2;
  record.ripple_control = 0;
  record.angle_snap = 0;
  record.reserved_2376 = 1;

  std::memset(record.button, 0, sizeof(record.button));
  for (int k = 0; k < kUsedButtonCount; ++k) {
    ButtonSlot& slot = record.button[k];
    slot.button_index = static_cast<uint8_t>(k);
    slot.function_code = default_function_table[k];
    slot.reserved_2 = 0;
    slot.reserved_8 = 562;
    slot.macro_index = -1;
    slot.reserved_1076 = -1;
  }
}

uint32_t ColourToArgb(Colour colour) {
  return 0xFF000000u | (uint32_t{colour.red} << 16) | (uint32_t{colour.green} << 8) |
         uint32_t{colour.blue};
}

Colour ArgbToColour(uint32_t argb) {
  return ColourFromRgb(static_cast<uint8_t>(argb >> 16), static_cast<uint8_t>(argb >> 8),
                       static_cast<uint8_t>(argb));
}

int32_t ColourAsInt(Colour colour) {
  uint32_t value = uint32_t{colour.red} | (uint32_t{colour.green} << 8) |
                   (uint32_t{colour.blue} << 16) | (uint32_t{colour.zero} << 24);
  return static_cast<int32_t>(value);
}

Colour ColourFromInt(int32_t value) {
  const auto bits = static_cast<uint32_t>(value);
  return Colour{static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8),
                static_cast<uint8_t>(bits >> 16), static_cast<uint8_t>(bits >> 24)};
}

}  // namespace vexel
