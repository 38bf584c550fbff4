// Reading BlueZ's messages into the plain model. Every message comes from
// another process: types are checked, unknown interfaces and properties are
// skipped, and a malformed message leaves what was read so far.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/linux/bluez/bluez_model.h"

struct sd_bus;
struct sd_bus_message;

namespace vexel::bluez {

inline constexpr char kBluezService[] = "org.bluez";
inline constexpr char kDeviceInterface[] = "org.bluez.Device1";
inline constexpr char kServiceInterface[] = "org.bluez.GattService1";
inline constexpr char kCharacteristicInterface[] = "org.bluez.GattCharacteristic1";
inline constexpr char kPropertiesInterface[] = "org.freedesktop.DBus.Properties";
inline constexpr char kObjectManagerInterface[] = "org.freedesktop.DBus.ObjectManager";
// Method calls to BlueZ give up after this long.
inline constexpr uint64_t kBluezCallTimeoutUsec = 5'000'000;

// Calls `member` of org.bluez with the arguments `append` adds; a negative
// errno on failure. `reply` (optional) receives the reply, to be unref'ed.
int CallBluez(sd_bus* bus, const std::string& path, const char* interface, const char* member,
              const std::function<int(sd_bus_message*)>& append, sd_bus_message** reply);
// GetManagedObjects of org.bluez; a negative errno on failure.
int ReadManagedObjects(sd_bus* bus, Objects& objects);
// The body of InterfacesAdded ("oa{sa{sv}}"): merged into `objects`.
int ReadInterfacesAdded(sd_bus_message* message, Objects& objects);
// The body of InterfacesRemoved ("oas"): the named interfaces leave `objects`.
int ReadInterfacesRemoved(sd_bus_message* message, Objects& objects);
// PropertiesChanged ("sa{sv}as") of a device: merged into its entry, if known.
int ReadDeviceChanged(sd_bus_message* message, Objects& objects);
// PropertiesChanged of a characteristic: the new "Value", if the message has one.
int ReadValueChanged(sd_bus_message* message, std::vector<uint8_t>& value, bool& has_value);

}  // namespace vexel::bluez
