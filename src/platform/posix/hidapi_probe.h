#pragma once

#include "platform/hid_probe.h"

namespace vexel {

// hid_init, hid_enumerate and hid_free_enumeration. Call from one thread only:
// hidapi keeps global state.
class HidapiProbe final : public HidProbe {
 public:
  bool DevicePresent(uint16_t vendor_id, uint16_t product_id) override;
};

}  // namespace vexel
