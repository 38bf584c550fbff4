// The profile and macro records: defaults, colours, macro copies, names, and
// unique names in the profile list and the macro library.
#include <gtest/gtest.h>

#include "store/utf16_name.h"
#include "store_test_helpers.h"

namespace vexel::testing {
namespace {

std::unique_ptr<ProfileRecord> DefaultProfile() {
  auto record = MakeZeroProfile();
  ApplyProfileDefaults(*record);
  return record;
}

// Every byte of a new profile: DPI stages, colours, buttons, timers and the
// reserved fields a new profile carries, with the unused slots zero.
TEST(ProfileDefaults, EveryByteOfANewProfile) {
  const Bytes want = ReadAll(VEXEL_SOURCE_DIR "/tests/data/store/default_profile.bin");
  const Bytes have = BytesOf(*DefaultProfile());
  ASSERT_EQ(want.size(), have.size());
  // The offset of the first differing byte, if any.
  EXPECT_EQ(std::mismatch(want.begin(), want.end(), have.begin()).first - want.begin(),
            std::ssize(want));
}

TEST(ProfileDefaults, ResetsKeepWhatTheyDoNotCover) {
  auto record = DefaultProfile();
  SetName(record->name, u"Sniper");
  record->movement_mode = 1;
  record->reserved_2216[3] = 0x5A;
  auto expected = std::make_unique<ProfileRecord>(*record);
  record->reserved_2208 = 7;
  record->button[2].function_code = kFunctionMacro;
  record->button[2].macro_action_count = 3;
  record->button[20].function_code = 9;
  record->dpi_x[0] = 99;
  ApplyProfileDefaults(*record);
  EXPECT_EQ(BytesOf(*record), BytesOf(*expected));

  // The DPI reset touches only the DPI fields.
  record->dpi_x[7] = 80;
  record->dpi_stage_current = 5;
  record->light_brightness = expected->light_brightness = 1;
  ApplyDpiDefaults(*record);
  EXPECT_EQ(BytesOf(*record), BytesOf(*expected));
}

template <typename List>
List Named(std::initializer_list<std::u16string> names) {
  List list;
  for (const auto& name : names) {
    list.push_back(std::make_unique<typename List::value_type::element_type>());
    SetName(list.back()->name, name);
  }
  return list;
}

TEST(MacroRecord, FindByNameIgnoresCaseAndTakesTheFirst) {
  const auto library = Named<MacroLibrary>({u"Alpha", u"Beta", u"BETA"});
  EXPECT_EQ(FindMacroByName(library, u"bEtA"), 1);
  EXPECT_EQ(FindMacroByName(library, u"alpha"), 0);
  EXPECT_EQ(FindMacroByName(library, u"Gamma"), -1);
}

TEST(Names, CompareWithoutCaseInAnyScript) {
  EXPECT_TRUE(EqualsIgnoringCase(u"MACRO1", u"macro1"));
  EXPECT_TRUE(EqualsIgnoringCase(u"\u00C4rger \u0416", u"\u00E4rger \u0436"));
  EXPECT_TRUE(EqualsIgnoringCase(u"\u0391\u03A9", u"\u03B1\u03C9"));  // Greek alpha, omega
  EXPECT_FALSE(EqualsIgnoringCase(u"\u00D7", u"\u00F7"));  // multiplication vs division sign
  EXPECT_FALSE(EqualsIgnoringCase(u"abc", u"abcd"));
  // The ends of the Latin Extended-A runs; dotted I and kra have no pair.
  for (const auto& [unit, folded] : std::vector<std::pair<char16_t, char16_t>>{
           {0x100, 0x101}, {0x130, 0x130}, {0x136, 0x137}, {0x138, 0x138}})
    EXPECT_EQ(FoldCase(unit), folded) << static_cast<int>(unit);
}

// Valid text converts both ways; each invalid unit becomes U+FFFD.
TEST(Names, Utf8AndUtf16ConvertAndInvalidInputBecomesReplacementCharacters) {
  const std::pair<std::string, std::u16string> table[] = {
      {"", u""},
      {"Gr\u00FC\u00DFe \u30DE", u"Gr\u00FC\u00DFe \u30DE"},
      {"\U0001F5B1\U00010000", u"\U0001F5B1\U00010000"},
      {"a\xFF!", u"a\uFFFD!"},                            // byte that starts nothing
      {"\xC3", u"\uFFFD"},                                // truncated sequence
      {"\xC0\xAF", u"\uFFFD\uFFFD"},                      // overlong encoding
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},            // encoded surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
  };
  for (const auto& [utf8, utf16] : table) {
    EXPECT_EQ(Utf8ToUtf16(utf8), utf16);
    EXPECT_TRUE(utf16.find(u'\uFFFD') != std::u16string::npos || Utf16ToUtf8(utf16) == utf8);
  }
  EXPECT_EQ(Utf16ToUtf8(u"\xD800"), "\xEF\xBF\xBD");
  EXPECT_EQ(Utf16ToUtf8(u"\xDC00x"), "\xEF\xBF\xBDx");
}

// The first `length` letters of the alphabet, then `suffix`.
std::u16string Letters(std::size_t length, std::u16string_view suffix = u"") {
  return std::u16string(u"ABCDEFGHIJKLMNOPQRSTUVWXYZ").substr(0, length) + std::u16string(suffix);
}

TEST(MakeUniqueName, SuffixesCutTheTailSoTheNameFitsItsField) {
  struct Case {
    std::initializer_list<std::u16string> taken;
    std::u16string proposal;
    std::u16string expected;
  };
  const Case table[] = {
      {{}, u"Mouse", u"Mouse"},
      {{u"Mouse", u"Mouse_1"}, u"Mouse", u"Mouse_2"},
      {{u"Macro1", u"macro1_1"}, u"MACRO1", u"MACRO1_2"},  // case-blind, keeps the proposal's case
      {{u"mouse"}, u"Keyboard", u"Keyboard"},
      {{Letters(22)}, Letters(22), Letters(21, u"_1")},
      {{Letters(23)}, Letters(23), Letters(21, u"_1")},
      {{Letters(23), Letters(21, u"_1")}, u"abcdefghijklmnopqrstuvw", u"abcdefghijklmnopqrstu_2"},
      {{}, Letters(26), Letters(23)},  // cut to the field first
      {{Letters(20, u"\U0001F5B1")},
       Letters(20, u"\U0001F5B1"),
       Letters(20, u"_1")},  // no half pair
      // Ten taken: the suffix grows a digit and cuts one more character.
      {{Letters(23), Letters(21, u"_1"), Letters(21, u"_2"), Letters(21, u"_3"), Letters(21, u"_4"),
        Letters(21, u"_5"), Letters(21, u"_6"), Letters(21, u"_7"), Letters(21, u"_8"),
        Letters(21, u"_9")},
       Letters(23),
       Letters(20, u"_10")},
  };
  for (const Case& c : table) {
    EXPECT_EQ(MakeUniqueName(Named<MacroLibrary>(c.taken), c.proposal), c.expected)
        << Utf16ToUtf8(c.proposal);
  }
  const std::u16string sixty(60, u'p'), ninety_nine(99, u'q');
  const auto profiles = Named<ProfileList>({sixty, ninety_nine});
  EXPECT_EQ(MakeUniqueName(profiles, sixty), sixty + u"_1");
  EXPECT_EQ(MakeUniqueName(profiles, ninety_nine), std::u16string(97, u'q') + u"_1");
  EXPECT_EQ(MakeUniqueName(profiles, std::u16string(150, u'r')), std::u16string(99, u'r'));
}

// Numbered from the new length, made unique like any other name.
TEST(NewRecords, AreNamedFromTheTextAndTheNewLength) {
  ProfileList profiles;
  auto expected = DefaultProfile();
  SetName(expected->name, u"Profile1");
  EXPECT_EQ(BytesOf(AddDefaultProfile(profiles, u"Profile")), BytesOf(*expected));
  SetName(profiles[0]->name, u"profile2");
  EXPECT_EQ(NameView(AddDefaultProfile(profiles, u"Profile").name), u"Profile2_1");
  MacroLibrary macros = Named<MacroLibrary>({u"a", u"b"});
  EXPECT_EQ(BytesOf(AppendNewMacro(macros, u"Macro")),
            BytesOf(*Named<MacroLibrary>({u"Macro3"})[0]));
}

}  // namespace
}  // namespace vexel::testing
