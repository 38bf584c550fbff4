// Unique names in the profile list and the macro library.
#include "store/names.h"

#include <gtest/gtest.h>

#include "store/utf16_name.h"

namespace vexel {
namespace {

template <typename List>
List Named(std::initializer_list<std::u16string_view> names) {
  List list;
  for (auto name : names) {
    list.push_back(std::make_unique<typename List::value_type::element_type>());
    SetName(list.back()->name, name);
  }
  return list;
}

MacroLibrary MacrosNamed(std::initializer_list<std::u16string_view> names) {
  return Named<MacroLibrary>(names);
}

ProfileList ProfilesNamed(std::initializer_list<std::u16string_view> names) {
  return Named<ProfileList>(names);
}

TEST(MakeUniqueName, MacroCases) {
  struct Case {
    std::initializer_list<std::u16string_view> taken;
    std::u16string_view proposal;
    std::u16string_view expected;
  };
  const Case table[] = {
      {{}, u"Mouse", u"Mouse"},
      {{u"Mouse"}, u"Mouse", u"Mouse_1"},
      {{u"Mouse", u"Mouse_1"}, u"Mouse", u"Mouse_2"},
      {{u"Macro1", u"macro1_1"}, u"MACRO1", u"MACRO1_2"},  // case-blind, keeps the proposal's case
      {{u"mouse"}, u"Keyboard", u"Keyboard"},
      // 22 and 23 characters: the suffix replaces the tail so the name fits 23.
      {{u"ABCDEFGHIJKLMNOPQRSTUV"}, u"ABCDEFGHIJKLMNOPQRSTUV", u"ABCDEFGHIJKLMNOPQRSTU_1"},
      {{u"ABCDEFGHIJKLMNOPQRSTUVW"}, u"ABCDEFGHIJKLMNOPQRSTUVW", u"ABCDEFGHIJKLMNOPQRSTU_1"},
      {{u"ABCDEFGHIJKLMNOPQRSTUVW", u"ABCDEFGHIJKLMNOPQRSTU_1"},
       u"abcdefghijklmnopqrstuvw",
       u"abcdefghijklmnopqrstu_2"},
      // A proposal longer than the field is cut to it first.
      {{}, u"ABCDEFGHIJKLMNOPQRSTUVWXYZ", u"ABCDEFGHIJKLMNOPQRSTUVW"},
      // A surrogate pair is not split by the cut.
      {{u"ABCDEFGHIJKLMNOPQRST\U0001F5B1"},
       u"ABCDEFGHIJKLMNOPQRST\U0001F5B1",
       u"ABCDEFGHIJKLMNOPQRST_1"},
  };
  for (const Case& c : table) {
    const auto library = MacrosNamed(c.taken);
    const std::u16string result = MakeUniqueName(library, c.proposal);
    EXPECT_EQ(result, c.expected) << Utf16ToUtf8(c.proposal);
    EXPECT_LE(result.size(), kMacroNameMaxChars);
  }
}

TEST(MakeUniqueName, LongProfileProposalsFitTheirField) {
  const std::u16string sixty(60, u'p');
  const std::u16string ninety_nine(99, u'q');
  const auto profiles = ProfilesNamed({sixty, ninety_nine});
  EXPECT_EQ(MakeUniqueName(profiles, sixty), sixty + u"_1");
  EXPECT_EQ(MakeUniqueName(profiles, ninety_nine), std::u16string(97, u'q') + u"_1");
  EXPECT_EQ(MakeUniqueName(profiles, std::u16string(150, u'r')), std::u16string(99, u'r'));
}

TEST(MakeUniqueName, ManyTakenNamesReachMultiDigitSuffixes) {
  MacroLibrary library = MacrosNamed({u"ABCDEFGHIJKLMNOPQRSTUVW"});
  for (int n = 1; n <= 10; ++n) {
    const auto name = MakeUniqueName(library, u"ABCDEFGHIJKLMNOPQRSTUVW");
    library.push_back(MakeZeroMacro());
    SetName(library.back()->name, name);
  }
  EXPECT_EQ(NameView(library.back()->name), u"ABCDEFGHIJKLMNOPQRST_10");
}

TEST(NewRecords, AreNamedFromTheTextAndTheNewLength) {
  ProfileList profiles;
  ProfileRecord& first = AddDefaultProfile(profiles, u"Profile");
  EXPECT_EQ(NameView(first.name), u"Profile1");
  EXPECT_EQ(first.button[0].function_code, default_function_table[0]);
  SetName(profiles[0]->name, u"profile2");
  ProfileRecord& second = AddDefaultProfile(profiles, u"Profile");
  EXPECT_EQ(NameView(second.name), u"Profile2_1");
  EXPECT_EQ(profiles.size(), 2u);

  MacroLibrary macros = MacrosNamed({u"a", u"b"});
  MacroRecord& macro = AppendNewMacro(macros, u"Macro");
  EXPECT_EQ(NameView(macro.name), u"Macro3");
  EXPECT_EQ(macro.action_count, 0);
  EXPECT_EQ(macros.size(), 3u);
}

}  // namespace
}  // namespace vexel
