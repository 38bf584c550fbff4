#include "feature_driver.h"

#include <cstdlib>
#include <string>

namespace vexel::hiddriver {
namespace {

std::unique_ptr<HidBackend> BackendFromEnvironment() {
  const char* socket_path = std::getenv("VEXEL_VIRTUAL_MOUSE");
  if (socket_path != nullptr && socket_path[0] != '\0') return MakeVirtualBackend(socket_path);
  return MakeHidapiBackend();
}

}  // namespace

FeatureDriver::FeatureDriver() : FeatureDriver(BackendFromEnvironment()) {}

FeatureDriver::FeatureDriver(std::unique_ptr<HidBackend> backend) : backend_(std::move(backend)) {}

FeatureDriver::~FeatureDriver() {
  CloseMonitor();
  CloseDevice();
}

void FeatureDriver::SetIds(DeviceIds ids) {
  std::lock_guard lock(device_mutex_);
  ids_ = ids;
}

void FeatureDriver::OpenMonitor(const VexelPostTarget* target, uint32_t status_message,
                                uint32_t connection_message) {
  std::lock_guard lock(monitor_mutex_);
  monitor_.reset();
  if (target == nullptr || target->post == nullptr) return;
  DeviceIds ids;
  {
    std::lock_guard device_lock(device_mutex_);
    ids = ids_;
  }
  if (ids.vendor_id == 0 || ids.product_id == 0) return;  // no device named, nothing to watch
  const VexelPostTarget window = *target;
  MonitorSink sink{[window, connection_message](bool present) {
                     window.post(window.ctx, connection_message, present ? 1 : 0, 0);
                   },
                   [window, status_message](uint16_t code, uint16_t value) {
                     window.post(window.ctx, status_message, code, value);
                   }};
  monitor_ = backend_->StartMonitor(ids, std::move(sink));
}

void FeatureDriver::CloseMonitor() {
  std::lock_guard lock(monitor_mutex_);
  monitor_.reset();
}

bool FeatureDriver::OpenDevice() {
  std::lock_guard lock(device_mutex_);
  device_.reset();
  // A zero id would match every device of a vendor, or every device at all:
  // never send vendor reports to a device nobody named.
  if (ids_.vendor_id == 0 || ids_.product_id == 0) return false;
  device_ = backend_->Open(ids_);
  return device_ != nullptr;
}

void FeatureDriver::CloseDevice() {
  std::lock_guard lock(device_mutex_);
  device_.reset();
}

bool FeatureDriver::SetFeature(std::span<const uint8_t> report) {
  std::lock_guard lock(device_mutex_);
  return device_ != nullptr && !report.empty() && device_->SetFeature(report);
}

int FeatureDriver::GetFeature(std::span<uint8_t> buffer) {
  std::lock_guard lock(device_mutex_);
  return device_ != nullptr && !buffer.empty() ? device_->GetFeature(buffer) : 0;
}

}  // namespace vexel::hiddriver
