#include "protocol/change_detection.h"

#include <cstddef>
#include <cstring>

namespace vexel::protocol {
namespace {

struct Span {
  std::size_t offset;
  std::size_t size;
};

#define VEXEL_FIELD(field)                                       \
  Span {                                                         \
    offsetof(ProfileRecord, field), sizeof(ProfileRecord::field) \
  }

constexpr Span kPollingRateFields[] = {VEXEL_FIELD(polling_rate)};

constexpr Span kPerformanceFields[] = {VEXEL_FIELD(dpi_stage_current),
                                       VEXEL_FIELD(reserved_2224),
                                       VEXEL_FIELD(lift_off_distance),
                                       VEXEL_FIELD(performance_reserved),
                                       VEXEL_FIELD(ripple_control),
                                       VEXEL_FIELD(angle_snap),
                                       VEXEL_FIELD(dpi_x),
                                       VEXEL_FIELD(dpi_y),
                                       VEXEL_FIELD(dpi_stage_enabled),
                                       VEXEL_FIELD(dpi_colour)};

constexpr Span kLightingFields[] = {VEXEL_FIELD(light_mode),         VEXEL_FIELD(light_mode_ble),
                                    VEXEL_FIELD(light_breath_speed), VEXEL_FIELD(light_brightness),
                                    VEXEL_FIELD(key_debounce),       VEXEL_FIELD(light_colour),
                                    VEXEL_FIELD(sleep_timer),        VEXEL_FIELD(light_off_timer)};

#undef VEXEL_FIELD

// Every word from the start of the button area to the end of the record.
constexpr Span kButtonArea = {offsetof(ProfileRecord, button), sizeof(ProfileRecord::button)};

bool Differs(const ProfileRecord& a, const ProfileRecord& b, const Span& span) {
  const auto* left = reinterpret_cast<const unsigned char*>(&a);
  const auto* right = reinterpret_cast<const unsigned char*>(&b);
  return std::memcmp(left + span.offset, right + span.offset, span.size) != 0;
}

template <std::size_t N>
bool AnyDiffers(const ProfileRecord& a, const ProfileRecord& b, const Span (&spans)[N]) {
  for (const Span& span : spans) {
    if (Differs(a, b, span)) return true;
  }
  return false;
}

// The per-button comparison: macro_mode, macro_repeat, the word that starts
// with macro_reserved, and the 46 action words. macro_action_count is not in it.
bool MacroDiffers(const ButtonSlot& a, const ButtonSlot& b) {
  return a.macro_mode != b.macro_mode || a.macro_repeat != b.macro_repeat ||
         a.macro_reserved != b.macro_reserved ||
         std::memcmp(a.reserved_1085, b.reserved_1085, sizeof(a.reserved_1085)) != 0 ||
         std::memcmp(a.macro_actions, b.macro_actions, sizeof(a.macro_actions)) != 0;
}

}  // namespace

DirtyFlags DirtyFlags::All() {
  DirtyFlags flags;
  flags.performance = flags.polling_rate = flags.lighting = flags.button_map = true;
  flags.button.fill(true);
  return flags;
}

bool DirtyFlags::Any() const {
  if (performance || polling_rate || lighting || button_map) return true;
  for (bool flag : button) {
    if (flag) return true;
  }
  return false;
}

DirtyFlags& DirtyFlags::operator|=(const DirtyFlags& other) {
  performance |= other.performance;
  polling_rate |= other.polling_rate;
  lighting |= other.lighting;
  button_map |= other.button_map;
  for (std::size_t i = 0; i < button.size(); ++i) button[i] = button[i] || other.button[i];
  return *this;
}

DirtyFlags DetectChanges(const ProfileRecord& edited, const ProfileRecord& baseline) {
  DirtyFlags flags;
  flags.polling_rate = AnyDiffers(edited, baseline, kPollingRateFields);
  flags.performance = AnyDiffers(edited, baseline, kPerformanceFields);
  flags.lighting = AnyDiffers(edited, baseline, kLightingFields);
  flags.button_map = Differs(edited, baseline, kButtonArea);
  for (int n = 0; n < kUsedButtonCount; ++n) {
    flags.button[n] = MacroDiffers(edited.button[n], baseline.button[n]);
  }
  return flags;
}

}  // namespace vexel::protocol
