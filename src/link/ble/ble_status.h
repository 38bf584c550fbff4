// Status reports that arrive as values of the characteristic 0xFEE4: bytes
// 0-1 the code, bytes 2-3 the value, both little-endian.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace vexel::link {

struct BleStatus {
  uint16_t code = 0;
  uint16_t value = 0;
};

// nullopt when the value is too short to hold a code and a value.
std::optional<BleStatus> DecodeBleStatus(std::span<const uint8_t> value);

struct TimeOfDay {
  int hour = 0;
  int minute = 0;
  int second = 0;
};

TimeOfDay LocalTimeOfDay();

// The trace line of one status: "dwLeft = %04x, dwRight = %04x, %d:%d:%d\r\n".
std::string BleStatusTrace(BleStatus status, TimeOfDay time);

}  // namespace vexel::link
