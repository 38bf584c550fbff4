// The page's performance and lighting edits: each writes one field of the
// edited profile, updates the labels that show it and ends the edit with an
// immediate apply, a delayed one, or none (the DPI values wait for an apply).
#include <algorithm>
#include <cctype>
#include <charconv>
#include <string>

#include "messages/app_messages.h"
#include "toolkit/control.h"
#include "toolkit/window.h"
#include "ui/macro/filter_digits.h"
#include "ui/page/ms_1_page.h"

namespace vexel {
namespace {

constexpr int kMinDpiUnits = 1;  // 100 DPI
constexpr int kMaxDpiUnits = 100;

// The text of a DPI box as the whole hundreds it stands for: read as a signed
// decimal (leading blanks skipped, stops at the first non-digit, none is 0),
// clamped to 100-10000 DPI, cut down to whole hundreds.
int DpiUnitsFromText(const std::string& text) {
  std::size_t start = 0;
  while (start < text.size() && std::isspace(static_cast<unsigned char>(text[start]))) ++start;
  long long n = 0;
  const char* first = text.data() + start;
  const char* last = text.data() + text.size();
  if (first != last && *first == '+') ++first;
  const auto [end, error] = std::from_chars(first, last, n);
  if (error == std::errc::result_out_of_range) {
    n = (first != last && *first == '-') ? 0 : kMaxDpiUnits * 100;
  }
  (void)end;
  n = std::clamp<long long>(n, kMinDpiUnits * 100, kMaxDpiUnits * 100);
  return static_cast<int>(n / 100);
}

}  // namespace

void CMS_1_Page::EditProfile(const std::function<void(ProfileRecord&)>& edit) {
  auto access = store_.Lock();
  if (ProfileRecord* edited = access->EditedProfile()) edit(*edited);
}

std::unique_ptr<ProfileRecord> CMS_1_Page::EditedCopy() {
  auto access = store_.Lock();
  if (const ProfileRecord* edited = access->EditedProfile()) {
    return std::make_unique<ProfileRecord>(*edited);
  }
  return nullptr;
}

void CMS_1_Page::ShowDpiStage(int stage, int units) {
  const std::string dpi = std::to_string(units * 100);
  SetPlainText(controls_.label_dpi[stage], dpi);
  SetPlainText(controls_.edit_dpi[stage], dpi);
  SetSpokenValue(controls_.slider_dpi[stage], dpi + " DPI");
}

bool CMS_1_Page::OnOptionSelected(toolkit::Control* sender) {
  if (sender == nullptr || !sender->IsChecked()) return false;
  int index = -1;
  if ((index = IndexIn(controls_.option_dpi_step, sender)) >= 0) {
    EditProfile([index](ProfileRecord& p) { p.dpi_stage_current = index; });
  } else if ((index = IndexIn(controls_.btn_prate, sender)) >= 0) {
    EditProfile([index](ProfileRecord& p) { p.polling_rate = index; });
    SetKeyText(controls_.label_prate, "prate_" + std::to_string(index + 1) + "_text");
  } else if ((index = IndexIn(controls_.option_lift_of_distance, sender)) >= 0) {
    EditProfile([index](ProfileRecord& p) { p.lift_off_distance = index; });
  } else if ((index = IndexIn(controls_.option_ripple_control, sender)) >= 0) {
    EditProfile([index](ProfileRecord& p) { p.ripple_control = index; });
  } else if ((index = IndexIn(controls_.option_angle_snap, sender)) >= 0) {
    EditProfile([index](ProfileRecord& p) { p.angle_snap = index; });
  } else {
    return false;
  }
  RequestApply();
  return true;
}

bool CMS_1_Page::OnSliderMoved(toolkit::Control* sender, int value) {
  if (const int stage = IndexIn(controls_.slider_dpi, sender); stage >= 0) {
    // The performance report carries stage values up to 100 only.
    const int units = std::clamp(value, kMinDpiUnits, kMaxDpiUnits);
    if (units != value) SetControlValue(sender, units);
    EditProfile([stage, units](ProfileRecord& p) { p.dpi_x[stage] = units; });
    ShowDpiStage(stage, units);
    return true;  // reaches the mouse with the next apply
  }
  int32_t ProfileRecord::*field = nullptr;
  if (sender == controls_.slider_brightness) {
    field = &ProfileRecord::light_brightness;
  } else if (sender == controls_.slider_breathspeed) {
    field = &ProfileRecord::light_breath_speed;
  } else if (sender == controls_.slider_light_off) {
    field = &ProfileRecord::light_off_timer;
  } else if (sender == controls_.slider_sleep_timer) {
    field = &ProfileRecord::sleep_timer;
  } else if (sender == controls_.slider_key_debounce) {
    field = &ProfileRecord::key_debounce;
  } else {
    return false;
  }
  EditProfile([field, value](ProfileRecord& p) { p.*field = value; });
  if (const auto profile = EditedCopy()) WriteSliderLabels(*profile);
  RequestApply(kDelayedApplyLongMs);
  return true;
}

bool CMS_1_Page::OnDpiEditConfirmed(toolkit::Control* sender) {
  const int stage = IndexIn(controls_.edit_dpi, sender);
  if (stage < 0) return false;
  // Focus passing through a box the user did not change leaves its value
  // alone: a stage at 0 stays 0 rather than becoming 100.
  if (!DpiTextChanged(stage)) return true;
  const int units = DpiUnitsFromText(sender->Text());
  EditProfile([stage, units](ProfileRecord& p) { p.dpi_x[stage] = units; });
  SetControlValue(controls_.slider_dpi[stage], units);
  ShowDpiStage(stage, units);
  return true;
}

// A value typed but not yet confirmed (the box still has the focus, or the
// button was pressed without moving it, as assistive tools do) is what the
// user means to apply.
void CMS_1_Page::ConfirmTypedDpiValues() {
  for (toolkit::Control* edit : controls_.edit_dpi) {
    if (edit != nullptr) OnDpiEditConfirmed(edit);
  }
}

bool CMS_1_Page::DpiTextChanged(int stage) {
  const toolkit::Control* edit = controls_.edit_dpi[stage];
  const auto profile = EditedCopy();
  return edit != nullptr && profile && edit->Text() != std::to_string(profile->dpi_x[stage] * 100);
}

bool CMS_1_Page::OnDpiEditTyped(toolkit::Control* sender) {
  if (IndexIn(controls_.edit_dpi, sender) < 0) return false;
  FilterDigits(*sender, sender->Text());
  return true;
}

bool CMS_1_Page::OnEffectChosen(toolkit::Control* sender, int index) {
  if (index < 0) return false;
  if (sender == controls_.combo_light) {
    EditProfile([index](ProfileRecord& p) { p.light_mode = index; });
    RefreshLightRows();
  } else if (sender == controls_.combo_light_ble) {
    EditProfile([index](ProfileRecord& p) { p.light_mode_ble = index; });
  } else {
    return false;
  }
  RequestApply(kDelayedApplyShortMs);
  return true;
}

void CMS_1_Page::OnMovementMode(bool checked) {
  EditProfile([checked](ProfileRecord& p) { p.movement_mode = checked ? 1 : 0; });
  RequestApply();
}

void CMS_1_Page::OnDpiReset() {
  EditProfile([](ProfileRecord& p) { ApplyDpiDefaults(p); });
  RefreshPage();
  RequestApply();
}

}  // namespace vexel
