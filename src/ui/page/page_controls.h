// The page's controls, looked up by name once. A control missing from the skin
// is a null pointer; every use goes through the null-safe helpers below.
#pragma once

#include <array>
#include <string_view>

#include "store/profile_record.h"
#include "toolkit/control.h"

namespace vexel::toolkit {
class Window;
}

namespace vexel {

struct SectionControls {
  toolkit::Control* check = nullptr;
  toolkit::Control* container = nullptr;
  bool scroll_into_view = false;
};

struct PageControls {
  // Buttons
  std::array<toolkit::Control*, kUsedButtonCount> button_key{};
  std::array<toolkit::Control*, kUsedButtonCount> key_control{};
  toolkit::Control* button_macro = nullptr;
  // Profiles
  toolkit::Control* list_profile = nullptr;
  toolkit::Control* profile_add = nullptr;
  toolkit::Control* profile_delete = nullptr;
  toolkit::Control* profile_rename = nullptr;
  toolkit::Control* profile_import = nullptr;
  toolkit::Control* profile_export = nullptr;
  toolkit::Control* profile_reset = nullptr;
  // Connection
  toolkit::Control* wired = nullptr;
  toolkit::Control* wireless = nullptr;
  toolkit::Control* ble = nullptr;
  toolkit::Control* sleep_label = nullptr;
  // Automatic profiles
  toolkit::Control* rules_enabled = nullptr;
  toolkit::Control* list_rules = nullptr;
  toolkit::Control* edit_rule_app = nullptr;
  toolkit::Control* combo_rule_profile = nullptr;
  toolkit::Control* btn_rule_add = nullptr;
  toolkit::Control* btn_rule_remove = nullptr;
  toolkit::Control* combo_rule_default = nullptr;
  // Sections
  std::array<SectionControls, 13> sections{};
  toolkit::Control* ver_setting = nullptr;
  // DPI
  std::array<toolkit::Control*, kDpiStageCount> slider_dpi{};
  std::array<toolkit::Control*, kDpiStageCount> label_dpi{};
  std::array<toolkit::Control*, kDpiStageCount> option_dpi_step{};
  std::array<toolkit::Control*, kDpiStageCount> btn_dpi_color{};
  std::array<toolkit::Control*, kDpiStageCount> edit_dpi{};
  toolkit::Control* btn_apply_dpi = nullptr;
  toolkit::Control* btn_reset_dpi = nullptr;
  // Lighting
  toolkit::Control* combo_light = nullptr;
  toolkit::Control* combo_light_ble = nullptr;
  toolkit::Control* ver_brightness = nullptr;
  toolkit::Control* slider_brightness = nullptr;
  toolkit::Control* ver_breathspeed = nullptr;
  toolkit::Control* slider_breathspeed = nullptr;
  toolkit::Control* hor_light_color = nullptr;
  toolkit::Control* btn_light_color = nullptr;
  // Polling rate
  std::array<toolkit::Control*, 4> btn_prate{};
  toolkit::Control* label_prate = nullptr;
  // Other settings
  toolkit::Control* btn_mouse_attribute = nullptr;
  toolkit::Control* slider_light_off = nullptr;
  toolkit::Control* label_light_off = nullptr;
  toolkit::Control* slider_sleep_timer = nullptr;
  toolkit::Control* label_sleep_timer = nullptr;
  toolkit::Control* check_movemode = nullptr;
  std::array<toolkit::Control*, 2> option_lift_of_distance{};
  std::array<toolkit::Control*, 2> option_ripple_control{};
  std::array<toolkit::Control*, 2> option_angle_snap{};
  toolkit::Control* slider_key_debounce = nullptr;
  toolkit::Control* label_key_debounce = nullptr;
  // Apply and power
  toolkit::Control* apply_btn = nullptr;
  toolkit::Control* btn_reset = nullptr;
  toolkit::Control* progress_power = nullptr;
  toolkit::Control* label_power = nullptr;
  toolkit::Control* low_power_label = nullptr;

  // Looks every control up in the order of the page's control table.
  void LookUp(toolkit::Window& window);

  SectionControls* SectionOfCheck(const toolkit::Control* check);
  // The section of that check box name; both controls null when unknown.
  SectionControls Section(std::string_view check_name) const;
};

// Null-safe control helpers.
void ShowControl(toolkit::Control* control, bool visible);
void SetPlainText(toolkit::Control* control, std::string_view text);
void SetKeyText(toolkit::Control* control, std::string_view key);
void SetControlValue(toolkit::Control* control, int value);
// What a screen reader says for a slider's value: the value as the page shows
// it ("3.0 min"), not the slider's step.
void SetSpokenValue(toolkit::Control* slider, std::string_view text);
void SelectOption(toolkit::Control* control);  // without a notification

// Index of `control` in `group`, or -1.
template <std::size_t N>
int IndexIn(const std::array<toolkit::Control*, N>& group, const toolkit::Control* control) {
  for (std::size_t i = 0; i < N; ++i) {
    if (group[i] != nullptr && group[i] == control) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace vexel
