#include "platform/posix/hidapi_probe.h"

#include <hidapi.h>

namespace vexel {

bool HidapiProbe::DevicePresent(uint16_t vendor_id, uint16_t product_id) {
  if (hid_init() != 0) return false;
  hid_device_info* devices = hid_enumerate(vendor_id, product_id);
  const bool present = devices != nullptr;
  hid_free_enumeration(devices);
  return present;
}

}  // namespace vexel
