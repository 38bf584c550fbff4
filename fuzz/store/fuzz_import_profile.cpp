// Any *.pro content imported twice into a store that already holds a profile
// and a macro: names stay unique and within their fields, and every
// macro-bound slot points at the library macro of its name.
#include "fuzz_input.h"
#include "store/names.h"
#include "store/record_files.h"
#include "store/utf16_name.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vexel;
  static const Bytes sound = [] {
    ProfileList profiles;
    ProfileRecord& profile = AddDefaultProfile(profiles, u"Profile");
    profile.button[4].function_code = kFunctionMacro;
    SetName(profile.button[4].macro_name, u"Macro1");
    return fuzz::BytesOf(profile);
  }();
  const auto profile = ProfileFromFileBytes(fuzz::RawOrPatched(data, size, sound));
  if (!profile) return 0;
  ProfileList profiles;
  AddDefaultProfile(profiles, u"Profile");
  MacroLibrary macros;
  AppendNewMacro(macros, u"Macro");
  auto header = MakeZeroHeader();
  for (int round = 0; round < 2; ++round) {
    const ProfileImport result =
        AddImportedProfile(*profile, profiles, *header, macros, {u"Profile", u"Macro"});
    fuzz::Require(header->selected_profile == result.profile_index);
    const ProfileRecord& added = *profiles[static_cast<std::size_t>(result.profile_index)];
    for (const ButtonSlot& slot : added.button) {
      fuzz::Require(slot.macro_action_count <= kMaxMacroActions);
      fuzz::Require(slot.function_code != kFunctionMacro ||
                    &slot - added.button >= kUsedButtonCount ||
                    FindMacroByName(macros, NameView(slot.macro_name)) == slot.macro_index);
    }
  }
  for (std::size_t i = 0; i < profiles.size(); ++i) {
    fuzz::Require(NameView(profiles[i]->name).size() <= kProfileNameMaxChars);
    for (std::size_t j = 0; j < i; ++j) {
      fuzz::Require(!EqualsIgnoringCase(NameView(profiles[i]->name), NameView(profiles[j]->name)));
    }
  }
  return 0;
}
