// DeviceSession: everything that talks to the mouse. It owns the two driver
// libraries, the link flags, SendReport with its delivery rules, the apply
// cycle and its worker thread, and the model half of status readback (profile
// fields the mouse changed, battery and charging). What must be shown it tells
// a SessionObserver; it has no toolkit, Qt or X11 include, so the settings
// page, vexelctl and the benchmarks all drive the same code.
//
// Threads: everything but the ApplyHost calls runs on the UI thread (the one
// that handles the messages posted to `ui_post`). The worker reaches the UI
// thread only by posting kMsgWorkerEffect.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "hiddriver/hiddriver.h"
#include "link/arrival_timer.h"
#include "link/ble/ble_link.h"
#include "link/feature_driver.h"
#include "platform/clock.h"
#include "platform/hid_probe.h"
#include "platform/library_loader.h"
#include "protocol/apply_cycle.h"
#include "protocol/apply_worker.h"
#include "protocol/device_ids.h"
#include "protocol/report_delivery.h"
#include "store/profile_store.h"
#include "store/store_writer.h"

namespace vexel {

// A status report as the main window hands it on: code in the high half.
constexpr uint32_t MakeStatusEvent(uintptr_t wparam, intptr_t lparam) {
  return (static_cast<uint32_t>(wparam) << 16) ^ (static_cast<uint32_t>(lparam) & 0xFFFF);
}
// Connection events of the driver links: 0x7F000000 + 1 arrival, + 2 removal.
constexpr uint32_t MakeConnectionEvent(uintptr_t wparam) {
  return 0x7F000000u + (wparam == 0 ? 2u : wparam == 1 ? 1u : 0u);
}

// wparam of kMsgWorkerEffect: what the apply worker asks of the UI thread.
enum class WorkerEffect : uintptr_t {
  kKillWirelessTimeout = 1,
  kStartWirelessTimeout = 2,
  kShowBusy = 3,
  kHideBusy = 4,
  kSaveDone = 5,  // the cycle saved pro.data; its result waits in the session
};

enum class LinkIcon { kWired, kWireless, kBle };

// What the session asks of whoever shows it. Called on the UI thread only.
class SessionObserver {
 public:
  virtual ~SessionObserver() = default;
  virtual void ShowLinkIcon(LinkIcon /*icon*/, bool /*visible*/) {}
  virtual void ShowSleepLabel(bool /*visible*/) {}
  // The settings that depend on the link in use (polling rate, debounce).
  virtual void RefreshLinkControls() {}
  // device_present() changed (the main window shows or hides itself).
  virtual void OnDevicePresenceChanged() {}
  // Timer 512, the wireless status time-out: started (restarted) or killed.
  virtual void SetWirelessTimeout(bool /*running*/) {}
  // The cable's charging animation (timer 53): on at a cable arrival, off at
  // its removal. `restart` sets the animation back to its start.
  virtual void ShowWiredCharging(bool /*on*/, bool /*restart*/) {}
  // "charging_text" with the animation of timer 515; or the animation stopped.
  virtual void ShowCharging() {}
  virtual void StopChargingAnimation() {}
  virtual void ShowBatteryLevel(int /*percent*/) {}
  // The mouse switched the DPI stage (0-7), polling rate (0-3) or light mode.
  virtual void OnDpiStageFromMouse(int /*stage*/, int32_t /*dpi*/) {}
  virtual void OnPollingRateFromMouse(int /*rate*/) {}
  virtual void OnLightModeFromMouse(int /*mode*/) {}
  virtual void ShowBusyIndicator(bool /*visible*/) {}
  // Every save of the store the session made: `error` empty on success.
  virtual void OnProfilesSaved(std::string_view /*file*/, std::string_view /*error*/) {}
};

struct SessionServices {
  Clock& clock;
  LibraryLoader& libraries;
  HidProbe& hid_probe;
  std::filesystem::path program_folder;  // where the driver libraries are
  // Debug output ("Wireless Send = %d\n", ...); nowhere when empty.
  std::function<void(std::string_view)> debug;
  // The system's Bluetooth stack for the BLE link; it must outlive the
  // session. Without one the session has no BLE transport.
  link::GattPlatform* gatt_platform = nullptr;
};

class DeviceSession : private protocol::ApplyHost {
 public:
  // A device that arrives enumerates for this long before it is opened.
  static constexpr Clock::Ms kArrivalWait{1000};

  // `ui_post` reaches the UI thread: the driver monitors post 1537-1540 to
  // it and the worker posts kMsgWorkerEffect; both come back through
  // HandleMessage. Its context must outlive the session.
  DeviceSession(SessionServices services, ProfileStore& store, VexelPostTarget ui_post);
  // Teardown: the links close, the worker finishes its cycle, then the
  // driver libraries are unloaded.
  ~DeviceSession() override;
  DeviceSession(const DeviceSession&) = delete;
  DeviceSession& operator=(const DeviceSession&) = delete;

  void SetObserver(SessionObserver* observer) { observer_ = observer ? observer : &quiet_; }

  // Where the arrival waits run. Without one (vexelctl, the benchmarks'
  // loops) an arrival sleeps kArrivalWait on the clock before it opens the
  // device. The timer must outlive the session or be unset first.
  void SetArrivalTimer(ArrivalTimer* timer) { arrival_timer_ = timer; }
  // UI thread: the wait of `link` ended; the arrived device is opened.
  void OnArrivalWaitOver(DriverLink link);
  bool ArrivalWaiting(DriverLink link) const { return arrival_waiting_[Index(link)]; }

  // The writer for saves asked for on the UI thread; without one they are
  // written at once on the UI thread. Its results come back through
  // ReportBackgroundSave. It must outlive the session or be unset first.
  void SetStoreWriter(StoreWriter* writer) { store_writer_ = writer; }
  // Any thread: a write of the writer; it reaches the observer on the UI
  // thread as kMsgStoreSaved.
  void ReportBackgroundSave(const SaveResult& result);
  // UI thread: saves pro.data (through the writer when there is one); the
  // result reaches the observer.
  void SaveProfilesFromUiThread() { SaveProfiles(false); }

  // Starts the worker, loads both driver libraries, opens the links and
  // probes for the BLE mouse. Does not post 1128; the caller does.
  void Start();
  // After the store was loaded at start-up: the first apply is a full one and
  // the loaded profile is the baseline.
  void AdoptStartupStore(const StartupStore& startup);

  // The messages of the links, the worker and the BLE link (1537-1541,
  // kMsgWorkerEffect, kMsgBleNotification, kMsgStoreSaved); false for any
  // other message.
  bool HandleMessage(uint32_t id, uintptr_t wparam, intptr_t lparam);

  void OnWiredEvent(uint32_t status_event);
  void OnWirelessEvent(uint32_t status_event);
  void OnWirelessTimeout();  // timer 512 expired
  // UI thread: the flags, icons and presence, and the BLE link on or off.
  void SetBleConnected(bool on);
  // UI thread: one status value of the BLE link (characteristic 0xFEE4).
  void OnBleNotification(std::span<const uint8_t> value);
  void HandleStatus(uint16_t code, uint16_t value);
  void HandleBleStatus(uint16_t code, uint16_t value);

  // Hands an apply request (1541) to the worker as its thread message.
  void ForwardApplyRequest();
  void SetFullApplyPending(bool pending) { cycle_.SetFullApplyPending(pending); }

  // Called on the worker thread after every report handed to SendReport.
  using SendObserver =
      std::function<void(std::span<const uint8_t> report, protocol::Delivery delivery)>;
  void SetSendObserver(SendObserver observer) { send_observer_ = std::move(observer); }

  struct BatteryStatus {
    int percent = -1;  // -1 before any battery report
    int state = -1;
  };
  BatteryStatus battery() const { return battery_; }

  // The DPI stage (1-8) the mouse holds now, read back over the open driver
  // link (cable first); 0 when none is open or the mouse does not answer.
  int ReadMouseDpiStage();

  int device_present() const { return device_present_; }
  protocol::LinkFlags& links() { return links_; }
  const protocol::LinkFlags& links() const { return links_; }
  protocol::ApplyCycle& apply_cycle() { return cycle_; }
  protocol::ApplyWorker* worker() { return worker_.get(); }
  ProfileStore& store() { return store_; }

 private:
  // ApplyHost: called on the worker thread.
  int SendReport(std::span<const uint8_t> report) override;
  bool SnapshotEditedProfile(ProfileRecord& out) override;
  void SaveProfileStore() override;
  void KillWirelessTimeout() override { PostEffect(WorkerEffect::kKillWirelessTimeout); }
  void StartWirelessTimeout() override { PostEffect(WorkerEffect::kStartWirelessTimeout); }
  void ShowBusyIndicator(bool visible) override {
    PostEffect(visible ? WorkerEffect::kShowBusy : WorkerEffect::kHideBusy);
  }
  bool AnyLinkOpen() override { return links_.AnyLinkOpen(); }
  void PostEffect(WorkerEffect effect);
  void OnWorkerEffect(WorkerEffect effect);

  std::unique_ptr<FeatureDriver> LoadDriver(const char* file);
  int32_t OpenAtStartup(FeatureDriver* driver, protocol::DeviceId device, uint32_t status_message,
                        uint32_t connection_message);
  void OpenWiredAtStartup();
  void OpenWirelessAtStartup();
  void DispatchLinkEvent(uint32_t status_event, void (DeviceSession::*on_connection)(bool));
  void OnWiredConnection(bool arrived);
  void OnWirelessConnection(bool arrived);
  // True when the device may be opened now (the wait was slept on the
  // clock); false when the arrival timer runs the wait.
  bool WaitBeforeOpening(DriverLink link);
  void CancelArrivalWait(DriverLink link);
  void OpenArrivedWired();
  void OpenArrivedWireless();
  static std::size_t Index(DriverLink link) { return link == DriverLink::kWired ? 0 : 1; }
  void SetDevicePresent(bool present);
  void CloseLinks();
  // The BLE link's notification, on the Bluetooth stack's thread: queues the
  // value and posts kMsgBleNotification.
  void QueueBleNotification(std::span<const uint8_t> value);
  void TakeBleNotification();
  void TakeBackgroundSaves();

  // Writes `mutate(edited profile)` under the store lock; false without one.
  template <typename Mutate>
  bool EditProfile(Mutate mutate);
  void HandleDriverBattery(uint16_t value);
  void HandleBleBattery(uint16_t value);
  // A field the mouse changed by itself: `take` writes it into the edited
  // profile and into the baseline alone, so it is not sent back and every
  // other edit not yet sent stays pending. False without an edited profile.
  template <typename Take>
  bool TakeFromMouse(Take take);
  // Saves pro.data; the result is the observer's to show.
  void SaveProfiles(bool on_worker);
  void Debug(std::string_view line) const;

  SessionServices services_;
  ProfileStore& store_;
  VexelPostTarget ui_post_;
  SessionObserver quiet_;
  SessionObserver* observer_ = &quiet_;
  protocol::LinkFlags links_;
  std::atomic<int> device_present_{0};
  protocol::ReportDelivery delivery_;
  protocol::ApplyCycle cycle_;
  std::unique_ptr<FeatureDriver> wired_driver_;
  std::unique_ptr<FeatureDriver> wireless_driver_;
  std::unique_ptr<link::BleLink> ble_;  // none without a Bluetooth stack
  std::mutex ble_values_mutex_;
  std::deque<std::vector<uint8_t>> ble_values_;    // waiting for the UI thread
  std::unique_ptr<protocol::ApplyWorker> worker_;  // after what the worker uses
  SendObserver send_observer_;
  BatteryStatus battery_;
  // The worker's last save, handed to the UI thread with kSaveDone.
  std::mutex worker_save_mutex_;
  std::optional<std::pair<std::string, std::string>> worker_save_;
  ArrivalTimer* arrival_timer_ = nullptr;
  std::array<bool, 2> arrival_waiting_{};  // by Index(link)
  StoreWriter* store_writer_ = nullptr;
  // The writer's results, waiting for the UI thread: (file, error).
  std::mutex background_saves_mutex_;
  std::deque<std::pair<std::string, std::string>> background_saves_;
};

}  // namespace vexel
