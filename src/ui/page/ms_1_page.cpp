#include "ui/page/ms_1_page.h"

#include "store/utf16_name.h"
#include "toolkit/control.h"
#include "messages/app_messages.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"

namespace vexel {

CMS_1_Page::CMS_1_Page(toolkit::Window& main_window, PageServices services)
    : main_window_(main_window),
      services_(std::move(services)),
      store_(services_.store_paths),
      delivery_(links_, services_.clock),
      cycle_(static_cast<protocol::ApplyHost&>(*this)) {
  delivery_.SetDebugSink([this](std::string_view line) { Debug(line); });
}

CMS_1_Page::~CMS_1_Page() {
  CloseLinks();
}

void CMS_1_Page::Debug(std::string_view line) const {
  if (services_.debug) services_.debug(line);
}

void CMS_1_Page::Initialise() {
  controls_.LookUp(main_window_);
  ShowControl(controls_.Section("ms_1_check_lift_of_distance").check, false);
  ShowControl(controls_.Section("ms_1_check_light").container, false);
  worker_ = std::make_unique<protocol::ApplyWorker>(cycle_);
  StartLinks();
  main_window_.PostMessage(kMsgDeviceState);
}

void CMS_1_Page::LoadStoreAtStartup(std::u16string_view add_profile_text) {
  StartupStore startup = vexel::LoadStoreAtStartup(store_, add_profile_text);
  cycle_.SetFullApplyPending(startup.full_apply_pending);
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
  if (startup.last_applied) cycle_.SetBaseline(*startup.last_applied);
  SetBleConnected(links_.ble_link != 0);
  RefreshPage();
}

void CMS_1_Page::RequestApply(int delay_ms) {
  if (delay_ms <= 0) {
    main_window_.PostMessage(kMsgApplyRequest);
    return;
  }
  main_window_.KillTimer(kTimerDelayedApply);
  main_window_.SetTimer(kTimerDelayedApply, delay_ms);
}

void CMS_1_Page::ForwardApplyRequest() {
  if (worker_) worker_->PostThreadMessage(protocol::kThreadMsgApply);
}

void CMS_1_Page::Notify(const toolkit::Notification& notification) {
  const toolkit::Control* sender = notification.sender;
  if (notification.Is(toolkit::kNotifyTimer)) {
    if (sender == controls_.progress_power &&
        static_cast<uint32_t>(notification.wparam) == kTimerWiredChargingAnimation) {
      OnChargingAnimationTick();
    }
  } else if (notification.Is(toolkit::kNotifyCheckClick)) {
    OnSectionCheck(notification);
  } else if (notification.Is(toolkit::kNotifyItemSelect)) {
    if (sender == controls_.list_profile) OnProfileSelected(static_cast<int>(notification.wparam));
  } else if (notification.Is(toolkit::kNotifyClick) && sender == controls_.button_macro) {
    OpenMacroEditor();
  } else if (notification.Is(toolkit::kNotifyClick)) {
    if (sender == controls_.apply_btn || sender == controls_.btn_apply_dpi) RequestApply();
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
  if (skip_first_profile_select_ == 0) {
    {
      auto access = store_.Lock();
      const bool valid = index >= 0 && index < static_cast<int>(access->profiles.size());
      access->edited_profile = valid ? index : -1;
      if (valid) access->header->selected_profile = index;
    }
    RefreshPage();
    cycle_.SetFullApplyPending(true);
    RequestApply();
  }
  skip_first_profile_select_ = 0;
}

void CMS_1_Page::OnWorkerEffect(uintptr_t effect) {
  switch (static_cast<WorkerEffect>(effect)) {
    case WorkerEffect::kKillWirelessTimeout:
      main_window_.KillTimer(kTimerWirelessTimeout);
      break;
    case WorkerEffect::kStartWirelessTimeout:
      main_window_.SetTimer(kTimerWirelessTimeout, kWirelessTimeoutMs);
      break;
    case WorkerEffect::kShowBusy:
    case WorkerEffect::kHideBusy: {
      toolkit::Control* ring = main_window_.FindControl("apply_ring");
      ShowControl(ring, static_cast<WorkerEffect>(effect) == WorkerEffect::kShowBusy);
      break;
    }
  }
}

// ---- ApplyHost, on the worker thread ----

int CMS_1_Page::SendReport(std::span<const uint8_t> report) {
  const int result = delivery_.SendReport(report);
  if (send_observer_) send_observer_(report, result);
  return result;
}

bool CMS_1_Page::SnapshotEditedProfile(ProfileRecord& out) {
  auto access = store_.Lock();
  const ProfileRecord* edited = access->EditedProfile();
  if (edited == nullptr) return false;
  out = *edited;
  return true;
}

void CMS_1_Page::SaveProfileStore() {
  store_.SaveProfiles();
}

void CMS_1_Page::KillWirelessTimeout() {
  main_window_.PostMessage(kMsgPageWorkerEffect,
                           static_cast<uintptr_t>(WorkerEffect::kKillWirelessTimeout));
}

void CMS_1_Page::StartWirelessTimeout() {
  main_window_.PostMessage(kMsgPageWorkerEffect,
                           static_cast<uintptr_t>(WorkerEffect::kStartWirelessTimeout));
}

void CMS_1_Page::ShowBusyIndicator(bool visible) {
  main_window_.PostMessage(
      kMsgPageWorkerEffect,
      static_cast<uintptr_t>(visible ? WorkerEffect::kShowBusy : WorkerEffect::kHideBusy));
}

}  // namespace vexel
