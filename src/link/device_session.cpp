// The link half of the session: the two driver libraries, link start-up,
// arrival and removal, the BLE link state, the worker's host and teardown.
#include "link/device_session.h"

#include <string>

#include "messages/app_messages.h"
#include "protocol/report_layout.h"
#include "protocol/reports.h"
#include "protocol/status_codes.h"

namespace vexel {
namespace {

// The transport of a loaded library; none (an absent transport) without one.
protocol::TransportSend SendThrough(FeatureDriver* driver) {
  if (driver == nullptr) return nullptr;
  return [driver](std::span<const uint8_t> bytes) { return driver->SetFeature(bytes); };
}

}  // namespace

DeviceSession::DeviceSession(SessionServices services, ProfileStore& store, VexelPostTarget ui_post)
    : services_(std::move(services)),
      store_(store),
      ui_post_(ui_post),
      delivery_(links_, services_.clock),
      cycle_(static_cast<protocol::ApplyHost&>(*this)) {
  delivery_.SetDebugSink([this](std::string_view line) { Debug(line); });
  if (services_.gatt_platform != nullptr) {
    ble_ = std::make_unique<link::BleLink>(
        *services_.gatt_platform,
        [this](std::span<const uint8_t> value) { QueueBleNotification(value); },
        [this](std::string_view line) { Debug(line); });
    delivery_.SetBleWrite(
        [this](std::span<const uint8_t> report) { return ble_->BleWrite(report); });
  }
}

DeviceSession::~DeviceSession() {
  CloseLinks();
}

void DeviceSession::Debug(std::string_view line) const {
  if (services_.debug) services_.debug(line);
}

void DeviceSession::Start() {
  worker_ = std::make_unique<protocol::ApplyWorker>(cycle_);
  wired_driver_ = LoadDriver(kWiredDriverFile);
  wireless_driver_ = LoadDriver(kWirelessDriverFile);
  delivery_.SetWiredSend(SendThrough(wired_driver_.get()));
  delivery_.SetWirelessSend(SendThrough(wireless_driver_.get()));
  OpenWiredAtStartup();
  OpenWirelessAtStartup();
  // A real mouse shows its HID-over-GATT node; a mouse that offers only the
  // vendor service (the virtual one) is found through the Bluetooth stack.
  const bool ble_present = services_.hid_probe.DevicePresent(protocol::kBleDeviceId.vendor_id,
                                                             protocol::kBleDeviceId.product_id) ||
                           (ble_ && ble_->Probe());
  links_.ble_link = ble_present ? 1 : 0;
  device_present_ = links_.wired_link == 1 || links_.wireless_link == 1 || ble_present ? 1 : 0;
}

void DeviceSession::AdoptStartupStore(const StartupStore& startup) {
  cycle_.SetFullApplyPending(startup.full_apply_pending);
  if (startup.last_applied) cycle_.SetBaseline(*startup.last_applied);
}

std::unique_ptr<FeatureDriver> DeviceSession::LoadDriver(const char* file) {
  std::string error;
  auto driver = LoadFeatureDriver(services_.libraries, services_.program_folder / file, &error);
  if (!driver) Debug(std::string(file) + ": " + error + "\n");
  return driver;
}

int32_t DeviceSession::OpenAtStartup(FeatureDriver* driver, protocol::DeviceId device,
                                     uint32_t status_message, uint32_t connection_message) {
  if (driver == nullptr) return 0;
  driver->set_vidpid(device.vendor_id, device.product_id);
  driver->open_dev_monitor(&ui_post_, status_message, connection_message);
  return driver->open_feature_device();
}

void DeviceSession::OpenWiredAtStartup() {
  const int32_t opened = OpenAtStartup(wired_driver_.get(), protocol::kWiredDeviceId,
                                       kMsgWiredStatus, kMsgWiredConnection);
  links_.wired_link = opened != 0 ? 1 : 0;
  cycle_.SetApplyBlocked(opened == 0);
  observer_->ShowSleepLabel(opened == 0);
  if (opened != 0) observer_->ShowWiredCharging(true, false);
  observer_->ShowLinkIcon(LinkIcon::kWired, opened != 0);
}

void DeviceSession::OpenWirelessAtStartup() {
  const int32_t opened = OpenAtStartup(wireless_driver_.get(), protocol::kWirelessDeviceId,
                                       kMsgWirelessStatus, kMsgWirelessConnection);
  if (opened != 0) observer_->SetWirelessTimeout(true);
  links_.wireless_link = opened != 0 ? 1 : 0;
  observer_->ShowLinkIcon(LinkIcon::kWireless, opened != 0);
}

void DeviceSession::SetDevicePresent(bool present) {
  device_present_ = present ? 1 : 0;
  observer_->OnDevicePresenceChanged();
}

bool DeviceSession::HandleMessage(uint32_t id, uintptr_t wparam, intptr_t lparam) {
  switch (id) {
    case kMsgWirelessStatus:
      OnWirelessEvent(MakeStatusEvent(wparam, lparam));
      return true;
    case kMsgWirelessConnection:
      OnWirelessEvent(MakeConnectionEvent(wparam));
      return true;
    case kMsgWiredStatus:
      OnWiredEvent(MakeStatusEvent(wparam, lparam));
      return true;
    case kMsgWiredConnection:
      OnWiredEvent(MakeConnectionEvent(wparam));
      return true;
    case kMsgApplyRequest:
      ForwardApplyRequest();
      return true;
    case kMsgWorkerEffect:
      OnWorkerEffect(static_cast<WorkerEffect>(wparam));
      return true;
    case kMsgBleNotification:
      TakeBleNotification();
      return true;
    case kMsgStoreSaved:
      TakeBackgroundSaves();
      return true;
    default:
      return false;
  }
}

void DeviceSession::DispatchLinkEvent(uint32_t status_event,
                                      void (DeviceSession::*on_connection)(bool)) {
  const uint16_t code = static_cast<uint16_t>(status_event >> 16);
  const uint16_t value = static_cast<uint16_t>(status_event);
  if (code == protocol::kStatusConnection) {
    if (value == 1) (this->*on_connection)(true);
    if (value == 2) (this->*on_connection)(false);
  } else if (code >= 0x1000 && code <= 0x9000) {
    HandleStatus(code, value);
  }
}

void DeviceSession::OnWiredEvent(uint32_t status_event) {
  DispatchLinkEvent(status_event, &DeviceSession::OnWiredConnection);
}

void DeviceSession::OnWirelessEvent(uint32_t status_event) {
  DispatchLinkEvent(status_event, &DeviceSession::OnWirelessConnection);
}

bool DeviceSession::WaitBeforeOpening(DriverLink link) {
  if (arrival_timer_ == nullptr) {
    services_.clock.SleepFor(kArrivalWait);
    return true;
  }
  arrival_waiting_[Index(link)] = true;
  arrival_timer_->StartArrivalWait(link, kArrivalWait);
  return false;
}

void DeviceSession::CancelArrivalWait(DriverLink link) {
  if (!arrival_waiting_[Index(link)]) return;
  arrival_waiting_[Index(link)] = false;
  if (arrival_timer_ != nullptr) arrival_timer_->StopArrivalWait(link);
}

void DeviceSession::OnArrivalWaitOver(DriverLink link) {
  // A removal inside the wait cancelled it: the device stays closed.
  if (!arrival_waiting_[Index(link)]) return;
  arrival_waiting_[Index(link)] = false;
  if (link == DriverLink::kWired) {
    OpenArrivedWired();
  } else {
    OpenArrivedWireless();
  }
}

void DeviceSession::OnWirelessConnection(bool arrived) {
  if (arrived) {
    // An arrival inside the wait of an earlier one changes nothing.
    if (links_.wireless_link == 1 || ArrivalWaiting(DriverLink::kWireless)) return;
    if (WaitBeforeOpening(DriverLink::kWireless)) OpenArrivedWireless();
    return;
  }
  CancelArrivalWait(DriverLink::kWireless);
  if (links_.wireless_link == 2) return;
  links_.wireless_link = 2;
  observer_->ShowLinkIcon(LinkIcon::kWireless, false);
  if (wireless_driver_) wireless_driver_->close_feature_device();
  observer_->RefreshLinkControls();
  observer_->SetWirelessTimeout(false);
  if (links_.wired_link != 1 && links_.ble_link == 0) SetDevicePresent(false);
}

void DeviceSession::OpenArrivedWireless() {
  links_.wireless_link = 1;
  observer_->ShowLinkIcon(LinkIcon::kWireless, true);
  observer_->RefreshLinkControls();
  if (wireless_driver_) wireless_driver_->open_feature_device();
  observer_->SetWirelessTimeout(true);
  if (links_.wired_link != 1 && links_.ble_link == 0) SetDevicePresent(true);
}

void DeviceSession::OnWiredConnection(bool arrived) {
  if (arrived) {
    if (links_.wired_link == 1 || ArrivalWaiting(DriverLink::kWired)) return;
    if (WaitBeforeOpening(DriverLink::kWired)) OpenArrivedWired();
    return;
  }
  CancelArrivalWait(DriverLink::kWired);
  if (links_.wired_link == 2) return;
  links_.wired_link = 2;
  if (wired_driver_) wired_driver_->close_feature_device();
  cycle_.SetApplyBlocked(true);
  observer_->ShowSleepLabel(true);
  observer_->ShowLinkIcon(LinkIcon::kWired, false);
  observer_->RefreshLinkControls();
  observer_->ShowWiredCharging(false, false);
  if (links_.wireless_link != 1 && links_.ble_link == 0) SetDevicePresent(false);
}

void DeviceSession::OpenArrivedWired() {
  links_.wired_link = 1;
  if (wired_driver_) wired_driver_->open_feature_device();
  cycle_.SetApplyBlocked(false);
  observer_->ShowSleepLabel(false);
  observer_->ShowLinkIcon(LinkIcon::kWired, true);
  observer_->RefreshLinkControls();
  observer_->ShowWiredCharging(true, true);
  if (links_.wireless_link != 1 && links_.ble_link == 0) SetDevicePresent(true);
}

void DeviceSession::SetBleConnected(bool on) {
  links_.ble_link = on ? 1 : 0;
  if (ble_) {
    if (on) {
      ble_->SwitchOn();
    } else {
      ble_->SwitchOff();
    }
  }
  if (on) {
    cycle_.SetApplyBlocked(false);
    observer_->ShowSleepLabel(false);
    observer_->ShowLinkIcon(LinkIcon::kBle, true);
    observer_->RefreshLinkControls();
  } else {
    observer_->ShowLinkIcon(LinkIcon::kBle, false);
    if (!links_.wireless_ready && links_.wired_link != 1) observer_->ShowSleepLabel(true);
  }
  if (links_.wireless_link == 1 || links_.wired_link == 1) return;
  SetDevicePresent(on);
}

void DeviceSession::ForwardApplyRequest() {
  if (worker_) worker_->PostThreadMessage(protocol::kThreadMsgApply);
}

int DeviceSession::ReadMouseDpiStage() {
  FeatureDriver* driver = links_.wired_link == 1      ? wired_driver_.get()
                          : links_.wireless_link == 1 ? wireless_driver_.get()
                                                      : nullptr;
  if (driver == nullptr) return 0;
  // The performance report as the mouse holds it now.
  using protocol::PerformanceLayout;
  protocol::PerformanceBytes report{};
  report[protocol::FrameLayout::kKind] = PerformanceLayout::kKind;
  const int32_t got = driver->get_feature(report.data(), static_cast<int32_t>(report.size()));
  if (got <= static_cast<int32_t>(PerformanceLayout::kDpiStage)) return 0;
  const int stage = report[PerformanceLayout::kDpiStage];
  return stage >= 1 && stage <= kDpiStageCount ? stage : 0;
}

void DeviceSession::CloseLinks() {
  // Deliveries under way stop at once: the devices are about to close.
  links_.shutting_down = true;
  CancelArrivalWait(DriverLink::kWired);
  CancelArrivalWait(DriverLink::kWireless);
  if (wireless_driver_) {
    wireless_driver_->close_feature_device();
    wireless_driver_->close_dev_monitor();
  }
  if (wired_driver_) {
    wired_driver_->close_feature_device();
    wired_driver_->close_dev_monitor();
  }
  // No notification may arrive once the session goes.
  if (ble_) ble_->SwitchOff();
  // The worker may still be inside SetFeature or BleWrite: it must end before
  // the libraries are unloaded and the BLE link goes.
  if (worker_) worker_->Stop();
  wired_driver_.reset();
  wireless_driver_.reset();
  worker_.reset();
  ble_.reset();
}

// ---- ApplyHost, on the worker thread ----

int DeviceSession::SendReport(std::span<const uint8_t> report) {
  const protocol::Delivery delivery = delivery_.Deliver(report);
  if (send_observer_) send_observer_(report, delivery);
  return protocol::ReportDelivery::IsDelivered(delivery);
}

bool DeviceSession::SnapshotEditedProfile(ProfileRecord& out) {
  auto access = store_.Lock();
  const ProfileRecord* edited = access->EditedProfile();
  if (edited == nullptr) return false;
  out = *edited;
  return true;
}

void DeviceSession::SaveProfileStore() {
  SaveProfiles(true);
}

void DeviceSession::PostEffect(WorkerEffect effect) {
  ui_post_.post(ui_post_.ctx, kMsgWorkerEffect, static_cast<uintptr_t>(effect), 0);
}

void DeviceSession::OnWorkerEffect(WorkerEffect effect) {
  switch (effect) {
    case WorkerEffect::kKillWirelessTimeout:
      observer_->SetWirelessTimeout(false);
      break;
    case WorkerEffect::kStartWirelessTimeout:
      observer_->SetWirelessTimeout(true);
      break;
    case WorkerEffect::kShowBusy:
    case WorkerEffect::kHideBusy:
      observer_->ShowBusyIndicator(effect == WorkerEffect::kShowBusy);
      break;
    case WorkerEffect::kSaveDone: {
      std::optional<std::pair<std::string, std::string>> saved;
      {
        std::lock_guard lock(worker_save_mutex_);
        saved.swap(worker_save_);
      }
      if (saved) observer_->OnProfilesSaved(saved->first, saved->second);
      break;
    }
  }
}

}  // namespace vexel
