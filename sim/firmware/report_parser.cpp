#include "firmware/report_parser.h"

#include <algorithm>
#include <array>

#include "protocol/report_layout.h"

namespace vexel::sim {
namespace {

using protocol::ButtonMapLayout;
using protocol::FrameLayout;
using protocol::LightingLayout;
using protocol::MacroChunkLayout;
using protocol::MacroLayout;
using protocol::PerformanceLayout;
using protocol::PollingRateLayout;
using protocol::ResetLayout;

// What the mouse knows of each kind: its size and where its checksum is.
struct KindShape {
  uint8_t kind;
  std::size_t length;
  std::optional<std::size_t> checksum;
};

constexpr std::array<KindShape, 6> kShapes = {{
    {ResetLayout::kKind, ResetLayout::kLength, std::nullopt},
    {PerformanceLayout::kKind, PerformanceLayout::kLength, PerformanceLayout::kChecksum},
    {LightingLayout::kKind, LightingLayout::kLength, LightingLayout::kChecksum},
    {PollingRateLayout::kKind, PollingRateLayout::kLength, std::nullopt},
    {ButtonMapLayout::kKind, ButtonMapLayout::kLength, ButtonMapLayout::kChecksum},
    {MacroLayout::kKind, MacroLayout::kLength, MacroLayout::kChecksum},
}};

const KindShape* ShapeOf(uint8_t kind) {
  const auto found = std::find_if(kShapes.begin(), kShapes.end(),
                                  [kind](const KindShape& shape) { return shape.kind == kind; });
  return found == kShapes.end() ? nullptr : &*found;
}

constexpr std::size_t kChecksumBytes = 2;

bool AllZero(std::span<const uint8_t> bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 0; });
}

// The mouse reads both copies of what some reports send twice; they must agree.
bool SameBytes(std::span<const uint8_t> report, std::size_t first, std::size_t copy,
               std::size_t count) {
  return std::equal(report.begin() + first, report.begin() + first + count, report.begin() + copy);
}

// The guards each kind has besides the frame: fixed bytes, complements, counts.
std::optional<Refusal> CheckBody(std::span<const uint8_t> report) {
  switch (report[FrameLayout::kKind]) {
    case ResetLayout::kKind: {
      const auto body = report.subspan(ResetLayout::kBody, sizeof(ResetLayout::kBodyBytes));
      if (!std::equal(body.begin(), body.end(), std::begin(ResetLayout::kBodyBytes)))
        return Refusal::kResetBody;
      if (!AllZero(report.subspan(ResetLayout::kBody + body.size())))
        return Refusal::kTrailingBytes;
      return std::nullopt;
    }
    case PollingRateLayout::kKind:
      if (report[PollingRateLayout::kIntervalCodeComplement] !=
          static_cast<uint8_t>(~report[PollingRateLayout::kIntervalCode])) {
        return Refusal::kPollingComplement;
      }
      if (!AllZero(report.subspan(PollingRateLayout::kIntervalCodeComplement + 1)))
        return Refusal::kTrailingBytes;
      return std::nullopt;
    case PerformanceLayout::kKind:
      if (!SameBytes(report, PerformanceLayout::kHighRangeMask,
                     PerformanceLayout::kHighRangeMaskCopy, 1) ||
          !SameBytes(report, PerformanceLayout::kDpiCodes, PerformanceLayout::kDpiCodesCopy,
                     PerformanceLayout::kStageCount)) {
        return Refusal::kCopies;
      }
      return std::nullopt;
    case MacroLayout::kKind:
      if (!SameBytes(report, MacroLayout::kReserved, MacroLayout::kReservedCopies, 1) ||
          !SameBytes(report, MacroLayout::kReserved, MacroLayout::kReservedCopies + 1, 1)) {
        return Refusal::kCopies;
      }
      if (report[MacroLayout::kPairCount] > MacroLayout::kMaxPairs) return Refusal::kPairCount;
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

// The 16-bit byte sum of report[first, end) that the mouse checks.
uint16_t PayloadSum(std::span<const uint8_t> report, std::size_t first, std::size_t end) {
  unsigned sum = 0;
  for (std::size_t i = first; i < end && i < report.size(); ++i) sum += report[i];
  return static_cast<uint16_t>(sum & 0xFFFF);
}

}  // namespace

std::string_view RefusalReason(Refusal refusal) {
  switch (refusal) {
    case Refusal::kEmpty:
      return "empty";
    case Refusal::kUnknownKind:
      return "unknown kind";
    case Refusal::kLength:
      return "length";
    case Refusal::kLengthByte:
      return "length byte";
    case Refusal::kTag:
      return "tag byte";
    case Refusal::kChecksum:
      return "checksum";
    case Refusal::kTrailingBytes:
      return "bytes after the end";
    case Refusal::kResetBody:
      return "reset body";
    case Refusal::kPollingComplement:
      return "polling complement";
    case Refusal::kPairCount:
      return "pair count";
    case Refusal::kCopies:
      return "copies differ";
    case Refusal::kChunkMarker:
      return "chunk marker";
    case Refusal::kChunkIndex:
      return "chunk index";
    case Refusal::kChunkOrder:
      return "chunk order";
    case Refusal::kByteCount:
      return "byte count";
    case Refusal::kNotOverBle:
      return "not taken over Bluetooth";
  }
  return "unknown";
}

void Reseal(std::span<uint8_t> report) {
  if (report.empty()) return;
  const KindShape* shape = ShapeOf(report[FrameLayout::kKind]);
  if (!shape || !shape->checksum || *shape->checksum + kChecksumBytes > report.size()) return;
  const std::size_t at = *shape->checksum;
  const uint16_t sum = PayloadSum(report, FrameLayout::kPayloadStart, at);
  report[at] = static_cast<uint8_t>(sum >> 8);
  report[at + 1] = static_cast<uint8_t>(sum);
}

std::optional<Refusal> CheckReport(std::span<const uint8_t> report) {
  if (report.empty()) return Refusal::kEmpty;
  const KindShape* shape = ShapeOf(report[FrameLayout::kKind]);
  if (!shape) return Refusal::kUnknownKind;
  if (report.size() != shape->length) return Refusal::kLength;
  if (report[FrameLayout::kLength] != shape->length) return Refusal::kLengthByte;
  const uint8_t tag = report[FrameLayout::kTag];
  const bool tag_ok = shape->kind == MacroLayout::kKind
                          ? tag >= MacroLayout::kFirstButton && tag <= MacroLayout::kLastButton
                          : tag == FrameLayout::kProfileReportTag;
  if (!tag_ok) return Refusal::kTag;
  if (shape->checksum) {
    const std::size_t at = *shape->checksum;
    const uint16_t sum = PayloadSum(report, FrameLayout::kPayloadStart, at);
    if (report[at] != (sum >> 8) || report[at + 1] != (sum & 0xFF)) return Refusal::kChecksum;
    if (!AllZero(report.subspan(at + kChecksumBytes))) return Refusal::kTrailingBytes;
  }
  return CheckBody(report);
}

std::variant<ChunkHeader, Refusal> CheckChunk(Link link, std::span<const uint8_t> chunk) {
  if (chunk.empty()) return Refusal::kEmpty;
  if (chunk[FrameLayout::kKind] != MacroChunkLayout::kKind) return Refusal::kUnknownKind;
  if (chunk.size() != MacroChunkLayout::kLength) return Refusal::kLength;
  const int button = chunk[MacroChunkLayout::kButton];
  const int index = chunk[MacroChunkLayout::kIndex];
  if (button < MacroLayout::kFirstButton || button > MacroLayout::kLastButton) return Refusal::kTag;
  if (index >= MacroChunkLayout::kCount) return Refusal::kChunkIndex;
  const bool wireless_last = link == Link::kWireless && index == MacroChunkLayout::kCount - 1;
  const uint8_t marker =
      wireless_last ? MacroChunkLayout::kWirelessLastMarker : MacroChunkLayout::kMarkerValue;
  if (chunk[MacroChunkLayout::kMarker] != marker) return Refusal::kChunkMarker;
  // The last chunk carries only the end of the report; the rest must be zero.
  const std::size_t carried = MacroChunkLayout::kDataLength * static_cast<std::size_t>(index);
  const std::size_t left = MacroLayout::kLength - FrameLayout::kPayloadStart - carried;
  if (left < MacroChunkLayout::kDataLength &&
      !AllZero(chunk.subspan(MacroChunkLayout::kData + left))) {
    return Refusal::kTrailingBytes;
  }
  return ChunkHeader{button, index};
}

}  // namespace vexel::sim
