// Device presence: the system's device-change broadcasts switch the BLE link
// on when an interface of the mouse arrives and off when one is removed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "link/ble/debug_line.h"
#include "platform/device_notifications.h"

namespace vexel::link {

// An interface name belongs to the mouse when it contains both, exactly as written.
inline constexpr char kPresenceVidMatch[] = "VID&02045e";
inline constexpr char kPresencePidMatch[] = "PID&0040";

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
