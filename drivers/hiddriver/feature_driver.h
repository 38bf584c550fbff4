// The state of one driver library: the device it looks for, its monitor and its
// open device. hiddriver_2.so and hiddriver_1.so each hold one.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>

#include "hid_backend.h"
#include "hiddriver.h"

namespace vexel::hiddriver {

class FeatureDriver {
 public:
  // The back-end comes from the environment: the virtual mouse when
  // VEXEL_VIRTUAL_MOUSE names its socket, hidraw otherwise.
  FeatureDriver();
  explicit FeatureDriver(std::unique_ptr<HidBackend> backend);
  ~FeatureDriver();

  void SetIds(DeviceIds ids);
  void OpenMonitor(const VexelPostTarget* target, uint32_t status_message,
                   uint32_t connection_message);
  void CloseMonitor();
  bool OpenDevice();
  void CloseDevice();
  bool SetFeature(std::span<const uint8_t> report);
  int GetFeature(std::span<uint8_t> buffer);

 private:
  std::unique_ptr<HidBackend> backend_;
  // Serialises the UI thread's open and close with the worker's sends, and
  // guards the ids.
  std::mutex device_mutex_;
  DeviceIds ids_;
  std::unique_ptr<HidDevice> device_;
  std::mutex monitor_mutex_;
  std::unique_ptr<DeviceMonitor> monitor_;
};

}  // namespace vexel::hiddriver
