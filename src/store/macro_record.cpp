#include "store/macro_record.h"

#include <algorithm>
#include <cstring>

#include "store/utf16_name.h"

namespace vexel {

std::unique_ptr<MacroRecord> MakeZeroMacro() {
  auto record = std::make_unique<MacroRecord>();
  std::memset(record.get(), 0, sizeof(MacroRecord));
  return record;
}

int FindMacroByName(const MacroLibrary& library, std::u16string_view name) {
  for (std::size_t i = 0; i < library.size(); ++i) {
    if (EqualsIgnoringCase(NameView(library[i]->name), name)) return static_cast<int>(i);
  }
  return -1;
}

void RefreshMacroCopy(ButtonSlot& slot, const MacroRecord& macro) {
  // The name array has the same 24 units on both sides; copying all of them keeps
  // a 23-character name with its terminator.
  std::memcpy(slot.macro_name, macro.name, sizeof(slot.macro_name));
  slot.macro_action_count = static_cast<uint16_t>(macro.action_count);
  std::memcpy(slot.macro_actions, macro.actions, sizeof(slot.macro_actions));
}

void BindMacroCopy(ButtonSlot& slot, const MacroRecord& macro, int position) {
  RefreshMacroCopy(slot, macro);
  slot.macro_index = position;
}

MacroRecord MacroFromSlot(const ButtonSlot& slot) {
  MacroRecord macro;
  std::memset(&macro, 0, sizeof(macro));
  std::memcpy(macro.name, slot.macro_name, sizeof(macro.name));
  macro.action_count = slot.macro_action_count;
  std::memcpy(macro.actions, slot.macro_actions, sizeof(macro.actions));
  macro.reserved_48 = slot.macro_repeat;
  return macro;
}

}  // namespace vexel
