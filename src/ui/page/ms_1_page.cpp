#include "ui/page/ms_1_page.h"

#include "messages/app_messages.h"
#include "store/utf16_name.h"
#include "toolkit/control.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"

namespace vexel {
namespace {

// The driver monitors and the apply worker post from their own threads
// straight into the main window's queue.
void PostToWindow(void* context, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  static_cast<toolkit::Window*>(context)->PostMessage(message, wparam, lparam);
}

}  // namespace

CMS_1_Page::CMS_1_Page(toolkit::Window& main_window, PageServices services)
    : main_window_(main_window),
      services_(std::move(services)),
      store_(services_.store_paths),
      session_(services_.Session(), store_, VexelPostTarget{&PostToWindow, &main_window}) {
  session_.SetObserver(this);
}

CMS_1_Page::~CMS_1_Page() {
  session_.SetObserver(nullptr);
}

void CMS_1_Page::Initialise() {
  controls_.LookUp(main_window_);
  ShowControl(controls_.Section("ms_1_check_lift_of_distance").check, false);
  ShowControl(controls_.Section("ms_1_check_light").container, false);
  // Nothing to open on this desktop: no button that does nothing.
  const bool settings =
      services_.mouse_settings != nullptr && services_.mouse_settings->Available();
  ShowControl(controls_.btn_mouse_attribute, settings);
  session_.Start();
  main_window_.PostMessage(kMsgDeviceState);
}

void CMS_1_Page::LoadStoreAtStartup(std::u16string_view add_profile_text) {
  StartupStore startup = vexel::LoadStoreAtStartup(store_, add_profile_text);
  session_.AdoptStartupStore(startup);
  if (controls_.list_profile != nullptr) {
    controls_.list_profile->RemoveAllItems();
    auto access = store_.Lock();
    for (const auto& profile : access->profiles) {
      controls_.list_profile->AddItem(Utf16ToUtf8(NameView(profile->name)), 22);
    }
    controls_.list_profile->SelectItem(startup.selected_profile, false);
  }
  // Filling the list raises no "itemselect" here, so the first one the user
  // raises must switch profiles: nothing is left for the skip flag to swallow.
  skip_first_profile_select_ = 0;
  session_.SetBleConnected(session_.links().ble_link != 0);
  RefreshPage();
  LoadRulesAtStartup();
}

void CMS_1_Page::RequestApply(int delay_ms) {
  // Saved now, whatever the links do: the apply may not run before the
  // program ends (cable out, mouse asleep), and it saves again when it does.
  session_.SaveProfilesFromUiThread();
  if (delay_ms <= 0) {
    main_window_.PostMessage(kMsgApplyRequest);
    return;
  }
  main_window_.KillTimer(kTimerDelayedApply);
  main_window_.SetTimer(kTimerDelayedApply, delay_ms);
}

void CMS_1_Page::Notify(const toolkit::Notification& notification) {
  toolkit::Control* sender = notification.sender;
  if (OnRulesNotification(notification)) return;
  if (notification.Is(toolkit::kNotifyTimer)) {
    if (sender == controls_.progress_power &&
        static_cast<uint32_t>(notification.wparam) == kTimerWiredChargingAnimation) {
      OnChargingAnimationTick();
    }
  } else if (notification.Is(toolkit::kNotifyCheckClick)) {
    if (sender == controls_.check_movemode) {
      OnMovementMode(sender->IsChecked());
    } else {
      OnSectionCheck(notification);
    }
  } else if (notification.Is(toolkit::kNotifyItemSelect)) {
    if (sender == controls_.list_profile) {
      OnProfileSelected(static_cast<int>(notification.wparam));
    } else {
      OnEffectChosen(sender, static_cast<int>(notification.wparam));
    }
  } else if (notification.Is(toolkit::kNotifySelectChanged)) {
    OnOptionSelected(sender);
  } else if (notification.Is(toolkit::kNotifyValueChanged)) {
    OnSliderMoved(sender, static_cast<int>(notification.wparam));
  } else if (notification.Is(toolkit::kNotifyKillFocus) ||
             notification.Is(toolkit::kNotifyReturn)) {
    OnDpiEditConfirmed(sender);
  } else if (notification.Is(toolkit::kNotifyTextChanged)) {
    OnDpiEditTyped(sender);
  } else if (notification.Is(toolkit::kNotifyClick) && sender == controls_.button_macro) {
    OpenMacroEditor();
  } else if (notification.Is(toolkit::kNotifyClick)) {
    if (!OnButtonClick(sender)) OnPageClick(sender);
  } else if (notification.Is(toolkit::kNotifyMouseEnter) ||
             notification.Is(toolkit::kNotifyMouseLeave)) {
    OnButtonHover(sender, notification.Is(toolkit::kNotifyMouseEnter));
  }
}

void CMS_1_Page::OnPageClick(toolkit::Control* sender) {
  if (sender == controls_.apply_btn || sender == controls_.btn_apply_dpi) {
    ConfirmTypedDpiValues();
    RequestApply();
  } else if (sender == controls_.btn_reset_dpi) {
    OnDpiReset();
  } else if (sender == controls_.btn_mouse_attribute) {
    if (services_.mouse_settings != nullptr) services_.mouse_settings->Open();
  } else if (!OnColourButton(sender)) {
    OnProfileCommand(sender);
  }
}

void CMS_1_Page::OnSectionCheck(const toolkit::Notification& notification) {
  SectionControls* section = controls_.SectionOfCheck(notification.sender);
  if (section == nullptr) return;
  const bool open = notification.sender->IsChecked();
  ShowControl(section->container, open);
  if (open && section->scroll_into_view) main_window_.SetTimer(kTimerScrollSettings, 10);
}

void CMS_1_Page::OnProfileSelected(int index) {
  if (skip_first_profile_select_ == 0) SwitchToProfile(index);
  skip_first_profile_select_ = 0;
}

void CMS_1_Page::OnProfilesSaved(std::string_view file, std::string_view error) {
  if (error.empty()) {
    save_failure_shown_ = false;
    return;
  }
  if (services_.debug) {
    services_.debug("save " + std::string(file) + ": " + std::string(error) + "\n");
  }
  // Once per streak of failures: the data stays in memory and every later
  // save tries again.
  if (save_failure_shown_) return;
  save_failure_shown_ = true;
  if (services_.message_box) services_.message_box("warning_title_text", "save_fail_text", file);
}

}  // namespace vexel
