// Any *.macro content imported twice: the second copy gets a different name
// that still fits the field, and the count stays within 0-46.
#include <cstdlib>

#include "fuzz_input.h"
#include "store/names.h"
#include "store/record_files.h"
#include "store/utf16_name.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vexel;
  static const Bytes sound = [] {
    auto macro = MakeZeroMacro();
    SetName(macro->name, u"Macro1");
    const auto* first = reinterpret_cast<const std::byte*>(macro.get());
    return Bytes(first, first + sizeof(MacroRecord));
  }();
  const auto macro = MacroFromFileBytes(fuzz::RawOrPatched(data, size, sound));
  if (!macro) return 0;
  MacroLibrary macros;
  const int first = AddImportedMacro(*macro, macros, u"Macro");
  const int second = AddImportedMacro(*macro, macros, u"Macro");
  const auto first_name = NameView(macros[static_cast<std::size_t>(first)]->name);
  const auto second_name = NameView(macros[static_cast<std::size_t>(second)]->name);
  if (EqualsIgnoringCase(first_name, second_name)) std::abort();
  if (second_name.size() > kMacroNameMaxChars) std::abort();
  for (const auto& entry : macros) {
    if (entry->action_count < 0 || entry->action_count > kMaxMacroActions) std::abort();
  }
  return 0;
}
