#include "firmware/macro_chunks.h"

#include <algorithm>

namespace vexel::sim {

using protocol::FrameLayout;
using protocol::MacroChunkLayout;
using protocol::MacroLayout;

std::optional<Refusal> MacroAssembler::Add(ChunkHeader header, std::span<const uint8_t> chunk) {
  completed_ = false;
  if (header.index == 0) {
    report_.fill(0);
    button_ = header.button;
    expected_index_ = 0;
  }
  if (header.index != expected_index_ || header.button != button_) {
    expected_index_ = 0;
    return Refusal::kChunkOrder;
  }
  const std::size_t start = FrameLayout::kPayloadStart +
                            MacroChunkLayout::kDataLength * static_cast<std::size_t>(header.index);
  const std::size_t count = std::min(MacroChunkLayout::kDataLength, report_.size() - start);
  std::copy_n(chunk.begin() + MacroChunkLayout::kData, count, report_.begin() + start);
  if (++expected_index_ < kChunkCount) return std::nullopt;
  expected_index_ = 0;
  report_[FrameLayout::kKind] = MacroLayout::kKind;
  report_[FrameLayout::kLength] = static_cast<uint8_t>(MacroLayout::kLength);
  report_[MacroLayout::kButton] = static_cast<uint8_t>(button_);
  if (auto refusal = CheckReport(report_)) return refusal;
  completed_ = true;
  return std::nullopt;
}

}  // namespace vexel::sim
