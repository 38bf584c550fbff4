#include "firmware/macro_chunks.h"

#include <algorithm>

#include "protocol/frame.h"

namespace vexel::sim {

std::optional<ChunkHeader> CheckChunk(Link link, std::span<const uint8_t> chunk) {
  if (chunk.size() != kChunkLength || chunk[0] != protocol::kKindMacro) return std::nullopt;
  const int button = chunk[2];
  const int index = chunk[3];
  if (button < 1 || button > kButtonCount || index >= kChunkCount) return std::nullopt;
  const bool wireless_last = link == Link::kWireless && index == kChunkCount - 1;
  if (chunk[1] != (wireless_last ? kWirelessLastChunkMarker : kChunkMarker)) return std::nullopt;
  // Chunk 2 carries only the last 8 report bytes; the rest must be zero.
  const std::size_t used = protocol::kMacroLength - protocol::kPayloadStart - kChunkPayload * index;
  if (used < kChunkPayload &&
      std::any_of(chunk.begin() + 4 + used, chunk.end(), [](uint8_t b) { return b != 0; })) {
    return std::nullopt;
  }
  return ChunkHeader{button, index};
}

MacroAssembler::Outcome MacroAssembler::Add(ChunkHeader header, std::span<const uint8_t> chunk) {
  if (header.index == 0) {
    button_ = header.button;
    expected_index_ = 0;
  }
  if (header.index != expected_index_ || header.button != button_) {
    expected_index_ = 0;
    return Outcome::kRefused;
  }
  const std::size_t start = protocol::kPayloadStart + kChunkPayload * header.index;
  const std::size_t count = std::min(kChunkPayload, report_.size() - start);
  std::copy_n(chunk.begin() + 4, count, report_.begin() + start);
  if (++expected_index_ < kChunkCount) return Outcome::kTaken;
  expected_index_ = 0;
  report_[0] = protocol::kKindMacro;
  report_[1] = static_cast<uint8_t>(protocol::kMacroLength);
  report_[2] = static_cast<uint8_t>(button_);
  return protocol::IsWellFormed(report_) ? Outcome::kCompleted : Outcome::kRefused;
}

}  // namespace vexel::sim
