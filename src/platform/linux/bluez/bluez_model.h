// What BlueZ tells about its objects, kept as plain data, and the names the
// device link sees for them: each GATT service gets an interface name that
// carries the device's ids from its Modalias and its address, in the form
// "BTHLEDevice#{<uuid>}_Dev_VID&02045e_PID&0040_REV&0001_c0ffee001122#<object path>".
// Everything here is built from what arrives over the bus, so it is all
// checked before use.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexel::bluez {

struct Device {
  std::string address;   // "C0:FF:EE:00:11:22"
  std::string modalias;  // "usb:v045Ep0040d0001"
  std::optional<std::string> name;
  bool connected = false;
  // All its GATT objects are on the bus (BlueZ sets this after connecting).
  bool services_resolved = false;
};

struct Service {
  std::string device;  // object path
  std::string uuid;
};

struct Characteristic {
  std::string service;  // object path
  std::string uuid;
  std::vector<std::string> flags;
};

// Keyed by object path.
struct Objects {
  std::map<std::string, Device> devices;
  std::map<std::string, Service> services;
  std::map<std::string, Characteristic> characteristics;
};

// "VID&02045e_PID&0040_REV&0001" for "usb:v045Ep0040d0001" ("VID&01..." for a
// "bluetooth:" source); nullopt for anything else.
std::optional<std::string> ModaliasIds(std::string_view modalias);
// "c0ffee001122" for "C0:FF:EE:00:11:22"; nullopt for anything else.
std::optional<std::string> AddressDigits(std::string_view address);
// The 16-bit form of a UUID on the Bluetooth base UUID; nullopt otherwise.
std::optional<uint16_t> ShortUuid(std::string_view uuid);
// The attribute handle BlueZ puts at the end of an object path ("char000d" -> 0x000d); 0 if none.
uint16_t HandleOfPath(std::string_view object_path);

// "BTHLE\Dev_c0ffee001122", or nullopt when the address is not well-formed.
std::optional<std::string> HardwareId(const Device& device);
// The interface name of a service, or nullopt when its device is unknown or has no address.
std::optional<std::string> ServiceInterfaceName(const Objects& objects,
                                                const std::string& service_path);
// The object path inside an interface name (what follows the last "#").
std::string ObjectPathOfInterfaceName(std::string_view interface_name);
// Interface names of the services of connected devices whose services are
// resolved (so their characteristics are there too), sorted.
std::vector<std::string> ConnectedServiceNames(const Objects& objects);

}  // namespace vexel::bluez
