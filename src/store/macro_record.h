// One macro as the fixed 240-byte record that is at once the in-memory form, an
// entry of macro.data and the whole of a *.macro file.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "store/profile_record.h"

namespace vexel {

struct MacroRecord {
  char16_t name[kMacroNameUnits];
  int32_t reserved_48;   // a profile import keeps the carrying slot's macro_repeat here
  int32_t action_count;  // 0-46 valid entries of actions
  MacroAction actions[kMaxMacroActions];
};
static_assert(sizeof(MacroRecord) == 240);
static_assert(std::is_standard_layout_v<MacroRecord>);
static_assert(std::is_trivial_v<MacroRecord>);
static_assert(offsetof(MacroRecord, name) == 0);
static_assert(offsetof(MacroRecord, reserved_48) == 48);
static_assert(offsetof(MacroRecord, action_count) == 52);
static_assert(offsetof(MacroRecord, actions) == 56);

// Mouse-button codes that a macro step may carry besides keyboard usages.
inline constexpr uint8_t kMacroCodeLeftButton = 241;
inline constexpr uint8_t kMacroCodeRightButton = 242;
inline constexpr uint8_t kMacroCodeMiddleButton = 243;
inline constexpr uint8_t kMacroCodeSideButton2 = 244;
inline constexpr uint8_t kMacroCodeSideButton1 = 245;

// The macro library in library order; it owns its records.
using MacroLibrary = std::vector<std::unique_ptr<MacroRecord>>;

std::unique_ptr<MacroRecord> MakeZeroMacro();

// Position of the first macro whose name equals `name` without regard to case;
// -1 when there is none.
int FindMacroByName(const MacroLibrary& library, std::u16string_view name);

// Copies name, action count and actions of `macro` into the slot and
// `position` into its macro_index.
void BindMacroCopy(ButtonSlot& slot, const MacroRecord& macro, int position);

// The same copy without touching macro_index: the upkeep after the macro
// editor refreshes a slot from the library macro of the same name.
void RefreshMacroCopy(ButtonSlot& slot, const MacroRecord& macro);

// The reverse copy, used when a profile import turns a slot's copy back into a
// library macro; reserved_48 takes the slot's macro_repeat.
MacroRecord MacroFromSlot(const ButtonSlot& slot);

}  // namespace vexel
