// Builders of the six vendor reports. Each returns the whole report, zero
// filled where no field is written; values are cut to their low 8 bits without
// range checks, as the mouse takes them.
#pragma once

#include <array>
#include <cstdint>

#include "protocol/frame.h"
#include "store/profile_record.h"

namespace vexel::protocol {

using ResetBytes = std::array<uint8_t, kResetLength>;
using PerformanceBytes = std::array<uint8_t, kPerformanceLength>;
using LightingBytes = std::array<uint8_t, kLightingLength>;
using PollingRateBytes = std::array<uint8_t, kPollingRateLength>;
using ButtonMapBytes = std::array<uint8_t, kButtonMapLength>;
using MacroBytes = std::array<uint8_t, kMacroLength>;

ResetBytes ResetReport();
LightingBytes LightingReport(const ProfileRecord& profile);
PollingRateBytes PollingRateReport(const ProfileRecord& profile);
PerformanceBytes EncodePerformanceReport(const ProfileRecord& profile);
ButtonMapBytes EncodeButtonMapReport(const ProfileRecord& profile);
// The macro report of button `button_number` (1-18) carrying `slot`'s macro copy.
MacroBytes EncodeMacroReport(int button_number, const ButtonSlot& slot);

// Report interval code of a polling-rate index (0-3 -> 8, 4, 2, 1; else 2).
uint8_t PollingIntervalCode(int32_t polling_rate);
// The index of an interval code the mouse reports; -1 for any other code.
int PollingRateOfIntervalCode(uint16_t code);

// DPI code of a stage value in units of 100 DPI, and whether the stage is in
// the high range (value above 50, sent halved).
struct DpiCode {
  uint8_t code;
  bool high_range;
};
DpiCode DpiCodeOf(int32_t stage_value);
inline constexpr std::array<uint8_t, 51> DpiCodeTable = {
    0,  4,  4,  6,  8,  11, 13, 15, 18, 20, 22,  25,  27,  29,  32,  34,  36,
    39, 41, 43, 46, 48, 50, 52, 55, 57, 59, 62,  64,  66,  69,  71,  73,  76,
    78, 80, 83, 85, 87, 90, 92, 94, 97, 99, 101, 104, 106, 108, 111, 113, 115};

// Device code triple of a button function; (0, 0, 0) for a code the mouse does
// not know.
struct DeviceCode {
  uint8_t c0;
  uint8_t c1;
  uint8_t c2;
  friend bool operator==(const DeviceCode&, const DeviceCode&) = default;
};
DeviceCode DeviceCodeOf(uint8_t function_code);
// The code triple that the button map carries for slot `slot_index` (0-17).
DeviceCode ButtonCodeTriple(int slot_index, const ButtonSlot& slot);

// Time byte of a macro pair: x in ms in 10 ms units (rounded, bit 0 always
// set), bit 7 set for anything but a press.
uint8_t MacroTimeByte(uint32_t milliseconds, uint8_t kind);

}  // namespace vexel::protocol
