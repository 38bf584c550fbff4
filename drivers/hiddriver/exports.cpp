// The seven entry points. Each library keeps its state in one FeatureDriver,
// made on first use and destroyed when the library is unloaded.
#include "feature_driver.h"
#include "hiddriver.h"

namespace {

vexel::hiddriver::FeatureDriver& Driver() {
  static vexel::hiddriver::FeatureDriver driver;
  return driver;
}

}  // namespace

extern "C" {

void Set_VIDPID(int32_t vendor_id, int32_t product_id) {
  Driver().SetIds({static_cast<uint16_t>(vendor_id), static_cast<uint16_t>(product_id)});
}

void Open_DevMonitor(const VexelPostTarget* window, uint32_t status_message,
                     uint32_t connection_message) {
  Driver().OpenMonitor(window, status_message, connection_message);
}

void Close_DevMonitor(void) {
  Driver().CloseMonitor();
}

int32_t Open_FeatureDevice(void) {
  return Driver().OpenDevice() ? 1 : 0;
}

void Close_FeatureDevice(void) {
  Driver().CloseDevice();
}

int32_t SetFeature(const uint8_t* report, int32_t length) {
  if (report == nullptr || length <= 0) return 0;
  return Driver().SetFeature({report, static_cast<std::size_t>(length)}) ? 1 : 0;
}

int32_t GetFeature(uint8_t* buffer, int32_t length) {
  if (buffer == nullptr || length <= 0) return 0;
  return Driver().GetFeature({buffer, static_cast<std::size_t>(length)});
}

}  // extern "C"
