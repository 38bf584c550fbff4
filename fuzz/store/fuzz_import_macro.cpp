// Any *.macro content imported twice: the second copy gets a different name
// that still fits the field, and the count stays within 0-46.
#include "fuzz_input.h"
#include "store/names.h"
#include "store/record_files.h"
#include "store/utf16_name.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vexel;
  static const Bytes sound = [] {
    MacroLibrary macros;
    return fuzz::BytesOf(AppendNewMacro(macros, u"Macro"));
  }();
  const auto macro = MacroFromFileBytes(fuzz::RawOrPatched(data, size, sound));
  if (!macro) return 0;
  MacroLibrary macros;
  const auto first = NameView(macros[AddImportedMacro(*macro, macros, u"Macro")]->name);
  const auto second = NameView(macros[AddImportedMacro(*macro, macros, u"Macro")]->name);
  fuzz::Require(!EqualsIgnoringCase(first, second) && second.size() <= kMacroNameMaxChars);
  for (const auto& entry : macros) {
    fuzz::Require(entry->action_count >= 0 && entry->action_count <= kMaxMacroActions);
  }
  return 0;
}
