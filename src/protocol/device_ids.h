// How the mouse shows itself to the system on each of its three links. The
// driver libraries are told the USB ids; the Bluetooth ids are matched in
// device paths and presence broadcasts as text.
#pragma once

#include <cstdint>
#include <string_view>

namespace vexel::protocol {

struct DeviceId {
  uint16_t vendor_id;
  uint16_t product_id;
  friend constexpr bool operator==(const DeviceId&, const DeviceId&) = default;
};

inline constexpr DeviceId kWiredDeviceId{0x1D57, 0xFA61};     // the USB cable
inline constexpr DeviceId kWirelessDeviceId{0x1D57, 0xFA60};  // the 2.4 GHz receiver
inline constexpr DeviceId kBleDeviceId{0x045E, 0x0040};       // the mouse over Bluetooth

// A GATT service path of the mouse contains both texts.
inline constexpr std::string_view kBlePathVendorText = "VID&02045E";
inline constexpr std::string_view kBlePathProductText = "PID&0040";
// The interface name of a presence broadcast for the mouse contains both texts.
inline constexpr std::string_view kBlePresenceVendorText = "VID&02045e";
inline constexpr std::string_view kBlePresenceProductText = "PID&0040";

}  // namespace vexel::protocol
