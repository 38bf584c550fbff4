// CMS_1_Page: the controller of the mouse's settings page. It is registered in
// the main window as the virtual window "MS_1_Page", owns the profile store,
// the link state, the two driver libraries and the apply worker, and turns
// user actions and status reports into changes of the edited profile.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "link/feature_driver.h"
#include "protocol/apply_cycle.h"
#include "protocol/apply_worker.h"
#include "protocol/report_delivery.h"
#include "store/profile_store.h"
#include "messages/app_messages.h"
#include "toolkit/notification.h"
#include "ui/macro/macro_editor_host.h"
#include "ui/page/page_controls.h"
#include "ui/page/page_services.h"

namespace vexel::toolkit {
class Window;
}

namespace vexel {

inline constexpr char kPageVirtualWindow[] = "MS_1_Page";

// Private message of the page, posted to the main window by the apply worker
// so that its effects on timers and controls happen on the UI thread; wparam
// is a WorkerEffect.
inline constexpr uint32_t kMsgPageWorkerEffect = kMsgWorkerEffect;
enum class WorkerEffect : uintptr_t {
  kKillWirelessTimeout = 1,
  kStartWirelessTimeout = 2,
  kShowBusy = 3,
  kHideBusy = 4,
};

// Device ids of the two driver links.
inline constexpr int32_t kMouseVendorId = 0x1D57;
inline constexpr int32_t kWiredProductId = 0xFA61;
inline constexpr int32_t kWirelessProductId = 0xFA60;
inline constexpr uint16_t kBleVendorId = 0x045E;
inline constexpr uint16_t kBleProductId = 0x0040;

// A status report as the main window hands it on: code in the high half.
constexpr uint32_t MakeStatusEvent(uintptr_t wparam, intptr_t lparam) {
  return (static_cast<uint32_t>(wparam) << 16) ^ (static_cast<uint32_t>(lparam) & 0xFFFF);
}
// Connection events of the driver links: 0x7F000000 + 1 arrival, + 2 removal.
constexpr uint32_t MakeConnectionEvent(uintptr_t wparam) {
  return 0x7F000000u + (wparam == 0 ? 2u : wparam == 1 ? 1u : 0u);
}

class CMS_1_Page : public toolkit::NotificationSink, private protocol::ApplyHost {
 public:
  CMS_1_Page(toolkit::Window& main_window, PageServices services);
  // Closes the links (the worker is stopped before the driver libraries go).
  ~CMS_1_Page() override;

  // Controls, worker thread, driver libraries, links, BLE probe; posts 1128.
  void Initialise();
  // The start-up load of the store into the page (list filled, stored
  // selection edited, baseline set, BLE link state, refresh).
  void LoadStoreAtStartup(std::u16string_view add_profile_text);

  void Notify(const toolkit::Notification& notification) override;

  // ---- Routed by the main window ----
  void OnWiredEvent(uint32_t status_event);
  void OnWirelessEvent(uint32_t status_event);
  void OnWirelessTimeout();        // timer 512
  void OnChargingAnimationTick();  // timer 515, and the page's timer 53
  void OnWorkerEffect(uintptr_t effect);
  void ForwardApplyRequest();  // 1541 -> the worker's 1536
  void SetBleConnected(bool on);
  // A command of the button-assignment menu (a name starting with "ms_1").
  // The assignment itself comes with the button catalogue; until then the
  // command is only remembered.
  void OnButtonMenuCommand(const std::string& name) { last_button_command_ = name; }
  const std::string& last_button_command() const { return last_button_command_; }

  // ---- Macro editor (page_macros.cpp) ----
  // What the main window lends every macro editor (hook table, message box).
  void SetMacroEditorHost(MacroEditorHost host);
  // The layout that names keys in the editor (the program's X keyboard).
  void SetMacroKeyboardLayout(std::shared_ptr<const KeyboardLayout> layout);
  // "ms_1_btn_macro": the editor, modal and centred; the bindings follow after.
  void OpenMacroEditor();
  void RevalidateMacroBindings();

  // ---- Status readback ----
  void HandleStatus(uint16_t code, uint16_t value);
  void HandleBleStatus(uint16_t code, uint16_t value);
  void ShowBatteryLevel(int percent);
  void RefreshLinkControls();
  void RefreshLightRows();

  // ---- Page operations ----
  void RefreshPage();
  // delay_ms 0: post 1541 now; otherwise restart timer 513 with that period.
  void RequestApply(int delay_ms = 0);

  // Called on the worker thread after every report handed to SendReport,
  // with its result (vexelctl prints them).
  using SendObserver = std::function<void(std::span<const uint8_t> report, int result)>;
  void SetSendObserver(SendObserver observer) { send_observer_ = std::move(observer); }

  // The last battery report: percent (-1 before any) and state byte.
  struct BatteryStatus {
    int percent = -1;
    int state = -1;
  };
  BatteryStatus battery() const { return battery_; }

  // The DPI stage (1-8) the mouse holds now, read back over the open driver
  // link (cable first); 0 when none is open or the mouse does not answer.
  // The program itself never reads back; vexelctl shows it.
  int ReadMouseDpiStage();

  int device_present() const { return device_present_; }
  protocol::LinkFlags& links() { return links_; }
  protocol::ApplyCycle& apply_cycle() { return cycle_; }
  protocol::ApplyWorker* worker() { return worker_.get(); }
  ProfileStore& store() { return store_; }
  const PageControls& controls() const { return controls_; }
  int charge_anim_value() const { return charge_anim_value_; }

 private:
  // ApplyHost: called on the worker thread.
  int SendReport(std::span<const uint8_t> report) override;
  bool SnapshotEditedProfile(ProfileRecord& out) override;
  void SaveProfileStore() override;
  void KillWirelessTimeout() override;
  void StartWirelessTimeout() override;
  void ShowBusyIndicator(bool visible) override;
  bool AnyLinkOpen() override { return links_.AnyLinkOpen(); }

  // Link start-up and events.
  void StartLinks();
  std::unique_ptr<FeatureDriver> LoadDriver(const char* file);
  // Set_VIDPID, Open_DevMonitor and Open_FeatureDevice; 0 without a library.
  int32_t OpenAtStartup(FeatureDriver* driver, int32_t product_id, uint32_t status_message,
                        uint32_t connection_message);
  void OpenWiredAtStartup();
  void OpenWirelessAtStartup();
  // Connection events to `on_connection`, device status to HandleStatus.
  void DispatchLinkEvent(uint32_t status_event, void (CMS_1_Page::*on_connection)(bool));
  void OnWiredConnection(bool arrived);
  void OnWirelessConnection(bool arrived);
  void StartWiredChargingAnimation();
  void SetDevicePresent(bool present);
  void CloseLinks();

  // Status helpers.
  void HandleDriverBattery(uint16_t value);
  void HandleBleBattery(uint16_t value);
  void ShowCharging();
  // Copies the edited profile over the baseline and saves the store.
  void CommitStatusChange();
  void Debug(std::string_view line) const;

  // Refresh helpers.
  void WriteSliderLabels(const ProfileRecord& profile);
  void OnSectionCheck(const toolkit::Notification& notification);
  void OnProfileSelected(int index);

  toolkit::Window& main_window_;
  PageServices services_;
  PageControls controls_;
  ProfileStore store_;
  protocol::LinkFlags links_;
  std::atomic<int> device_present_{0};
  protocol::ReportDelivery delivery_;
  protocol::ApplyCycle cycle_;
  std::unique_ptr<FeatureDriver> wired_driver_;
  std::unique_ptr<FeatureDriver> wireless_driver_;
  VexelPostTarget post_target_{};
  std::unique_ptr<protocol::ApplyWorker> worker_;  // after what the worker uses
  int skip_first_profile_select_ = 1;
  int charge_anim_value_ = 0;
  SendObserver send_observer_;
  std::string last_button_command_;
  BatteryStatus battery_;
  MacroEditorHost macro_editor_host_;
};

}  // namespace vexel
