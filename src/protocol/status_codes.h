// Status reports from the mouse: a 16-bit code and a 16-bit value, the same on
// the driver links and over BLE.
#pragma once

#include <cstdint>
#include <string_view>

namespace vexel::protocol {

inline constexpr uint16_t kStatusDpiStage = 0x1010;     // value: the stage 1-8
inline constexpr uint16_t kStatusPollingRate = 0x2010;  // value: the interval code 8, 4, 2, 1
inline constexpr uint16_t kStatusBattery = 0x4010;      // value: percent << 8 | BatteryState
inline constexpr uint16_t kStatusAck = 0x5010;          // low byte 0: the report arrived
inline constexpr uint16_t kStatusNoEffect = 0x6010;
inline constexpr uint16_t kStatusLightMode = 0x7010;  // value: mode << 4
inline constexpr uint16_t kStatusCommitOnly = 0x8010;
// A driver link's connection event: value 1 arrival, 2 removal.
inline constexpr uint16_t kStatusConnection = 0x7F00;

// Low byte of the battery value.
enum class BatteryState : uint8_t { kDischarging = 1, kFull = 2, kCharging = 3 };

// How the state byte is named in JSON and on the command line; "unknown" for
// -1 (no battery report yet). Any other state byte means discharging.
constexpr std::string_view BatteryStateName(int state) {
  switch (state) {
    case -1:
      return "unknown";
    case static_cast<int>(BatteryState::kFull):
      return "full";
    case static_cast<int>(BatteryState::kCharging):
      return "charging";
    default:
      return "discharging";
  }
}

}  // namespace vexel::protocol
