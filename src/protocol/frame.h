// Helpers over the vendor report frame; the byte layout of each report is in
// report_layout.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "protocol/report_layout.h"

namespace vexel::protocol {

// Length of a report of `kind`; 0 for a kind the mouse does not know.
constexpr std::size_t ReportLength(uint8_t kind) {
  switch (kind) {
    case ResetLayout::kKind:
      return ResetLayout::kLength;
    case PerformanceLayout::kKind:
      return PerformanceLayout::kLength;
    case LightingLayout::kKind:
      return LightingLayout::kLength;
    case PollingRateLayout::kKind:
      return PollingRateLayout::kLength;
    case ButtonMapLayout::kKind:
      return ButtonMapLayout::kLength;
    case MacroLayout::kKind:
      return MacroLayout::kLength;
    default:
      return 0;
  }
}

// Position of the checksum's high byte in a report of `kind`; 0 for the kinds
// without a checksum (reset and polling rate) and for unknown kinds. Every
// checksum covers the payload from kPayloadStart up to itself.
constexpr std::size_t ChecksumOffset(uint8_t kind) {
  switch (kind) {
    case PerformanceLayout::kKind:
      return PerformanceLayout::kChecksum;
    case LightingLayout::kKind:
      return LightingLayout::kChecksum;
    case ButtonMapLayout::kKind:
      return ButtonMapLayout::kChecksum;
    case MacroLayout::kKind:
      return MacroLayout::kChecksum;
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

// Writes the checksum of the payload [kPayloadStart, offset) at offset (high)
// and offset + 1 (low).
constexpr void WriteChecksum(std::span<uint8_t> report, std::size_t offset) {
  const uint16_t sum = ByteSum(report, kPayloadStart, offset);
  report[offset] = static_cast<uint8_t>(sum >> 8);
  report[offset + 1] = static_cast<uint8_t>(sum);
}

// True when `report` is a well-formed report: a known kind, byte 1 and the size
// equal to the kind's length, and (where the kind has one) a correct checksum.
constexpr bool IsWellFormed(std::span<const uint8_t> report) {
  if (report.size() < kPayloadStart) return false;
  const std::size_t length = ReportLength(report[FrameLayout::kKind]);
  if (length == 0 || report.size() != length || report[FrameLayout::kLength] != length)
    return false;
  const std::size_t offset = ChecksumOffset(report[FrameLayout::kKind]);
  if (offset == 0) return true;
  const uint16_t sum = ByteSum(report, kPayloadStart, offset);
  return report[offset] == static_cast<uint8_t>(sum >> 8) &&
         report[offset + 1] == static_cast<uint8_t>(sum);
}

// Lowercase hex, bytes separated by `separator` (" " for vexelctl, "" for JSON).
std::string ToHex(std::span<const uint8_t> bytes, std::string_view separator = " ");

}  // namespace vexel::protocol
