// The virtual mouse's Bluetooth side as BlueZ would show it: it owns
// "org.bluez" on the bus named by DBUS_SYSTEM_BUS_ADDRESS and exports, under
// an object manager, the mouse as a Device1 (address, Modalias, Connected,
// ServicesResolved) with the vendor GATT service 0xFEE0 and its two
// characteristics: 0xFEE3 takes written reports (WriteValue), 0xFEE4 carries
// status reports as "Value" changes while a client has started notifications.
// Runs on a bus thread of its own; every member may be called from any thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace vexel::sim {

inline constexpr char kBleMouseAddress[] = "C0:FF:EE:00:11:22";
inline constexpr char kBleMouseModalias[] = "usb:v045Ep0040d0001";

class BluezPeripheral {
 public:
  // Gets each written value on the bus thread; false fails the write.
  using WriteHandler = std::function<bool(std::span<const uint8_t> value)>;

  explicit BluezPeripheral(WriteHandler on_write);
  ~BluezPeripheral();
  BluezPeripheral(const BluezPeripheral&) = delete;
  BluezPeripheral& operator=(const BluezPeripheral&) = delete;

  // Takes the name and exports the objects, disconnected; false with `error`.
  bool Start(std::string& error);
  // Connects or disconnects the mouse (its services resolve with it).
  void SetConnected(bool connected);
  // Sends `value` as a 0xFEE4 notification; false while disconnected or while
  // no client listens.
  bool Notify(std::span<const uint8_t> value);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vexel::sim
