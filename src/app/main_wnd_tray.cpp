// The main window's tray icon and desktop notifications: battery level and
// charging in the tray, the low-battery and waiting-for-the-mouse messages,
// and where the window goes while the mouse is absent.
#include "app/main_wnd.h"
#include "protocol/status_codes.h"
#include "store/utf16_name.h"
#include "toolkit/toolkit.h"

namespace vexel {
namespace {

constexpr int kFullPercent = 100;
constexpr auto kStateFull = static_cast<int>(protocol::BatteryState::kFull);
constexpr auto kStateCharging = static_cast<int>(protocol::BatteryState::kCharging);

}  // namespace

bool CMainWnd::HasTray() const {
  return tray_icon_ != nullptr && tray_icon_->IsAvailable();
}

BatteryReading CMainWnd::ReadBattery() {
  const DeviceSession& session = page_.session();
  const auto battery = session.battery();
  const bool on_cable = session.links().wired_link == 1;
  BatteryReading reading;
  reading.connected = window_device_present_ != 0;
  // On the cable the mouse charges until it reports itself full.
  reading.charging = battery.state == kStateCharging || (on_cable && battery.state != kStateFull);
  if (battery.state == kStateFull) {
    reading.percent = kFullPercent;
  } else if (battery.percent >= 0 && battery.percent <= kFullPercent) {
    reading.percent = battery.percent;
  } else {
    reading.percent = tray_reading_.percent;  // a level out of range is not shown
  }
  return reading;
}

void CMainWnd::RefreshTrayBattery() {
  const BatteryReading reading = ReadBattery();
  if (tray_icon_ != nullptr && (!tray_reading_shown_ || reading != tray_reading_)) {
    tray_icon_->SetToolTip(TrayToolTip(language_, reading));
    tray_icon_->SetIcon(IconFile(IconFor(reading)));
    tray_reading_shown_ = true;
  }
  tray_reading_ = reading;
  if (low_battery_warning_.Update(reading)) {
    NotifyDesktop("battery_low_text", TrayBatteryIcon::kLow);
  }
}

void CMainWnd::AnnounceWaitingAtStart() {
  if (device_state_seen_) return;
  device_state_seen_ = true;
  if (window_device_present_ == 0)
    NotifyDesktop("waiting_for_mouse_text", TrayBatteryIcon::kDisconnected);
}

void CMainWnd::NotifyDesktop(std::string_view body_key, TrayBatteryIcon icon) {
  if (notifier_ == nullptr) return;
  notifier_->Notify({.summary = TrayToolTip(language_, tray_reading_),
                     .body = language_.Text(body_key),
                     .icon = toolkit().ResourcePath(IconFile(icon))});
}

void CMainWnd::ShowNoMouseState(bool no_mouse) {
  if (toolkit::Control* tabs = FindControl("device_tab_switch")) {
    tabs->SelectPage(no_mouse ? -1 : 0);
    tabs->SetVisible(!no_mouse);
  }
  if (toolkit::Control* state = FindControl("no_device_box")) state->SetVisible(no_mouse);
}

void CMainWnd::FillProfilesMenu(toolkit::MenuLayout& layout) {
  for (toolkit::MenuItem& menu : layout.items) {
    if (menu.name != "profiles") continue;
    menu.children.clear();
    auto access = page_.store().Lock();
    for (std::size_t i = 0; i < access->profiles.size(); ++i) {
      toolkit::MenuItem item;
      item.name = kTrayProfileItem;
      item.text = Utf16ToUtf8(NameView(access->profiles[i]->name));
      item.data = std::to_string(i);
      item.checkable = item.literal_text = true;
      item.checked = static_cast<int>(i) == access->header->selected_profile;
      menu.children.push_back(std::move(item));
    }
  }
}

void CMainWnd::PutAwayForNoDevice() {
  // Without a tray there is nothing to click to bring a hidden window back:
  // it stays as it is, showing the no-mouse state.
  if (!HasTray()) return;
  if (IsVisible()) hidden_for_no_device_ = true;
  Show(false);
}

}  // namespace vexel
