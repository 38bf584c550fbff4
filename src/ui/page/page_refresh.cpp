// Shows the edited profile on every control of the page.
#include <charconv>
#include <string>

#include "toolkit/control.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"
#include "ui/page/ms_1_page.h"

namespace vexel {
namespace {

template <std::size_t N>
void SelectOptionAt(const std::array<toolkit::Control*, N>& group, int32_t index) {
  if (index >= 0 && index < static_cast<int32_t>(N)) SelectOption(group[index]);
}

void SetBackground(toolkit::Control* control, Colour colour) {
  if (control != nullptr) control->SetBackgroundColour(ColourToArgb(colour));
}

}  // namespace

void CMS_1_Page::WriteSliderLabels(const ProfileRecord& profile) {
  const toolkit::Toolkit& kit = main_window_.toolkit();
  // A decimal point whatever the desktop's numeric locale, as the language
  // file's texts around the number expect.
  char number[32];
  const auto written = std::to_chars(number, number + sizeof(number), profile.light_off_timer * 0.5,
                                     std::chars_format::fixed, 1);
  SetPlainText(controls_.label_light_off, kit.LanguageText("sleep_timer_1_text") +
                                              std::string(number, written.ptr) + " " +
                                              kit.LanguageText("sleep_timer_2_text"));
  SetPlainText(controls_.label_sleep_timer, kit.LanguageText("sleep_timer_3_text") +
                                                std::to_string(profile.sleep_timer) + " " +
                                                kit.LanguageText("sleep_timer_2_text"));
  SetPlainText(controls_.label_key_debounce, std::to_string(profile.key_debounce * 2) + " MS");
  WriteSpokenValues(profile, number);
}

void CMS_1_Page::WriteSpokenValues(const ProfileRecord& profile, const std::string& light_off) {
  const toolkit::Toolkit& kit = main_window_.toolkit();
  const std::string unit = " " + kit.LanguageText("sleep_timer_2_text");
  SetSpokenValue(controls_.slider_light_off, light_off + unit);
  SetSpokenValue(controls_.slider_sleep_timer, std::to_string(profile.sleep_timer) + unit);
  SetSpokenValue(controls_.slider_key_debounce, std::to_string(profile.key_debounce * 2) + " ms");
  const std::string level = kit.LanguageText("slider_level_text");
  for (const auto& [slider, value] :
       {std::pair{controls_.slider_brightness, profile.light_brightness},
        std::pair{controls_.slider_breathspeed, profile.light_breath_speed}}) {
    std::string spoken = level;
    if (const std::size_t slot = spoken.find("%d"); slot != std::string::npos) {
      spoken.replace(slot, 2, std::to_string(value));
    }
    SetSpokenValue(slider, spoken);
  }
}

void CMS_1_Page::RefreshPage() {
  std::unique_ptr<ProfileRecord> copy;
  {
    auto access = store_.Lock();
    if (const ProfileRecord* edited = access->EditedProfile()) {
      copy = std::make_unique<ProfileRecord>(*edited);
    }
  }
  if (!copy) return;
  const ProfileRecord& profile = *copy;
  RefreshLinkControls();

  SelectOptionAt(controls_.option_dpi_step, profile.dpi_stage_current);
  for (int s = 0; s < kDpiStageCount; ++s) {
    SetControlValue(controls_.slider_dpi[s], profile.dpi_x[s]);
    ShowDpiStage(s, profile.dpi_x[s]);
    SetBackground(controls_.btn_dpi_color[s], profile.dpi_colour[s]);
  }

  if (controls_.combo_light != nullptr)
    controls_.combo_light->SelectItem(profile.light_mode, false);
  if (controls_.combo_light_ble != nullptr) {
    controls_.combo_light_ble->SelectItem(profile.light_mode_ble, false);
  }
  SetControlValue(controls_.slider_brightness, profile.light_brightness);
  SetControlValue(controls_.slider_breathspeed, profile.light_breath_speed);
  SetBackground(controls_.btn_light_color, profile.light_colour);

  SelectOptionAt(controls_.btn_prate, profile.polling_rate);
  if (profile.polling_rate >= 0 && profile.polling_rate <= 3) {
    SetKeyText(controls_.label_prate,
               "prate_" + std::to_string(profile.polling_rate + 1) + "_text");
  }

  SelectOptionAt(controls_.option_lift_of_distance, profile.lift_off_distance);
  SelectOptionAt(controls_.option_ripple_control, profile.ripple_control);
  SelectOptionAt(controls_.option_angle_snap, profile.angle_snap);

  SetControlValue(controls_.slider_light_off, profile.light_off_timer);
  SetControlValue(controls_.slider_sleep_timer, profile.sleep_timer);
  SetControlValue(controls_.slider_key_debounce, profile.key_debounce);
  WriteSliderLabels(profile);
  // The check follows the profile, so a profile switch shows its own mode.
  if (controls_.check_movemode != nullptr) {
    controls_.check_movemode->SetChecked(profile.movement_mode == 1, false);
  }
  RefreshButtonLabels();
}

}  // namespace vexel
