// The 64-byte chunks in which the driver links carry the 131-byte macro report:
//   byte 0 0x09; byte 1 0x40 (0x0C in chunk 2 on the receiver); byte 2 the
//   button; byte 3 the chunk index k; bytes 4-63 report bytes 3+60k .. 62+60k,
//   zero past the report's end.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "firmware/link.h"

namespace vexel::sim {

inline constexpr std::size_t kChunkLength = 64;
inline constexpr std::size_t kChunkPayload = 60;
inline constexpr int kChunkCount = 3;
inline constexpr uint8_t kChunkMarker = 0x40;
inline constexpr uint8_t kWirelessLastChunkMarker = 0x0C;
inline constexpr int kButtonCount = 18;

struct ChunkHeader {
  int button;  // 1-18
  int index;   // 0-2
};

// The header of a well-formed chunk as it may arrive over `link`.
std::optional<ChunkHeader> CheckChunk(Link link, std::span<const uint8_t> chunk);

// Puts one button's macro report back together from chunks 0, 1, 2 in order.
class MacroAssembler {
 public:
  enum class Outcome { kRefused, kTaken, kCompleted };
  // A chunk that passed CheckChunk. Out of order, or a completed report with a
  // bad checksum, is refused and drops what was collected.
  Outcome Add(ChunkHeader header, std::span<const uint8_t> chunk);
  // The whole report after kCompleted.
  std::span<const uint8_t> Report() const { return report_; }

 private:
  std::array<uint8_t, 131> report_{};
  int button_ = 0;
  int expected_index_ = 0;
};

}  // namespace vexel::sim
