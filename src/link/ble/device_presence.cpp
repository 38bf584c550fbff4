#include "link/ble/device_presence.h"

namespace vexel::link {

bool IsBleMouseInterface(std::string_view interface_name) {
  return interface_name.find(kPresenceVidMatch) != std::string_view::npos &&
         interface_name.find(kPresencePidMatch) != std::string_view::npos;
}

bool DevicePresence::OnDeviceChange(uint32_t event, const DeviceBroadcast* broadcast) {
  const bool mouse_interface = broadcast != nullptr &&
                               broadcast->device_type == kDbtDevtypDeviceInterface &&
                               IsBleMouseInterface(broadcast->interface_name);
  switch (event) {
    case kDbtDevNodesChanged:
      Debug("Succuss\r\n");
      break;
    case kDbtDeviceArrival:
      Debug("DBT_DEVICEARRIVAL.\n");
      if (broadcast != nullptr && broadcast->device_type == kDbtDevtypDeviceInterface)
        Debug(FormatLine("%s\r\n", broadcast->interface_name.c_str()));
      if (mouse_interface && hooks_.ble_link() == 0) hooks_.set_ble_connected(true);
      break;
    case kDbtDeviceRemoveComplete:
      if (mouse_interface) hooks_.set_ble_connected(false);
      break;
    default:
      break;
  }
  return true;
}

void DevicePresence::Debug(std::string_view line) const {
  if (hooks_.debug) hooks_.debug(line);
}

}  // namespace vexel::link
