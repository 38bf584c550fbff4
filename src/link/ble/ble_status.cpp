#include "link/ble/ble_status.h"

#include <ctime>

#include "link/ble/debug_line.h"

namespace vexel::link {

std::optional<BleStatus> DecodeBleStatus(std::span<const uint8_t> value) {
  if (value.size() < 4) return std::nullopt;
  return BleStatus{static_cast<uint16_t>(value[0] | value[1] << 8),
                   static_cast<uint16_t>(value[2] | value[3] << 8)};
}

TimeOfDay LocalTimeOfDay() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_hour, local.tm_min, local.tm_sec};
}

std::string BleStatusTrace(BleStatus status, TimeOfDay time) {
  return FormatLine("dwLeft = %04x, dwRight = %04x, %d:%d:%d\r\n", status.code, status.value,
                    time.hour, time.minute, time.second);
}

}  // namespace vexel::link
