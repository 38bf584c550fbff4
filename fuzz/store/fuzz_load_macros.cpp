// macro.data bytes of any shape: counts and names come out bounded, and a
// repaired library saves and loads back unchanged.
#include "fuzz_input.h"
#include "store/names.h"
#include "store/store_files.h"
#include "store/utf16_name.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vexel;
  static const Bytes sound = [] {
    MacroLibrary macros;
    for (int i = 0; i < 3; ++i) AppendNewMacro(macros, u"Macro");
    return SerializeMacros(macros);
  }();
  MacroLibrary macros;
  ParseMacros(fuzz::RawOrPatched(data, size, sound), macros);
  for (const auto& macro : macros) {
    fuzz::Require(macro->action_count >= 0 && macro->action_count <= kMaxMacroActions);
    fuzz::Require(NameView(macro->name).size() < kMacroNameUnits);
  }
  const Bytes saved = SerializeMacros(macros);
  MacroLibrary again;
  fuzz::Require(!ParseMacros(saved, again).repaired);
  fuzz::Require(fuzz::SameBytes(SerializeMacros(again), saved));
  return 0;
}
