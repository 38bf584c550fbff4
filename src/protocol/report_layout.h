// Byte layout of every vendor report, written down once. The encoders, the
// status readback, the virtual mouse's own parser and the fuzzers all take
// their offsets from here; a report that changes shape fails to compile.
//
// Every report shares one frame: byte 0 the kind, byte 1 the total length,
// byte 2 0x01 (the button number in a macro report), the payload from byte 3.
// Reports that carry a checksum end their payload with the 16-bit byte sum of
// [kSummedFirst, kSummedEnd), high byte first, at kChecksum; every byte after
// it up to the length is 0.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vexel::protocol {

struct FrameLayout {
  static constexpr std::size_t kKind = 0;
  static constexpr std::size_t kLength = 1;
  static constexpr std::size_t kTag = 2;  // kProfileReportTag, or a macro's button number
  static constexpr std::size_t kPayloadStart = 3;
  static constexpr uint8_t kProfileReportTag = 0x01;
};

// The three bytes of a colour in a report: red, green, blue.
inline constexpr std::size_t kColourSize = 3;
inline constexpr std::size_t kRedOffset = 0;
inline constexpr std::size_t kGreenOffset = 1;
inline constexpr std::size_t kBlueOffset = 2;
// The checksum's two bytes, high first.
inline constexpr std::size_t kChecksumSize = 2;

// Sent first in a full apply; fixed bytes, no checksum.
struct ResetLayout {
  static constexpr uint8_t kKind = 0x0C;
  static constexpr std::size_t kLength = 10;
  static constexpr std::size_t kBody = 3;  // kBodyBytes, then zeros
  static constexpr uint8_t kBodyBytes[] = {0xFE, 0x01, 0xFE};
};
static_assert(ResetLayout::kBody + sizeof(ResetLayout::kBodyBytes) <= ResetLayout::kLength);

struct PerformanceLayout {
  static constexpr uint8_t kKind = 0x04;
  static constexpr std::size_t kLength = 56;
  static constexpr std::size_t kLiftOffDistance = 3;
  static constexpr std::size_t kReserved = 4;
  static constexpr std::size_t kStageMask = 5;          // bit i: stage i enabled
  static constexpr std::size_t kHighRangeMask = 6;      // bit i: stage i sent halved
  static constexpr std::size_t kHighRangeMaskCopy = 7;  // the same mask again
  static constexpr std::size_t kDpiCodes = 8;           // stage i at kDpiCodes + i
  static constexpr std::size_t kDpiCodesCopy = 16;      // the same codes again
  static constexpr std::size_t kDpiStage = 24;          // the stage in use, counted from 1
  static constexpr std::size_t kStageColours = 25;      // stage i at kStageColours + 3i
  static constexpr std::size_t kTrailer = 49;           // always kTrailerValue
  static constexpr uint8_t kTrailerValue = 0x01;
  static constexpr std::size_t kSummedFirst = FrameLayout::kPayloadStart;
  static constexpr std::size_t kChecksum = 50;
  static constexpr std::size_t kSummedEnd = kChecksum;
  static constexpr std::size_t kStageCount = 8;
};
static_assert(PerformanceLayout::kDpiCodes + PerformanceLayout::kStageCount ==
              PerformanceLayout::kDpiCodesCopy);
static_assert(PerformanceLayout::kDpiCodesCopy + PerformanceLayout::kStageCount ==
              PerformanceLayout::kDpiStage);
static_assert(PerformanceLayout::kStageColours + kColourSize * PerformanceLayout::kStageCount ==
              PerformanceLayout::kTrailer);
static_assert(PerformanceLayout::kTrailer + 1 == PerformanceLayout::kChecksum);
static_assert(PerformanceLayout::kChecksum + kChecksumSize <= PerformanceLayout::kLength);

struct LightingLayout {
  static constexpr uint8_t kKind = 0x05;
  static constexpr std::size_t kLength = 15;
  static constexpr std::size_t kMode = 3;               // light mode in the high nibble
  static constexpr std::size_t kSleepHighAndSpeed = 4;  // sleep timer bits 7-4 | 9 - breath speed
  static constexpr std::size_t kSleepLowAndBrightness =
      5;  // sleep timer bits 3-0 << 4 | brightness
  static constexpr std::size_t kColour = 6;
  static constexpr std::size_t kLightOffTimer = 9;
  static constexpr std::size_t kKeyDebounce = 10;
  static constexpr std::size_t kSummedFirst = FrameLayout::kPayloadStart;
  static constexpr std::size_t kChecksum = 11;
  static constexpr std::size_t kSummedEnd = kChecksum;
};
static_assert(LightingLayout::kColour + kColourSize == LightingLayout::kLightOffTimer);
static_assert(LightingLayout::kKeyDebounce + 1 == LightingLayout::kChecksum);
static_assert(LightingLayout::kChecksum + kChecksumSize <= LightingLayout::kLength);

// The report interval code, guarded by its complement. No checksum.
struct PollingRateLayout {
  static constexpr uint8_t kKind = 0x06;
  static constexpr std::size_t kLength = 9;
  static constexpr std::size_t kIntervalCode = 3;
  static constexpr std::size_t kIntervalCodeComplement = 4;
};
static_assert(PollingRateLayout::kIntervalCodeComplement < PollingRateLayout::kLength);

struct ButtonMapLayout {
  static constexpr uint8_t kKind = 0x08;
  static constexpr std::size_t kLength = 59;
  static constexpr std::size_t kTriples = 3;  // button slot s at kTriples + 3s
  static constexpr std::size_t kTripleSize = 3;
  static constexpr std::size_t kButtonCount = 18;
  static constexpr std::size_t kSummedFirst = FrameLayout::kPayloadStart;
  static constexpr std::size_t kChecksum = 57;
  static constexpr std::size_t kSummedEnd = kChecksum;
};
static_assert(ButtonMapLayout::kTriples +
                  ButtonMapLayout::kTripleSize * ButtonMapLayout::kButtonCount ==
              ButtonMapLayout::kChecksum);
static_assert(ButtonMapLayout::kChecksum + kChecksumSize == ButtonMapLayout::kLength);

// One button's macro; byte 2 carries the button number 1-18.
struct MacroLayout {
  static constexpr uint8_t kKind = 0x09;
  static constexpr std::size_t kLength = 131;
  static constexpr std::size_t kButton = FrameLayout::kTag;
  static constexpr std::size_t kMode = 3;
  static constexpr std::size_t kReserved = 4;        // repeated at kReservedCopies
  static constexpr std::size_t kReservedCopies = 5;  // two copies of kReserved
  static constexpr std::size_t kRepeat = 7;          // 0 is sent as 1
  static constexpr std::size_t kPairCount = 28;
  static constexpr std::size_t kPairs = 29;  // pair p: time byte at kPairs + 2p, code after it
  static constexpr std::size_t kPairSize = 2;
  static constexpr std::size_t kMaxPairs = 50;
  static constexpr std::size_t kSummedFirst = FrameLayout::kPayloadStart;
  static constexpr std::size_t kChecksum = 129;
  static constexpr std::size_t kSummedEnd = kChecksum;
  static constexpr uint8_t kFirstButton = 1;
  static constexpr uint8_t kLastButton = 18;
};
static_assert(MacroLayout::kReservedCopies + 2 == MacroLayout::kRepeat);
static_assert(MacroLayout::kPairCount + 1 == MacroLayout::kPairs);
static_assert(MacroLayout::kPairs + MacroLayout::kPairSize * MacroLayout::kMaxPairs ==
              MacroLayout::kChecksum);
static_assert(MacroLayout::kChecksum + kChecksumSize == MacroLayout::kLength);

// The driver links carry a macro report as three 64-byte feature reports.
// Chunk k holds macro report bytes kPayloadStart + 60k onwards, zero past the
// report's end.
struct MacroChunkLayout {
  static constexpr uint8_t kKind = MacroLayout::kKind;
  static constexpr std::size_t kLength = 64;
  // kMarkerValue, or kWirelessLastMarker in the receiver's last chunk.
  static constexpr std::size_t kMarker = 1;
  static constexpr uint8_t kMarkerValue = 0x40;
  static constexpr uint8_t kWirelessLastMarker = 0x0C;
  static constexpr std::size_t kButton = 2;
  static constexpr std::size_t kIndex = 3;
  static constexpr std::size_t kData = 4;
  static constexpr std::size_t kDataLength = kLength - kData;
  static constexpr int kCount = 3;
};
static_assert(MacroChunkLayout::kDataLength * MacroChunkLayout::kCount >=
              MacroLayout::kLength - FrameLayout::kPayloadStart);
static_assert(MacroChunkLayout::kDataLength * (MacroChunkLayout::kCount - 1) <
              MacroLayout::kLength - FrameLayout::kPayloadStart);

// Short names used across the program.
inline constexpr std::size_t kPayloadStart = FrameLayout::kPayloadStart;
inline constexpr uint8_t kProfileReportTag = FrameLayout::kProfileReportTag;

inline constexpr uint8_t kKindReset = ResetLayout::kKind;
inline constexpr uint8_t kKindPerformance = PerformanceLayout::kKind;
inline constexpr uint8_t kKindLighting = LightingLayout::kKind;
inline constexpr uint8_t kKindPollingRate = PollingRateLayout::kKind;
inline constexpr uint8_t kKindButtonMap = ButtonMapLayout::kKind;
inline constexpr uint8_t kKindMacro = MacroLayout::kKind;

inline constexpr std::size_t kResetLength = ResetLayout::kLength;
inline constexpr std::size_t kPerformanceLength = PerformanceLayout::kLength;
inline constexpr std::size_t kLightingLength = LightingLayout::kLength;
inline constexpr std::size_t kPollingRateLength = PollingRateLayout::kLength;
inline constexpr std::size_t kButtonMapLength = ButtonMapLayout::kLength;
inline constexpr std::size_t kMacroLength = MacroLayout::kLength;

}  // namespace vexel::protocol
