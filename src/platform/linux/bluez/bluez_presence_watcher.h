// Device-change broadcasts from BlueZ: a GATT service "arrives" once its
// device is connected with its services resolved (so the link finds the
// characteristics when it subscribes), and is "removed" when it or its device
// goes, or the device disconnects. Each broadcast carries the service's interface name with the
// device's ids and address (see bluez_model.h). A device object appearing or
// going also gives the "device nodes changed" event. Broadcasts are delivered
// on the watcher's own thread.
#pragma once

#include <memory>

#include "platform/device_notifications.h"

namespace vexel::bluez {

class BluezPresenceWatcher final : public link::DeviceNotificationSource {
 public:
  // Connects to the system bus (DBUS_SYSTEM_BUS_ADDRESS when set).
  BluezPresenceWatcher();
  // No broadcast is delivered once this returns.
  ~BluezPresenceWatcher() override;

  // Services present now are taken as known, not announced. Call once.
  bool RegisterDeviceNotifications(link::DeviceChangeCallback callback) override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vexel::bluez
