// The link half of the page: the two driver libraries, link start-up, arrival
// and removal, the BLE link state, and teardown.
#include <string>

#include "protocol/reports.h"
#include "protocol/status_codes.h"
#include "messages/app_messages.h"
#include "toolkit/window.h"
#include "ui/page/ms_1_page.h"

namespace vexel {
namespace {

constexpr Clock::Ms kArrivalWait{1000};  // the device enumerates before it is opened

// The driver monitors post from their own threads straight into the main
// window's queue.
void PostToWindow(void* context, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  static_cast<toolkit::Window*>(context)->PostMessage(message, wparam, lparam);
}

// The transport of a loaded library; none (an absent transport) without one.
protocol::TransportSend SendThrough(FeatureDriver* driver) {
  if (driver == nullptr) return nullptr;
  return [driver](std::span<const uint8_t> bytes) { return driver->SetFeature(bytes); };
}

}  // namespace

std::unique_ptr<FeatureDriver> CMS_1_Page::LoadDriver(const char* file) {
  std::string error;
  auto driver = LoadFeatureDriver(services_.libraries, services_.program_folder / file, &error);
  if (!driver) Debug(std::string(file) + ": " + error);
  return driver;
}

void CMS_1_Page::StartLinks() {
  post_target_ = VexelPostTarget{&PostToWindow, &main_window_};
  wired_driver_ = LoadDriver(kWiredDriverFile);
  wireless_driver_ = LoadDriver(kWirelessDriverFile);
  delivery_.SetWiredSend(SendThrough(wired_driver_.get()));
  delivery_.SetWirelessSend(SendThrough(wireless_driver_.get()));
  OpenWiredAtStartup();
  OpenWirelessAtStartup();
  const bool ble_present = services_.hid_probe.DevicePresent(kBleVendorId, kBleProductId);
  links_.ble_link = ble_present ? 1 : 0;
  device_present_ = links_.wired_link == 1 || links_.wireless_link == 1 || ble_present ? 1 : 0;
}

int32_t CMS_1_Page::OpenAtStartup(FeatureDriver* driver, int32_t product_id,
                                  uint32_t status_message, uint32_t connection_message) {
  if (driver == nullptr) return 0;
  driver->set_vidpid(kMouseVendorId, product_id);
  driver->open_dev_monitor(&post_target_, status_message, connection_message);
  return driver->open_feature_device();
}

void CMS_1_Page::OpenWiredAtStartup() {
  const int32_t opened =
      OpenAtStartup(wired_driver_.get(), kWiredProductId, kMsgWiredStatus, kMsgWiredConnection);
  if (opened != 0) {
    links_.wired_link = 1;
    cycle_.SetApplyBlocked(false);
    ShowControl(controls_.sleep_label, false);
    StartWiredChargingAnimation();
    ShowControl(controls_.wired, true);
  } else {
    links_.wired_link = 0;
    cycle_.SetApplyBlocked(true);
    ShowControl(controls_.sleep_label, true);
    ShowControl(controls_.wired, false);
  }
}

void CMS_1_Page::OpenWirelessAtStartup() {
  const int32_t opened = OpenAtStartup(wireless_driver_.get(), kWirelessProductId,
                                       kMsgWirelessStatus, kMsgWirelessConnection);
  if (opened != 0) {
    main_window_.SetTimer(kTimerWirelessTimeout, kWirelessTimeoutMs);
    links_.wireless_link = 1;
    ShowControl(controls_.wireless, true);
  } else {
    links_.wireless_link = 0;
    ShowControl(controls_.wireless, false);
  }
}

void CMS_1_Page::StartWiredChargingAnimation() {
  SetKeyText(controls_.label_power, "charging_text");
  if (controls_.progress_power != nullptr) {
    controls_.progress_power->SetTimer(kTimerWiredChargingAnimation, kChargingAnimationMs);
  }
}

void CMS_1_Page::SetDevicePresent(bool present) {
  device_present_ = present ? 1 : 0;
  main_window_.PostMessage(kMsgDeviceState);
}

void CMS_1_Page::DispatchLinkEvent(uint32_t status_event, void (CMS_1_Page::*on_connection)(bool)) {
  const uint16_t code = static_cast<uint16_t>(status_event >> 16);
  const uint16_t value = static_cast<uint16_t>(status_event);
  if (code == protocol::kStatusConnection) {
    if (value == 1) (this->*on_connection)(true);
    if (value == 2) (this->*on_connection)(false);
  } else if (code >= 0x1000 && code <= 0x9000) {
    HandleStatus(code, value);
  }
}

void CMS_1_Page::OnWiredEvent(uint32_t status_event) {
  DispatchLinkEvent(status_event, &CMS_1_Page::OnWiredConnection);
}

void CMS_1_Page::OnWirelessEvent(uint32_t status_event) {
  DispatchLinkEvent(status_event, &CMS_1_Page::OnWirelessConnection);
}

void CMS_1_Page::OnWirelessConnection(bool arrived) {
  if (arrived) {
    if (links_.wireless_link == 1) return;
    services_.clock.SleepFor(kArrivalWait);
    links_.wireless_link = 1;
    ShowControl(controls_.wireless, true);
    RefreshLinkControls();
    if (wireless_driver_) wireless_driver_->open_feature_device();
    main_window_.SetTimer(kTimerWirelessTimeout, kWirelessTimeoutMs);
  } else {
    if (links_.wireless_link == 2) return;
    links_.wireless_link = 2;
    ShowControl(controls_.wireless, false);
    if (wireless_driver_) wireless_driver_->close_feature_device();
    RefreshLinkControls();
    main_window_.KillTimer(kTimerWirelessTimeout);
  }
  if (links_.wired_link != 1 && links_.ble_link == 0) SetDevicePresent(arrived);
}

void CMS_1_Page::OnWiredConnection(bool arrived) {
  if (arrived) {
    if (links_.wired_link == 1) return;
    services_.clock.SleepFor(kArrivalWait);
    links_.wired_link = 1;
    if (wired_driver_) wired_driver_->open_feature_device();
    cycle_.SetApplyBlocked(false);
    ShowControl(controls_.sleep_label, false);
    ShowControl(controls_.wired, true);
    RefreshLinkControls();
    charge_anim_value_ = 0;
    StartWiredChargingAnimation();
  } else {
    if (links_.wired_link == 2) return;
    links_.wired_link = 2;
    if (wired_driver_) wired_driver_->close_feature_device();
    cycle_.SetApplyBlocked(true);
    ShowControl(controls_.sleep_label, true);
    ShowControl(controls_.wired, false);
    RefreshLinkControls();
    SetPlainText(controls_.label_power, "");
    if (controls_.progress_power != nullptr) {
      controls_.progress_power->KillTimer(kTimerWiredChargingAnimation);
    }
  }
  if (links_.wireless_link != 1 && links_.ble_link == 0) SetDevicePresent(arrived);
}

void CMS_1_Page::SetBleConnected(bool on) {
  links_.ble_link = on ? 1 : 0;
  if (on) {
    // The GATT subscription joins here once the BLE transport exists.
    cycle_.SetApplyBlocked(false);
    ShowControl(controls_.sleep_label, false);
    ShowControl(controls_.ble, true);
    RefreshLinkControls();
  } else {
    ShowControl(controls_.ble, false);
    if (!links_.wireless_ready && links_.wired_link != 1) ShowControl(controls_.sleep_label, true);
  }
  if (links_.wireless_link == 1 || links_.wired_link == 1) return;
  SetDevicePresent(on);
}

int CMS_1_Page::ReadMouseDpiStage() {
  FeatureDriver* driver = links_.wired_link == 1      ? wired_driver_.get()
                          : links_.wireless_link == 1 ? wireless_driver_.get()
                                                      : nullptr;
  if (driver == nullptr) return 0;
  // The performance report as the mouse holds it; byte 24 is the stage.
  protocol::PerformanceBytes report{};
  report[0] = protocol::kKindPerformance;
  constexpr std::size_t kStageByte = 24;
  const int32_t got = driver->get_feature(report.data(), static_cast<int32_t>(report.size()));
  if (got <= static_cast<int32_t>(kStageByte)) return 0;
  const int stage = report[kStageByte];
  return stage >= 1 && stage <= kDpiStageCount ? stage : 0;
}

void CMS_1_Page::CloseLinks() {
  // Deliveries under way stop at once: the devices are about to close.
  links_.shutting_down = true;
  if (wireless_driver_) {
    wireless_driver_->close_feature_device();
    wireless_driver_->close_dev_monitor();
  }
  if (wired_driver_) {
    wired_driver_->close_feature_device();
    wired_driver_->close_dev_monitor();
  }
  // The worker may still be inside SetFeature: it must end before the
  // libraries are unloaded.
  if (worker_) worker_->Stop();
  wired_driver_.reset();
  wireless_driver_.reset();
  worker_.reset();
}

}  // namespace vexel
