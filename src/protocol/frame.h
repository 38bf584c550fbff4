// The vendor report frame shared by every report to the mouse:
//   byte 0 kind, byte 1 total length, byte 2 0x01 (or the button number in a
//   macro report), payload from byte 3, and for reports that carry one a 16-bit
//   byte-sum checksum of the payload, high byte first; zeros after it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace vexel::protocol {

inline constexpr uint8_t kKindReset = 0x0C;
inline constexpr uint8_t kKindPerformance = 0x04;
inline constexpr uint8_t kKindLighting = 0x05;
inline constexpr uint8_t kKindPollingRate = 0x06;
inline constexpr uint8_t kKindButtonMap = 0x08;
inline constexpr uint8_t kKindMacro = 0x09;

inline constexpr std::size_t kResetLength = 10;
inline constexpr std::size_t kPerformanceLength = 56;
inline constexpr std::size_t kLightingLength = 15;
inline constexpr std::size_t kPollingRateLength = 9;
inline constexpr std::size_t kButtonMapLength = 59;
inline constexpr std::size_t kMacroLength = 131;

inline constexpr std::size_t kPayloadStart = 3;
inline constexpr uint8_t kProfileReportTag = 0x01;  // byte 2 of every report but the macro report

// Length of a report of `kind`; 0 for a kind the mouse does not know.
constexpr std::size_t ReportLength(uint8_t kind) {
  switch (kind) {
    case kKindReset:
      return kResetLength;
    case kKindPerformance:
      return kPerformanceLength;
    case kKindLighting:
      return kLightingLength;
    case kKindPollingRate:
      return kPollingRateLength;
    case kKindButtonMap:
      return kButtonMapLength;
    case kKindMacro:
      return kMacroLength;
    default:
      return 0;
  }
}

// Position of the checksum's high byte in a report of `kind`; 0 for the kinds
// without a checksum (reset and polling rate) and for unknown kinds.
constexpr std::size_t ChecksumOffset(uint8_t kind) {
  switch (kind) {
    case kKindPerformance:
      return 50;
    case kKindLighting:
      return 11;
    case kKindButtonMap:
      return 57;
    case kKindMacro:
      return 129;
    default:
      return 0;
  }
}

// Sum of the unsigned bytes [first, end) modulo 65536.
constexpr uint16_t ByteSum(std::span<const uint8_t> bytes, std::size_t first, std::size_t end) {
  uint32_t sum = 0;
  for (std::size_t i = first; i < end && i < bytes.size(); ++i) sum += bytes[i];
  return static_cast<uint16_t>(sum);
}

// Writes the checksum of bytes 3 .. offset-1 at offset (high) and offset+1 (low).
constexpr void WriteChecksum(std::span<uint8_t> report, std::size_t offset) {
  const uint16_t sum = ByteSum(report, kPayloadStart, offset);
  report[offset] = static_cast<uint8_t>(sum >> 8);
  report[offset + 1] = static_cast<uint8_t>(sum);
}

// True when `report` is a well-formed report: a known kind, byte 1 and the size
// equal to the kind's length, and (where the kind has one) a correct checksum.
constexpr bool IsWellFormed(std::span<const uint8_t> report) {
  if (report.size() < kPayloadStart) return false;
  const std::size_t length = ReportLength(report[0]);
  if (length == 0 || report.size() != length || report[1] != length) return false;
  const std::size_t offset = ChecksumOffset(report[0]);
  if (offset == 0) return true;
  const uint16_t sum = ByteSum(report, kPayloadStart, offset);
  return report[offset] == static_cast<uint8_t>(sum >> 8) &&
         report[offset + 1] == static_cast<uint8_t>(sum);
}

// Lowercase hex, bytes separated by `separator` (" " for vexelctl, "" for JSON).
std::string ToHex(std::span<const uint8_t> bytes, std::string_view separator = " ");

}  // namespace vexel::protocol
