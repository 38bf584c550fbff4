// The limits a macro's steps must keep and the bounds of the delay fields of
// the macro editor, free of any window so that they can be checked alone.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "store/macro_record.h"

namespace vexel {

// A step costs one unit of the mouse's macro memory, two when its delay is
// longer than kLongDelayMs; a stored macro may use at most kMaxMacroUnits.
inline constexpr int kMaxMacroUnits = 47;
inline constexpr uint16_t kLongDelayMs = 1280;
inline constexpr uint16_t kMinDelayMs = 10;
inline constexpr uint16_t kMaxDelayMs = 65535;
// The insert-click buttons add a press and a release; they need two free steps.
inline constexpr int kMaxActionsForClickInsert = kMaxMacroActions - 2;

int CapacityUnits(std::span<const MacroAction> actions);
inline bool FitsCapacity(std::span<const MacroAction> actions) {
  return CapacityUnits(actions) <= kMaxMacroUnits;
}

// The leading decimal digits of a field's text (after blanks and an optional
// sign), as the C library reads a number: anything else reads as 0. Saturates
// instead of overflowing.
int64_t ReadDecimal(std::string_view text);

// A delay typed into a field, bounded to kMinDelayMs-kMaxDelayMs.
uint16_t BoundedDelay(std::string_view text);

// Mouse-button codes of the insert-click buttons and of the mouse-button combo,
// in the order of both: left, right, middle, forward (side 1), back (side 2).
inline constexpr uint8_t kClickCodes[] = {kMacroCodeLeftButton, kMacroCodeRightButton,
                                          kMacroCodeMiddleButton, kMacroCodeSideButton1,
                                          kMacroCodeSideButton2};
bool IsMouseButtonCode(uint8_t code);
// Combo item of a mouse-button code; nullopt for other codes.
std::optional<int> ClickItemOfCode(uint8_t code);

}  // namespace vexel
