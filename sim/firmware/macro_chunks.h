// Puts a macro report back together from the 64-byte chunks in which the
// driver links carry it (see report_parser.h for the checks on each chunk).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "firmware/report_parser.h"
#include "protocol/report_layout.h"

namespace vexel::sim {

inline constexpr int kChunkCount = protocol::MacroChunkLayout::kCount;

// Collects one button's chunks 0, 1, 2 in order.
class MacroAssembler {
 public:
  // A chunk that passed CheckChunk. Empty when taken; a chunk out of turn or a
  // completed report that the mouse refuses drops what was collected.
  std::optional<Refusal> Add(ChunkHeader header, std::span<const uint8_t> chunk);
  // True after the chunk that completed a report; Report() then holds it.
  bool completed() const { return completed_; }
  std::span<const uint8_t> Report() const { return report_; }

 private:
  std::array<uint8_t, protocol::MacroLayout::kLength> report_{};
  int button_ = 0;
  int expected_index_ = 0;
  bool completed_ = false;
};

}  // namespace vexel::sim
