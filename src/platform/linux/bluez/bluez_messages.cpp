#include "platform/linux/bluez/bluez_messages.h"

#include <systemd/sd-bus.h>

#include <cstdlib>
#include <string_view>

namespace vexel::bluez {
namespace {

// Reads one property value, positioned at its variant: > 0 when it read the
// variant, 0 to have it skipped, < 0 on a malformed message.
using PropertyReader =
    std::function<int(sd_bus_message* m, std::string_view name, std::string_view signature)>;

int ReadProperties(sd_bus_message* m, const PropertyReader& read) {
  int r = sd_bus_message_enter_container(m, SD_BUS_TYPE_ARRAY, "{sv}");
  if (r < 0) return r;
  while ((r = sd_bus_message_enter_container(m, SD_BUS_TYPE_DICT_ENTRY, "sv")) > 0) {
    const char* name = nullptr;
    const char* contents = nullptr;
    if ((r = sd_bus_message_read(m, "s", &name)) < 0) return r;
    if ((r = sd_bus_message_peek_type(m, nullptr, &contents)) < 0) return r;
    r = read(m, name, contents != nullptr ? contents : "");
    if (r == 0) r = sd_bus_message_skip(m, "v");
    if (r < 0 || (r = sd_bus_message_exit_container(m)) < 0) return r;
  }
  if (r < 0) return r;
  return sd_bus_message_exit_container(m);
}

int ReadText(sd_bus_message* m, const char* signature, std::string& out) {
  const char* text = nullptr;
  const int r = sd_bus_message_read(m, "v", signature, &text);
  if (r < 0) return r;
  out = text != nullptr ? text : "";
  return 1;
}

int ReadBool(sd_bus_message* m, bool& out) {
  int value = 0;
  const int r = sd_bus_message_read(m, "v", "b", &value);
  if (r < 0) return r;
  out = value != 0;
  return 1;
}

int ReadTextList(sd_bus_message* m, std::vector<std::string>& out) {
  int r = sd_bus_message_enter_container(m, SD_BUS_TYPE_VARIANT, "as");
  if (r < 0) return r;
  char** list = nullptr;
  if ((r = sd_bus_message_read_strv(m, &list)) < 0) return r;
  out.clear();
  for (char** item = list; item != nullptr && *item != nullptr; ++item) {
    out.emplace_back(*item);
    std::free(*item);
  }
  std::free(list);
  r = sd_bus_message_exit_container(m);
  return r < 0 ? r : 1;
}

int ReadDeviceProperty(sd_bus_message* m, std::string_view name, std::string_view signature,
                       Device& device) {
  if (name == "Address" && signature == "s") return ReadText(m, "s", device.address);
  if (name == "Modalias" && signature == "s") return ReadText(m, "s", device.modalias);
  if (name == "Connected" && signature == "b") return ReadBool(m, device.connected);
  if (name == "ServicesResolved" && signature == "b") return ReadBool(m, device.services_resolved);
  if ((name == "Alias" || name == "Name") && signature == "s") {
    std::string text;
    const int r = ReadText(m, "s", text);
    // The alias is what the user sees; the name only stands in for a missing one.
    if (r > 0 && (name == "Alias" || !device.name)) device.name = text;
    return r;
  }
  return 0;
}

int ReadServiceProperty(sd_bus_message* m, std::string_view name, std::string_view signature,
                        Service& service) {
  if (name == "Device" && signature == "o") return ReadText(m, "o", service.device);
  if (name == "UUID" && signature == "s") return ReadText(m, "s", service.uuid);
  return 0;
}

int ReadCharacteristicProperty(sd_bus_message* m, std::string_view name, std::string_view signature,
                               Characteristic& characteristic) {
  if (name == "Service" && signature == "o") return ReadText(m, "o", characteristic.service);
  if (name == "UUID" && signature == "s") return ReadText(m, "s", characteristic.uuid);
  if (name == "Flags" && signature == "as") return ReadTextList(m, characteristic.flags);
  return 0;
}

// "a{sa{sv}}": the interfaces of the object at `path`.
int ReadObjectInterfaces(sd_bus_message* m, const std::string& path, Objects& objects) {
  int r = sd_bus_message_enter_container(m, SD_BUS_TYPE_ARRAY, "{sa{sv}}");
  if (r < 0) return r;
  while ((r = sd_bus_message_enter_container(m, SD_BUS_TYPE_DICT_ENTRY, "sa{sv}")) > 0) {
    const char* interface = nullptr;
    if ((r = sd_bus_message_read(m, "s", &interface)) < 0) return r;
    const std::string_view name = interface;
    if (name == kDeviceInterface) {
      Device& device = objects.devices[path];
      r = ReadProperties(m, [&](auto* msg, auto key, auto sig) {
        return ReadDeviceProperty(msg, key, sig, device);
      });
    } else if (name == kServiceInterface) {
      Service& service = objects.services[path];
      r = ReadProperties(m, [&](auto* msg, auto key, auto sig) {
        return ReadServiceProperty(msg, key, sig, service);
      });
    } else if (name == kCharacteristicInterface) {
      Characteristic& characteristic = objects.characteristics[path];
      r = ReadProperties(m, [&](auto* msg, auto key, auto sig) {
        return ReadCharacteristicProperty(msg, key, sig, characteristic);
      });
    } else {
      r = sd_bus_message_skip(m, "a{sv}");
    }
    if (r < 0 || (r = sd_bus_message_exit_container(m)) < 0) return r;
  }
  if (r < 0) return r;
  return sd_bus_message_exit_container(m);
}

}  // namespace

int CallBluez(sd_bus* bus, const std::string& path, const char* interface, const char* member,
              const std::function<int(sd_bus_message*)>& append, sd_bus_message** reply) {
  sd_bus_message* call = nullptr;
  int r =
      sd_bus_message_new_method_call(bus, &call, kBluezService, path.c_str(), interface, member);
  if (r >= 0 && append) r = append(call);
  sd_bus_error error = SD_BUS_ERROR_NULL;
  if (r >= 0) {
    r = sd_bus_call(bus, call, kBluezCallTimeoutUsec, &error, reply);
    if (r < 0 && sd_bus_error_is_set(&error)) r = -sd_bus_error_get_errno(&error);
  }
  sd_bus_error_free(&error);
  sd_bus_message_unref(call);
  return r < 0 ? r : 0;
}

int ReadManagedObjects(sd_bus* bus, Objects& objects) {
  sd_bus_message* reply = nullptr;
  int r = CallBluez(bus, "/", kObjectManagerInterface, "GetManagedObjects", {}, &reply);
  if (r < 0) return r;
  r = sd_bus_message_enter_container(reply, SD_BUS_TYPE_ARRAY, "{oa{sa{sv}}}");
  while (r >= 0 &&
         (r = sd_bus_message_enter_container(reply, SD_BUS_TYPE_DICT_ENTRY, "oa{sa{sv}}")) > 0) {
    const char* path = nullptr;
    if ((r = sd_bus_message_read(reply, "o", &path)) < 0) break;
    if ((r = ReadObjectInterfaces(reply, path, objects)) < 0) break;
    r = sd_bus_message_exit_container(reply);
  }
  sd_bus_message_unref(reply);
  return r < 0 ? r : 0;
}

int ReadInterfacesAdded(sd_bus_message* message, Objects& objects) {
  const char* path = nullptr;
  const int r = sd_bus_message_read(message, "o", &path);
  return r < 0 ? r : ReadObjectInterfaces(message, path, objects);
}

int ReadInterfacesRemoved(sd_bus_message* message, Objects& objects) {
  const char* path = nullptr;
  char** interfaces = nullptr;
  int r = sd_bus_message_read(message, "o", &path);
  if (r >= 0) r = sd_bus_message_read_strv(message, &interfaces);
  if (r < 0) return r;
  for (char** item = interfaces; item != nullptr && *item != nullptr; ++item) {
    const std::string_view name = *item;
    if (name == kDeviceInterface) objects.devices.erase(path);
    if (name == kServiceInterface) objects.services.erase(path);
    if (name == kCharacteristicInterface) objects.characteristics.erase(path);
    std::free(*item);
  }
  std::free(interfaces);
  return 0;
}

int ReadDeviceChanged(sd_bus_message* message, Objects& objects) {
  const char* interface = nullptr;
  const int r = sd_bus_message_read(message, "s", &interface);
  if (r < 0) return r;
  const char* path = sd_bus_message_get_path(message);
  const auto device = objects.devices.find(path != nullptr ? path : "");
  if (std::string_view(interface) != kDeviceInterface || device == objects.devices.end()) return 0;
  return ReadProperties(message, [&](auto* msg, auto key, auto sig) {
    return ReadDeviceProperty(msg, key, sig, device->second);
  });
}

int ReadValueChanged(sd_bus_message* message, std::vector<uint8_t>& value, bool& has_value) {
  has_value = false;
  const char* interface = nullptr;
  const int r = sd_bus_message_read(message, "s", &interface);
  if (r < 0 || std::string_view(interface) != kCharacteristicInterface) return r;
  return ReadProperties(message, [&](sd_bus_message* m, auto key, auto signature) {
    if (key != "Value" || signature != "ay") return 0;
    const void* bytes = nullptr;
    std::size_t size = 0;
    int result = sd_bus_message_enter_container(m, SD_BUS_TYPE_VARIANT, "ay");
    if (result >= 0) result = sd_bus_message_read_array(m, SD_BUS_TYPE_BYTE, &bytes, &size);
    if (result >= 0) result = sd_bus_message_exit_container(m);
    if (result < 0) return result;
    const auto* first = static_cast<const uint8_t*>(bytes);
    value.assign(first, first + size);
    has_value = true;
    return 1;
  });
}

}  // namespace vexel::bluez
