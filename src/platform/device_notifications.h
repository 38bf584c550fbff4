// Where the system's device-change broadcasts come from: an interface of a
// device arrives or is removed, or the device nodes changed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Named in the link's namespace, as the link and the back-ends name them.
namespace vexel::link {

// Broadcast events.
inline constexpr uint32_t kDbtDevNodesChanged = 0x0007;
inline constexpr uint32_t kDbtDeviceArrival = 0x8000;
inline constexpr uint32_t kDbtDeviceRemoveComplete = 0x8004;
// The broadcast's device type for a device interface.
inline constexpr uint32_t kDbtDevtypDeviceInterface = 5;

struct DeviceBroadcast {
  uint32_t device_type = 0;
  std::string interface_name;
};

// Events arrive on the source's own thread; the receiver posts them on.
using DeviceChangeCallback = std::function<void(uint32_t event, const DeviceBroadcast& broadcast)>;

class DeviceNotificationSource {
 public:
  virtual ~DeviceNotificationSource() = default;
  // From now on every broadcast goes to `callback`; false when registering failed.
  virtual bool RegisterDeviceNotifications(DeviceChangeCallback callback) = 0;
};

}  // namespace vexel::link
