#include "platform/linux/bluez/bluez_model.h"

#include <algorithm>
#include <cctype>

namespace vexel::bluez {
namespace {

bool IsHex(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

std::string LowerCase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// Four hex digits after `tag` at `text`'s start; consumes them.
std::optional<std::string> TakeField(std::string_view& text, char tag) {
  if (text.size() < 5 || text[0] != tag || !IsHex(text.substr(1, 4))) return std::nullopt;
  std::string digits = LowerCase(text.substr(1, 4));
  text.remove_prefix(5);
  return digits;
}

}  // namespace

std::optional<std::string> ModaliasIds(std::string_view modalias) {
  std::string source;
  if (modalias.starts_with("usb:")) {
    source = "02";
    modalias.remove_prefix(4);
  } else if (modalias.starts_with("bluetooth:")) {
    source = "01";
    modalias.remove_prefix(10);
  } else {
    return std::nullopt;
  }
  const auto vendor = TakeField(modalias, 'v');
  const auto product = TakeField(modalias, 'p');
  const auto revision = TakeField(modalias, 'd');
  if (!vendor || !product || !revision || !modalias.empty()) return std::nullopt;
  return "VID&" + source + *vendor + "_PID&" + *product + "_REV&" + *revision;
}

std::optional<std::string> AddressDigits(std::string_view address) {
  if (address.size() != 17) return std::nullopt;
  std::string digits;
  for (std::size_t i = 0; i < address.size(); i += 3) {
    if (!IsHex(address.substr(i, 2)) || (i + 2 < address.size() && address[i + 2] != ':'))
      return std::nullopt;
    digits += LowerCase(address.substr(i, 2));
  }
  return digits;
}

std::optional<uint16_t> ShortUuid(std::string_view uuid) {
  constexpr std::string_view kBaseTail = "-0000-1000-8000-00805f9b34fb";
  if (uuid.size() != 36 || !uuid.starts_with("0000") || !IsHex(uuid.substr(4, 4)) ||
      LowerCase(uuid.substr(8)) != kBaseTail)
    return std::nullopt;
  return static_cast<uint16_t>(std::stoul(std::string(uuid.substr(4, 4)), nullptr, 16));
}

uint16_t HandleOfPath(std::string_view object_path) {
  if (object_path.size() < 4 || !IsHex(object_path.substr(object_path.size() - 4))) return 0;
  return static_cast<uint16_t>(
      std::stoul(std::string(object_path.substr(object_path.size() - 4)), nullptr, 16));
}

std::optional<std::string> HardwareId(const Device& device) {
  const auto digits = AddressDigits(device.address);
  if (!digits) return std::nullopt;
  return "BTHLE\\Dev_" + *digits;
}

std::optional<std::string> ServiceInterfaceName(const Objects& objects,
                                                const std::string& service_path) {
  const auto service = objects.services.find(service_path);
  if (service == objects.services.end()) return std::nullopt;
  const auto device = objects.devices.find(service->second.device);
  if (device == objects.devices.end()) return std::nullopt;
  const auto digits = AddressDigits(device->second.address);
  if (!digits) return std::nullopt;
  const auto ids = ModaliasIds(device->second.modalias);
  return "BTHLEDevice#{" + LowerCase(service->second.uuid) + "}_Dev_" +
         (ids ? *ids + "_" : std::string()) + *digits + "#" + service_path;
}

std::string ObjectPathOfInterfaceName(std::string_view interface_name) {
  const std::size_t hash = interface_name.rfind('#');
  return std::string(hash == std::string_view::npos ? interface_name
                                                    : interface_name.substr(hash + 1));
}

std::vector<std::string> ConnectedServiceNames(const Objects& objects) {
  std::vector<std::string> names;
  for (const auto& [path, service] : objects.services) {
    const auto device = objects.devices.find(service.device);
    if (device == objects.devices.end() || !device->second.connected ||
        !device->second.services_resolved)
      continue;
    if (auto name = ServiceInterfaceName(objects, path)) names.push_back(std::move(*name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace vexel::bluez
