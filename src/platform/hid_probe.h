// Whether a HID device with a vendor and product id is attached (the BLE
// mouse's start-up probe).
#pragma once

#include <cstdint>

namespace vexel {

class HidProbe {
 public:
  virtual ~HidProbe() = default;
  // False also when the HID library cannot be initialised.
  virtual bool DevicePresent(uint16_t vendor_id, uint16_t product_id) = 0;
};

}  // namespace vexel
