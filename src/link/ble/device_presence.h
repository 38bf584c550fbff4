// Device presence: the system's device-change broadcasts switch the BLE link
// on when an interface of the mouse arrives and off when one is removed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "link/ble/debug_line.h"

namespace vexel::link {

// Broadcast events.
inline constexpr uint32_t kDbtDevNodesChanged = 0x0007;
inline constexpr uint32_t kDbtDeviceArrival = 0x8000;
inline constexpr uint32_t kDbtDeviceRemoveComplete = 0x8004;
// The broadcast's device type for a device interface.
inline constexpr uint32_t kDbtDevtypDeviceInterface = 5;

// An interface name belongs to the mouse when it contains both, exactly as written.
inline constexpr char kPresenceVidMatch[] = "VID&02045e";
inline constexpr char kPresencePidMatch[] = "PID&0040";

struct DeviceBroadcast {
  uint32_t device_type = 0;
  std::string interface_name;
};

// Events arrive on the source's own thread; the receiver posts them on.
using DeviceChangeCallback = std::function<void(uint32_t event, const DeviceBroadcast& broadcast)>;

// Where device-change broadcasts come from.
class DeviceNotificationSource {
 public:
  virtual ~DeviceNotificationSource() = default;
  // From now on every broadcast goes to `callback`; false when registering failed.
  virtual bool RegisterDeviceNotifications(DeviceChangeCallback callback) = 0;
};

bool IsBleMouseInterface(std::string_view interface_name);

// The broadcast handler. Runs on the UI thread; keeps no state of its own.
class DevicePresence {
 public:
  struct Hooks {
    std::function<void(bool on)> set_ble_connected;
    std::function<int32_t()> ble_link;
    DebugSink debug;
  };

  explicit DevicePresence(Hooks hooks) : hooks_(std::move(hooks)) {}

  // `broadcast` may be null (event 7 carries none). Always true: handled.
  bool OnDeviceChange(uint32_t event, const DeviceBroadcast* broadcast);

 private:
  void Debug(std::string_view line) const;

  Hooks hooks_;
};

}  // namespace vexel::link
