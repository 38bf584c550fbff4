// Status reports from the mouse: DPI stage and light mode switched on the
// mouse, polling rate, battery and charging, acknowledgements; and the
// link-dependent controls they affect.
#include <string>

#include "messages/app_messages.h"
#include "protocol/reports.h"
#include "protocol/status_codes.h"
#include "toolkit/control.h"
#include "toolkit/window.h"
#include "ui/page/ms_1_page.h"

namespace vexel {
namespace {

using namespace protocol;

constexpr auto kBatteryFull = static_cast<uint8_t>(BatteryState::kFull);
constexpr auto kBatteryCharging = static_cast<uint8_t>(BatteryState::kCharging);

}  // namespace

void CMS_1_Page::CommitStatusChange() {
  std::unique_ptr<ProfileRecord> copy;
  {
    auto access = store_.Lock();
    if (const ProfileRecord* edited = access->EditedProfile()) {
      copy = std::make_unique<ProfileRecord>(*edited);
    }
  }
  if (copy) cycle_.SetBaseline(*copy);
  // TODO(lead): show save_fail_text
  if (const SaveResult saved = store_.SaveProfiles(); !saved) Debug(saved.error);
}

void CMS_1_Page::HandleStatus(uint16_t code, uint16_t value) {
  switch (code) {
    case kStatusDpiStage: {
      if (value < 1 || value > 8) return;
      int32_t dpi = 0;
      {
        auto access = store_.Lock();
        ProfileRecord* edited = access->EditedProfile();
        if (edited == nullptr) return;
        edited->dpi_stage_current = value - 1;
        dpi = edited->dpi_x[value - 1];
      }
      SelectOption(controls_.option_dpi_step[value - 1]);
      main_window_.PostMessage(kMsgDpiIndicator, 0, dpi);
      CommitStatusChange();
      return;
    }
    case kStatusPollingRate: {
      if (value < 1 || value > 8) return;
      // Only the four interval codes map to a rate; others are not stored
      // unmapped, since the page indexes its options by the rate.
      const int rate = PollingRateOfIntervalCode(value);
      if (rate < 0) return;
      {
        auto access = store_.Lock();
        ProfileRecord* edited = access->EditedProfile();
        if (edited == nullptr) return;
        edited->polling_rate = rate;
      }
      SelectOption(controls_.btn_prate[rate]);
      SetKeyText(controls_.label_prate, "prate_" + std::to_string(rate + 1) + "_text");
      CommitStatusChange();
      return;
    }
    case kStatusBattery:
      HandleDriverBattery(value);
      return;
    case kStatusAck:
      links_.ack_received = (value & 0xFF) == 0;
      return;
    case kStatusNoEffect:
      return;
    case kStatusLightMode: {
      const int mode = (value >> 4) & 0x0F;
      {
        auto access = store_.Lock();
        ProfileRecord* edited = access->EditedProfile();
        if (edited == nullptr) return;
        edited->light_mode = mode;
      }
      if (controls_.combo_light != nullptr) controls_.combo_light->SelectItem(mode, false);
      RefreshLightRows();
      CommitStatusChange();
      return;
    }
    case kStatusCommitOnly:
      if (value >= 1 && value <= 5) CommitStatusChange();
      return;
    default:
      return;
  }
}

void CMS_1_Page::HandleBleStatus(uint16_t code, uint16_t value) {
  if (code == kStatusBattery) {
    HandleBleBattery(value);
  } else {
    HandleStatus(code, value);
  }
}

void CMS_1_Page::ShowCharging() {
  SetKeyText(controls_.label_power, "charging_text");
  main_window_.SetTimer(kTimerChargingAnimation, kChargingAnimationMs);
}

void CMS_1_Page::HandleDriverBattery(uint16_t value) {
  const uint8_t state = static_cast<uint8_t>(value);
  const int percent = value >> 8;
  battery_ = {percent, state};
  main_window_.KillTimer(kTimerWirelessTimeout);
  main_window_.SetTimer(kTimerWirelessTimeout, kWirelessTimeoutMs);
  if (links_.wired_link == 1) {
    links_.wireless_ready = false;
    ShowControl(controls_.wireless, false);
    RefreshLinkControls();
    if (state == kBatteryFull) {
      main_window_.KillTimer(kTimerChargingAnimation);
      ShowBatteryLevel(100);
      SetPlainText(controls_.label_power, "100%");
    } else {
      ShowCharging();
    }
    return;
  }
  if (!links_.wireless_ready) {
    links_.wireless_ready = true;
    ShowControl(controls_.wireless, true);
    RefreshLinkControls();
  }
  if (state == kBatteryCharging) {
    ShowCharging();
  } else {
    main_window_.KillTimer(kTimerChargingAnimation);
    ShowBatteryLevel(100);
    if (percent <= 100) ShowBatteryLevel(percent);
  }
  cycle_.SetApplyBlocked(false);
  ShowControl(controls_.sleep_label, false);
}

void CMS_1_Page::HandleBleBattery(uint16_t value) {
  const uint8_t state = static_cast<uint8_t>(value);
  const int percent = value >> 8;
  battery_ = {percent, state};
  if (state == kBatteryFull) {
    main_window_.KillTimer(kTimerChargingAnimation);
    ShowBatteryLevel(100);
  } else if (state == kBatteryCharging) {
    ShowCharging();
  } else {
    main_window_.KillTimer(kTimerChargingAnimation);
    if (percent <= 100) ShowBatteryLevel(percent);
  }
}

void CMS_1_Page::ShowBatteryLevel(int percent) {
  SetControlValue(controls_.progress_power, percent);
  SetPlainText(controls_.label_power, std::to_string(percent) + "%");
}

void CMS_1_Page::OnChargingAnimationTick() {
  SetControlValue(controls_.progress_power, charge_anim_value_);
  charge_anim_value_ += 2;
  if (charge_anim_value_ > 100) charge_anim_value_ = 0;
}

void CMS_1_Page::OnWirelessTimeout() {
  main_window_.KillTimer(kTimerWirelessTimeout);
  links_.wireless_ready = false;
  ShowControl(controls_.wireless, false);
  RefreshLinkControls();
  if (links_.ble_link == 0 && links_.wired_link != 1) ShowControl(controls_.sleep_label, true);
}

void CMS_1_Page::RefreshLinkControls() {
  RefreshLightRows();
  const SectionControls prate = controls_.Section("ms_1_check_prate");
  const SectionControls debounce = controls_.Section("ms_1_check_key_debounce");
  if (links_.wired_link == 1 || (links_.wireless_link == 1 && links_.wireless_ready)) {
    ShowControl(prate.check, true);
    ShowControl(debounce.check, true);
    return;
  }
  if (links_.ble_link == 0) return;
  // Neither setting can be sent over BLE.
  for (const SectionControls& section : {prate, debounce}) {
    if (section.check != nullptr && section.check->IsChecked()) section.check->SetChecked(false);
    ShowControl(section.check, false);
    if (section.container != nullptr && section.container->IsVisible()) {
      section.container->SetVisible(false);
    }
  }
}

void CMS_1_Page::RefreshLightRows() {
  ShowControl(controls_.ver_brightness, false);
  ShowControl(controls_.ver_breathspeed, false);
  ShowControl(controls_.hor_light_color, false);
  int mode = -1;
  {
    auto access = store_.Lock();
    if (const ProfileRecord* edited = access->EditedProfile()) mode = edited->light_mode;
  }
  if (mode == 1) {
    ShowControl(controls_.ver_brightness, true);
    ShowControl(controls_.hor_light_color, true);
  } else if (mode == 2) {
    ShowControl(controls_.ver_breathspeed, true);
    ShowControl(controls_.hor_light_color, true);
  } else if (mode >= 3 && mode <= 11) {
    ShowControl(controls_.ver_breathspeed, true);
  }
}

}  // namespace vexel
