// What the BLE link asks of the system's Bluetooth stack: which Bluetooth
// devices are there, which GATT services they offer, the characteristics of
// one service, a write with response, and value-changed notifications.
// Implementations are called from several threads (the UI thread and the
// apply worker) and serialise their own work.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace vexel::link {

// A Bluetooth device known to the system, connected or not.
struct BluetoothDevice {
  // Absent when the system cannot tell (the device is then skipped).
  std::optional<std::string> friendly_name;
  // "<bus>\Dev_<address>": the piece between the first and the second "_"
  // is the address that also appears in the paths of the device's services.
  std::optional<std::string> hardware_id;
  bool connected = false;
};

// One characteristic of a GATT service.
struct GattCharacteristic {
  std::string id;  // the platform's own handle for it
  uint16_t short_uuid = 0;
  uint16_t service_handle = 0;
  bool notifiable = false;
  bool writable = false;
};

// A failed platform call: the platform's error number (negative errno on Linux).
struct GattError {
  int code = 0;
};

template <typename T>
using GattResult = std::variant<T, GattError>;

using GattNotification = std::function<void(std::span<const uint8_t> value)>;
using GattSubscription = uint64_t;  // never 0

class GattPlatform {
 public:
  virtual ~GattPlatform() = default;

  virtual std::vector<BluetoothDevice> BluetoothDevices() = 0;
  // Paths of the GATT services present; each contains its device's address
  // and "VID&..."/"PID&..." ids when the system knows them.
  virtual std::vector<std::string> GattServicePaths() = 0;
  virtual GattResult<std::vector<GattCharacteristic>> Characteristics(
      const std::string& service_path) = 0;
  // Write with response; nullopt on success.
  virtual std::optional<GattError> Write(const GattCharacteristic& characteristic,
                                         std::span<const uint8_t> value) = 0;
  // `on_value` runs on the platform's own thread until Unsubscribe returns.
  virtual GattResult<GattSubscription> Subscribe(const GattCharacteristic& characteristic,
                                                 GattNotification on_value) = 0;
  // Called on the UI thread when the mouse goes away: it must not wait for
  // the system (a write in progress may hold it for seconds). It ends the
  // callbacks at once; the system's side of the removal may finish later.
  // An error only for a subscription it does not know.
  virtual std::optional<GattError> Unsubscribe(GattSubscription subscription) = 0;
};

}  // namespace vexel::link
