// Device-change broadcasts for tests: the test sends them from its own thread.
#pragma once

#include <mutex>

#include "platform/device_notifications.h"

namespace vexel::link {

class FakeDeviceNotifications final : public DeviceNotificationSource {
 public:
  bool RegisterDeviceNotifications(DeviceChangeCallback callback) override {
    std::lock_guard lock(mutex_);
    callback_ = std::move(callback);
    return !fail_registration_;
  }
  void FailRegistration() {
    std::lock_guard lock(mutex_);
    fail_registration_ = true;
  }

  void Broadcast(uint32_t event, const DeviceBroadcast& broadcast) {
    DeviceChangeCallback callback;
    {
      std::lock_guard lock(mutex_);
      callback = callback_;
    }
    if (callback) callback(event, broadcast);
  }

 private:
  std::mutex mutex_;
  DeviceChangeCallback callback_;
  bool fail_registration_ = false;
};

}  // namespace vexel::link
