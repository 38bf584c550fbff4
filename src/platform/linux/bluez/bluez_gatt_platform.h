// The BLE link's view of BlueZ on the system bus (DBUS_SYSTEM_BUS_ADDRESS when
// set): devices, GATT services and characteristics from the object manager,
// WriteValue as a write with response, StartNotify/StopNotify, and "Value"
// changes as notifications. Owns a connection and a thread of its own; every
// call may come from any thread and waits for the bus thread to answer, except
// Unsubscribe, which never waits for the bus (see GattPlatform).
#pragma once

#include <memory>

#include "platform/gatt_platform.h"

namespace vexel::bluez {

class BluezGattPlatform final : public link::GattPlatform {
 public:
  // Connects at once; without a bus every question is answered with nothing.
  BluezGattPlatform();
  // Stops all notifications first.
  ~BluezGattPlatform() override;

  bool Connected() const;

  std::vector<link::BluetoothDevice> BluetoothDevices() override;
  std::vector<std::string> GattServicePaths() override;
  link::GattResult<std::vector<link::GattCharacteristic>> Characteristics(
      const std::string& service_path) override;
  std::optional<link::GattError> Write(const link::GattCharacteristic& characteristic,
                                       std::span<const uint8_t> value) override;
  link::GattResult<link::GattSubscription> Subscribe(const link::GattCharacteristic& characteristic,
                                                     link::GattNotification on_value) override;
  std::optional<link::GattError> Unsubscribe(link::GattSubscription subscription) override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vexel::bluez
