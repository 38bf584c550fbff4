// Well-formed vendor reports and macro chunks for tests of the virtual mouse
// and the driver libraries.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "protocol/frame.h"
#include "protocol/report_delivery.h"

namespace vexel::test {

// Values a report sends twice repeat the first copy; a macro claims no more
// pairs than it has room for.
inline void MakeCopiesAgree(uint8_t kind, std::vector<uint8_t>& report) {
  using protocol::MacroLayout;
  using protocol::PerformanceLayout;
  if (kind == protocol::kKindPerformance) {
    report[PerformanceLayout::kHighRangeMaskCopy] = report[PerformanceLayout::kHighRangeMask];
    for (std::size_t i = 0; i < PerformanceLayout::kStageCount; ++i)
      report[PerformanceLayout::kDpiCodesCopy + i] = report[PerformanceLayout::kDpiCodes + i];
  } else if (kind == protocol::kKindMacro) {
    report[MacroLayout::kReservedCopies] = report[MacroLayout::kReserved];
    report[MacroLayout::kReservedCopies + 1] = report[MacroLayout::kReserved];
    report[MacroLayout::kPairCount] %= MacroLayout::kMaxPairs + 1;
  }
}

// A well-formed report of `kind` whose payload counts up from `seed`; byte 2
// is `button` for a macro report.
inline std::vector<uint8_t> ValidReport(uint8_t kind, uint8_t seed = 1, uint8_t button = 1) {
  const std::size_t length = protocol::ReportLength(kind);
  std::vector<uint8_t> report(length, 0);
  report[0] = kind;
  report[1] = static_cast<uint8_t>(length);
  report[2] = kind == protocol::kKindMacro ? button : protocol::kProfileReportTag;
  if (kind == protocol::kKindReset) {
    report[3] = 0xFE, report[4] = 0x01, report[5] = 0xFE;
  } else if (kind == protocol::kKindPollingRate) {
    report[3] = seed, report[4] = static_cast<uint8_t>(~seed);
  } else {
    const std::size_t checksum = protocol::ChecksumOffset(kind);
    for (std::size_t i = protocol::kPayloadStart; i < checksum; ++i)
      report[i] = static_cast<uint8_t>(seed + i);
    MakeCopiesAgree(kind, report);
    protocol::WriteChecksum(report, checksum);
  }
  return report;
}

// The three 64-byte chunks in which a driver link carries a macro report, cut
// as the program cuts them (the virtual mouse checks them on their own terms).
inline std::array<std::vector<uint8_t>, 3> MacroChunks(const std::vector<uint8_t>& report,
                                                       bool wireless) {
  std::array<std::vector<uint8_t>, 3> chunks;
  for (int k = 0; k < 3; ++k) {
    const auto chunk = protocol::MakeMacroChunk(report, k, wireless);
    chunks[k].assign(chunk.begin(), chunk.end());
  }
  return chunks;
}

}  // namespace vexel::test
