// Key codes as the mouse stores them: one-byte HID keyboard usages (page 7),
// plus 241-245 for mouse buttons in macro steps, and the table that ties them
// to the virtual keys and set-1 scan codes the system reports.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace vexel {

// Mouse-button codes of macro steps; never produced from a virtual key.
inline constexpr uint32_t kCodeLeftButton = 241;
inline constexpr uint32_t kCodeRightButton = 242;
inline constexpr uint32_t kCodeMiddleButton = 243;
inline constexpr uint32_t kCodeBackwardButton = 244;
inline constexpr uint32_t kCodeForwardButton = 245;

struct KeyTableRow {
  uint32_t virtual_key;
  uint32_t usage;
  uint32_t scan_code;  // set 1; 0 = none
};

// All 112 rows in search order: the first match wins, so the order matters
// (usage 56 has two rows, virtual keys 191 and 223; searching by usage finds 191).
std::span<const KeyTableRow> KeyTable();
// The first 66 rows: keys stored by their physical position, each with a scan code.
std::span<const KeyTableRow> PositionalKeyRows();

// First row with that virtual key / usage, or null.
const KeyTableRow* FindRowByVirtualKey(uint32_t virtual_key);
const KeyTableRow* FindRowByUsage(uint32_t usage);
// First positional row with that scan code, or null (also for scan code 0).
const KeyTableRow* FindPositionalRowByScanCode(uint32_t scan_code);

}  // namespace vexel
