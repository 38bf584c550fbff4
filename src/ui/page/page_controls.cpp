#include "ui/page/page_controls.h"

#include <string>

#include "toolkit/window.h"

namespace vexel {
namespace {

struct SectionName {
  const char* check;
  const char* container;
  bool scroll_into_view;
};

// Each check shows or hides its container; the last five also bring the newly
// opened section into view. The window remembers the open ones by these names.
constexpr SectionName kSections[] = {
    {"ms_1_check_button", "ms_1_hor_button", false},
    {"ms_1_check_profile", "ms_1_ver_profile", false},
    {"ms_1_check_rules", "ms_1_ver_rules", false},
    {"ms_1_check_power", "ms_1_ver_power", false},
    {"ms_1_check_dpi", "ms_1_ver_dpi", false},
    {"ms_1_check_light", "ms_1_ver_light", false},
    {"ms_1_check_prate", "ms_1_ver_prate", false},
    {"ms_1_check_mouse_attribute", "ms_1_ver_mouse_attribute", false},
    {"ms_1_check_power_setting", "ms_1_ver_power_setting", true},
    {"ms_1_check_lift_of_distance", "ms_1_hor_lift_of_distance", true},
    {"ms_1_check_key_debounce", "ms_1_hor_key_debounce", true},
    {"ms_1_check_ripple_control", "ms_1_hor_ripple_control", true},
    {"ms_1_check_angle_snap", "ms_1_hor_angle_snap", true},
};
static_assert(std::size(kSections) == std::tuple_size_v<decltype(PageControls::sections)>);

template <std::size_t N>
void LookUpNumbered(toolkit::Window& window, const char* prefix,
                    std::array<toolkit::Control*, N>& controls) {
  for (std::size_t i = 0; i < N; ++i) {
    controls[i] = window.FindControl(prefix + std::to_string(i + 1));
  }
}

}  // namespace

void PageControls::LookUp(toolkit::Window& window) {
  LookUpNumbered(window, "ms_1_btn_key_", button_key);
  LookUpNumbered(window, "ms_1_key_control_", key_control);
  button_macro = window.FindControl("ms_1_btn_macro");
  list_profile = window.FindControl("ms_1_list_profile");
  profile_add = window.FindControl("ms_1_profile_add_btn");
  profile_delete = window.FindControl("ms_1_profile_delete_btn");
  profile_rename = window.FindControl("ms_1_profile_rename_btn");
  profile_import = window.FindControl("ms_1_profile_import_btn");
  profile_export = window.FindControl("ms_1_profile_export_btn");
  profile_reset = window.FindControl("ms_1_profile_reset_btn");
  rules_enabled = window.FindControl("ms_1_check_rules_enabled");
  list_rules = window.FindControl("ms_1_list_rules");
  edit_rule_app = window.FindControl("ms_1_edit_rule_app");
  combo_rule_profile = window.FindControl("ms_1_combo_rule_profile");
  btn_rule_add = window.FindControl("ms_1_btn_rule_add");
  btn_rule_remove = window.FindControl("ms_1_btn_rule_remove");
  combo_rule_default = window.FindControl("ms_1_combo_rule_default");
  wired = window.FindControl("ms_1_wired");
  wireless = window.FindControl("ms_1_wireless");
  ble = window.FindControl("ms_1_BLE");
  sleep_label = window.FindControl("ms_1_sleep_label");
  for (std::size_t i = 0; i < sections.size(); ++i) {
    sections[i] = {window.FindControl(kSections[i].check),
                   window.FindControl(kSections[i].container), kSections[i].scroll_into_view};
  }
  ver_setting = window.FindControl("ms_1_ver_setting");
  LookUpNumbered(window, "ms_1_slider_dpi_", slider_dpi);
  LookUpNumbered(window, "ms_1_label_dpi_", label_dpi);
  LookUpNumbered(window, "ms_1_option_dpi_step_", option_dpi_step);
  LookUpNumbered(window, "ms_1_btn_dpi_color_", btn_dpi_color);
  LookUpNumbered(window, "ms_1_edit_dpi_", edit_dpi);
  btn_apply_dpi = window.FindControl("ms_1_btn_apply_dpi");
  btn_reset_dpi = window.FindControl("ms_1_btn_reset_dpi");
  combo_light = window.FindControl("ms_1_combo_light");
  combo_light_ble = window.FindControl("ms_1_combo_light_ble");
  ver_brightness = window.FindControl("ms_1_ver_brightness");
  slider_brightness = window.FindControl("ms_1_slider_brightness");
  ver_breathspeed = window.FindControl("ms_1_ver_breathspeed");
  slider_breathspeed = window.FindControl("ms_1_slider_breathspeed");
  hor_light_color = window.FindControl("ms_1_hor_light_color");
  btn_light_color = window.FindControl("ms_1_btn_light_color");
  LookUpNumbered(window, "ms_1_btn_prate_", btn_prate);
  label_prate = window.FindControl("ms_1_label_prate");
  btn_mouse_attribute = window.FindControl("ms_1_btn_mouse_attribute");
  slider_light_off = window.FindControl("ms_1_slider_light_off");
  label_light_off = window.FindControl("ms_1_label_light_off");
  slider_sleep_timer = window.FindControl("ms_1_slider_sleep_timer");
  label_sleep_timer = window.FindControl("ms_1_label_sleep_timer");
  check_movemode = window.FindControl("ms_1_check_movemode");
  LookUpNumbered(window, "ms_1_option_lift_of_distance_", option_lift_of_distance);
  LookUpNumbered(window, "ms_1_option_ripple_control_", option_ripple_control);
  LookUpNumbered(window, "ms_1_option_angle_snap_", option_angle_snap);
  slider_key_debounce = window.FindControl("ms_1_slider_key_debounce");
  label_key_debounce = window.FindControl("ms_1_label_key_debounce");
  apply_btn = window.FindControl("ms_1_apply_btn");
  btn_reset = window.FindControl("ms_1_btn_reset");
  progress_power = window.FindControl("ms_1_progress_power");
  label_power = window.FindControl("ms_1_label_power");
  low_power_label = window.FindControl("ms_1_low_power_label");
}

SectionControls* PageControls::SectionOfCheck(const toolkit::Control* check) {
  for (SectionControls& section : sections) {
    if (section.check != nullptr && section.check == check) return &section;
  }
  return nullptr;
}

SectionControls PageControls::Section(std::string_view check_name) const {
  for (std::size_t i = 0; i < sections.size(); ++i) {
    if (check_name == kSections[i].check) return sections[i];
  }
  return {};
}

void ShowControl(toolkit::Control* control, bool visible) {
  if (control != nullptr) control->SetVisible(visible);
}

void SetPlainText(toolkit::Control* control, std::string_view text) {
  if (control == nullptr) return;
  control->SetTextMode(toolkit::TextMode::kPlain);
  control->SetText(text);
}

void SetKeyText(toolkit::Control* control, std::string_view key) {
  if (control == nullptr) return;
  control->SetTextMode(toolkit::TextMode::kLanguageKey);
  control->SetText(key);
}

void SetControlValue(toolkit::Control* control, int value) {
  if (control != nullptr) control->SetValue(value);
}

void SetSpokenValue(toolkit::Control* slider, std::string_view text) {
  if (slider != nullptr) slider->SetAccessibleDescription(text);
}

void SelectOption(toolkit::Control* control) {
  if (control != nullptr) control->SetChecked(true, false);
}

}  // namespace vexel
