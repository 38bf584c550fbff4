// What the device session reports, shown on the page: link icons, the sleep
// label, battery and charging, the DPI stage and light mode switched on the
// mouse, and the settings that depend on the link in use.
#include <string>

#include "messages/app_messages.h"
#include "toolkit/control.h"
#include "toolkit/window.h"
#include "ui/page/ms_1_page.h"

namespace vexel {

void CMS_1_Page::ShowLinkIcon(LinkIcon icon, bool visible) {
  switch (icon) {
    case LinkIcon::kWired:
      ShowControl(controls_.wired, visible);
      break;
    case LinkIcon::kWireless:
      ShowControl(controls_.wireless, visible);
      break;
    case LinkIcon::kBle:
      ShowControl(controls_.ble, visible);
      break;
  }
}

void CMS_1_Page::ShowSleepLabel(bool visible) {
  ShowControl(controls_.sleep_label, visible);
}

void CMS_1_Page::OnDevicePresenceChanged() {
  main_window_.PostMessage(kMsgDeviceState);
}

void CMS_1_Page::SetWirelessTimeout(bool running) {
  main_window_.KillTimer(kTimerWirelessTimeout);
  if (running) main_window_.SetTimer(kTimerWirelessTimeout, kWirelessTimeoutMs);
}

void CMS_1_Page::ShowWiredCharging(bool on, bool restart) {
  if (!on) {
    SetPlainText(controls_.label_power, "");
    if (controls_.progress_power != nullptr) {
      controls_.progress_power->KillTimer(kTimerWiredChargingAnimation);
    }
    return;
  }
  if (restart) charge_anim_value_ = 0;
  SetKeyText(controls_.label_power, "charging_text");
  if (controls_.progress_power != nullptr) {
    controls_.progress_power->SetTimer(kTimerWiredChargingAnimation, kChargingAnimationMs);
  }
}

void CMS_1_Page::ShowCharging() {
  SetKeyText(controls_.label_power, "charging_text");
  main_window_.SetTimer(kTimerChargingAnimation, kChargingAnimationMs);
}

void CMS_1_Page::StopChargingAnimation() {
  main_window_.KillTimer(kTimerChargingAnimation);
  // Over the cable the page's own timer cycles the bar; a full battery stops
  // it as well, or the bar would go on cycling under "100%".
  if (controls_.progress_power != nullptr) {
    controls_.progress_power->KillTimer(kTimerWiredChargingAnimation);
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

void CMS_1_Page::OnDpiStageFromMouse(int stage, int32_t dpi) {
  SelectOption(controls_.option_dpi_step[stage]);
  main_window_.PostMessage(kMsgDpiIndicator, 0, dpi);
}

void CMS_1_Page::OnPollingRateFromMouse(int rate) {
  SelectOption(controls_.btn_prate[rate]);
  SetKeyText(controls_.label_prate, "prate_" + std::to_string(rate + 1) + "_text");
}

void CMS_1_Page::OnLightModeFromMouse(int mode) {
  if (controls_.combo_light != nullptr) controls_.combo_light->SelectItem(mode, false);
  RefreshLightRows();
}

void CMS_1_Page::ShowBusyIndicator(bool visible) {
  ShowControl(main_window_.FindControl("apply_ring"), visible);
}

void CMS_1_Page::RefreshLinkControls() {
  RefreshLightRows();
  const protocol::LinkFlags& links = session_.links();
  const SectionControls prate = controls_.Section("ms_1_check_prate");
  const SectionControls debounce = controls_.Section("ms_1_check_key_debounce");
  if (links.wired_link == 1 || (links.wireless_link == 1 && links.wireless_ready)) {
    ShowControl(prate.check, true);
    ShowControl(debounce.check, true);
    return;
  }
  if (links.ble_link == 0) return;
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
