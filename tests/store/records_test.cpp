// The profile and macro records: defaults, colours, macro copies, names, and
// unique names in the profile list and the macro library.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>

#include "store/macro_record.h"
#include "store/names.h"
#include "store/profile_record.h"
#include "store/utf16_name.h"

namespace vexel {
namespace {

std::unique_ptr<ProfileRecord> DefaultProfile() {
  auto record = MakeZeroProfile();
  ApplyProfileDefaults(*record);
  return record;
}

// Every byte of a new profile: DPI stages, colours, buttons, timers and the
// reserved fields a new profile carries, with the unused slots zero.
TEST(ProfileDefaults, EveryByteOfANewProfile) {
  const auto record = DefaultProfile();
  std::ifstream golden(VEXEL_SOURCE_DIR "/tests/data/store/default_profile.bin", std::ios::binary);
  const std::string want(std::istreambuf_iterator<char>(golden), {});
  ASSERT_EQ(want.size(), sizeof(ProfileRecord));
  const auto* have = reinterpret_cast<const char*>(record.get());
  const auto differ = std::mismatch(want.begin(), want.end(), have);
  EXPECT_EQ(differ.first, want.end())
      << "first differing byte at offset " << differ.first - want.begin();
}

TEST(ProfileDefaults, RestoreKeepsNameAndMovementModeAndResetsButtons) {
  auto record = DefaultProfile();
  SetName(record->name, u"Sniper");
  record->movement_mode = 1;
  record->reserved_2216[3] = 0x5A;
  record->reserved_2208 = 7;
  record->button[2].function_code = kFunctionMacro;
  record->button[2].macro_action_count = 3;
  record->button[20].function_code = 9;
  record->dpi_x[0] = 99;

  ApplyProfileDefaults(*record);

  EXPECT_EQ(NameView(record->name), u"Sniper");
  EXPECT_EQ(record->movement_mode, 1);
  EXPECT_EQ(record->reserved_2216[3], 0x5A);
  EXPECT_EQ(record->reserved_2208, 0);
  EXPECT_EQ(record->dpi_x[0], 5);
  EXPECT_EQ(record->button[2].function_code, default_function_table[2]);
  EXPECT_EQ(record->button[2].macro_action_count, 0);
  EXPECT_EQ(record->button[20].function_code, 0);
}

TEST(ProfileDefaults, DpiResetTouchesOnlyTheDpiFields) {
  auto record = DefaultProfile();
  record->dpi_x[7] = 80;
  record->dpi_stage_current = 5;
  record->light_brightness = 1;
  ApplyDpiDefaults(*record);
  EXPECT_EQ(record->dpi_x[7], 0);
  EXPECT_EQ(record->dpi_stage_current, 1);
  EXPECT_EQ(record->light_brightness, 1);
}

TEST(Colours, ConvertBetweenStoredAndToolkitForm) {
  struct Case {
    int32_t stored;
    uint32_t argb;
  };
  const Case table[] = {{0x40FF, 0xFFFF4000u},
                        {0xFF, 0xFFFF0000u},
                        {0xFF0000, 0xFF0000FFu},
                        {0, 0xFF000000u},
                        {0xFFFFFF, 0xFFFFFFFFu}};
  for (const Case& c : table) {
    EXPECT_EQ(ColourToArgb(ColourFromInt(c.stored)), c.argb);
    EXPECT_EQ(ColourAsInt(ArgbToColour(c.argb)), c.stored);
  }
  // The alpha byte never reaches the stored colour.
  EXPECT_EQ(ArgbToColour(0x12345678u).zero, 0);
}

std::unique_ptr<MacroRecord> ThreeStepMacro(std::u16string_view name) {
  auto macro = MakeZeroMacro();
  SetName(macro->name, name);
  macro->action_count = 3;
  macro->actions[0] = {4, kActionPress, 10};
  macro->actions[1] = {4, kActionRelease, 0x1234};
  macro->actions[2] = {kMacroCodeLeftButton, kActionPress, 7};
  return macro;
}

TEST(MacroRecord, BindCopiesA23CharacterNameAndMacroFromSlotCopiesBack) {
  const std::u16string name = u"ABCDEFGHIJKLMNOPQRSTUVW";
  ASSERT_EQ(name.size(), 23u);
  const auto macro = ThreeStepMacro(name);
  auto profile = DefaultProfile();
  ButtonSlot& slot = profile->button[4];
  BindMacroCopy(slot, *macro, 7);
  EXPECT_EQ(NameView(slot.macro_name), name);
  EXPECT_EQ(slot.macro_name[23], 0);
  EXPECT_EQ(slot.macro_action_count, 3);
  EXPECT_EQ(slot.macro_index, 7);
  EXPECT_EQ(slot.macro_actions[1], (MacroAction{4, kActionRelease, 0x1234}));

  slot.macro_repeat = 9;
  const MacroRecord back = MacroFromSlot(slot);
  EXPECT_EQ(NameView(back.name), name);
  EXPECT_EQ(back.action_count, 3);
  EXPECT_EQ(back.reserved_48, 9);
  EXPECT_EQ(std::memcmp(back.actions, slot.macro_actions, sizeof(back.actions)), 0);

  slot.macro_index = 2;
  RefreshMacroCopy(slot, *ThreeStepMacro(u"other"));
  EXPECT_EQ(slot.macro_index, 2);
  EXPECT_EQ(NameView(slot.macro_name), u"other");
}

TEST(MacroRecord, FindByNameIgnoresCaseAndTakesTheFirst) {
  MacroLibrary library;
  library.push_back(ThreeStepMacro(u"Alpha"));
  library.push_back(ThreeStepMacro(u"Beta"));
  library.push_back(ThreeStepMacro(u"BETA"));
  EXPECT_EQ(FindMacroByName(library, u"bEtA"), 1);
  EXPECT_EQ(FindMacroByName(library, u"alpha"), 0);
  EXPECT_EQ(FindMacroByName(library, u"Gamma"), -1);
  EXPECT_EQ(FindMacroByName(MacroLibrary{}, u"Alpha"), -1);
}

TEST(Names, FixedArraysCutTerminateAndCompareWithoutCase) {
  char16_t units[5];
  SetName(units, u"abcdefgh");
  EXPECT_EQ(NameView(units), u"abcd");
  EXPECT_EQ(units[4], 0);
  char16_t unterminated[3] = {u'x', u'y', u'z'};
  EXPECT_EQ(NameView(unterminated), u"xyz");
  TerminateName(unterminated);
  EXPECT_EQ(NameView(unterminated), u"xy");

  EXPECT_TRUE(EqualsIgnoringCase(u"MACRO1", u"macro1"));
  EXPECT_TRUE(EqualsIgnoringCase(u"\u00C4rger \u0416", u"\u00E4rger \u0436"));
  EXPECT_TRUE(EqualsIgnoringCase(u"\u0391\u03A9", u"\u03B1\u03C9"));  // Greek alpha, omega
  EXPECT_FALSE(EqualsIgnoringCase(u"\u00D7", u"\u00F7"));  // multiplication vs division sign
  EXPECT_FALSE(EqualsIgnoringCase(u"abc", u"abcd"));
}

TEST(Names, Utf8AndUtf16RoundTrip) {
  const std::string texts[] = {"", "Profile 1", "Gr\u00FC\u00DFe", "\u30DE\u30A6\u30B9",
                               "\U0001F5B1\U00010000 mouse"};
  for (const std::string& text : texts) {
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text);
  }
  EXPECT_EQ(Utf8ToUtf16("\U0001F5B1").size(), 2u);
}

TEST(Names, InvalidInputBecomesReplacementCharacters) {
  struct Case {
    std::string utf8;
    std::u16string utf16;
  };
  const Case table[] = {
      {"a\xFF"
       "b",
       u"a\uFFFDb"},                                      // byte that starts nothing
      {"\xC3", u"\uFFFD"},                                // truncated sequence
      {"\xC0\xAF", u"\uFFFD\uFFFD"},                      // overlong encoding
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},            // encoded surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
  };
  for (const Case& c : table) EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16);
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t{0xD800})), "\xEF\xBF\xBD");
  EXPECT_EQ(Utf16ToUtf8(u"\xDC00x"), "\xEF\xBF\xBDx");
}

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
      // Ten taken: the suffix grows a digit and cuts one more character.
      {{u"ABCDEFGHIJKLMNOPQRSTUVW", u"ABCDEFGHIJKLMNOPQRSTU_1", u"ABCDEFGHIJKLMNOPQRSTU_2",
        u"ABCDEFGHIJKLMNOPQRSTU_3", u"ABCDEFGHIJKLMNOPQRSTU_4", u"ABCDEFGHIJKLMNOPQRSTU_5",
        u"ABCDEFGHIJKLMNOPQRSTU_6", u"ABCDEFGHIJKLMNOPQRSTU_7", u"ABCDEFGHIJKLMNOPQRSTU_8",
        u"ABCDEFGHIJKLMNOPQRSTU_9"},
       u"ABCDEFGHIJKLMNOPQRSTUVW",
       u"ABCDEFGHIJKLMNOPQRST_10"},
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
