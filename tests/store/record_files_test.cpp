// *.pro and *.macro files: export, import with unique names, refused files.
#include "store/record_files.h"

#include <gtest/gtest.h>

#include <cstring>

#include "store/utf16_name.h"
#include "store_test_helpers.h"

namespace vexel::testing {
namespace {

const DefaultNameTexts kTexts{u"Profile", u"Macro"};

std::vector<std::u16string> MacroNames(const StoreState& state) {
  std::vector<std::u16string> names;
  for (const auto& macro : state.macros) names.emplace_back(NameView(macro->name));
  return names;
}

// Profile "Work" with slots 3 and 7 bound to "Combo" (repeat 4) in a library
// of "Combo" and "combo_1".
class RecordFilesTest : public ::testing::Test {
 protected:
  RecordFilesTest() : store_(StorePaths{temp_.path() / "ms_1"}) {
    LoadStoreAtStartup(store_, u"Profile");
    auto state = store_.Lock();
    state->macros = Macros(2);
    SetName(state->macros[0]->name, u"Combo");
    SetName(state->macros[1]->name, u"combo_1");
    ProfileRecord& profile = *state->profiles[0];
    SetName(profile.name, u"Work");
    for (int k : {3, 7}) {
      profile.button[k].function_code = kFunctionMacro;
      profile.button[k].macro_repeat = 4;
      BindMacroCopy(profile.button[k], *state->macros[0], 0);
    }
    SetName(profile.button[9].macro_name, u"stale");  // not a macro binding
  }
  std::filesystem::path File(const char* name) const { return temp_.path() / name; }
  void Export(const char* file, int profile = 0) {
    auto state = store_.Lock();
    ASSERT_TRUE(WriteProfileFile(File(file), *state->profiles[profile], store_.paths()));
  }

  TempFolder temp_;
  ProfileStore store_;
};

TEST_F(RecordFilesTest, ProfileExportThenImportAddsSuffixedProfileAndMacros) {
  Export("work.pro");
  EXPECT_EQ(std::filesystem::file_size(File("work.pro")), sizeof(ProfileRecord));
  const auto change = store_.ImportProfile(File("work.pro"), kTexts);
  ASSERT_TRUE(change) << change.result.error;
  auto state = store_.Lock();
  ASSERT_EQ(state->profiles.size(), 2u);
  EXPECT_EQ(change.added->profile_index, 1);
  EXPECT_EQ(state->header->selected_profile, 1);
  EXPECT_EQ(state->edited_profile, 1);
  const ProfileRecord& imported = *state->profiles[1];
  EXPECT_EQ(NameView(imported.name), u"Work_1");
  // "Combo_1" is taken (case-blind), so the two copies become Combo_2 and Combo_3.
  EXPECT_EQ(change.added->macro_indexes, (std::vector<int>{2, 3}));
  EXPECT_EQ(MacroNames(*state),
            (std::vector<std::u16string>{u"Combo", u"combo_1", u"Combo_2", u"Combo_3"}));
  EXPECT_EQ(NameView(imported.button[3].macro_name), u"Combo_2");
  EXPECT_EQ(imported.button[3].macro_index, 2);
  EXPECT_EQ(imported.button[7].macro_index, 3);
  EXPECT_EQ(imported.button[3].function_code, kFunctionMacro);
  auto copy = std::make_unique<MacroRecord>(*state->macros[0]);
  SetName(copy->name, u"Combo_2");
  copy->reserved_48 = 4;  // the slot's repeat
  EXPECT_EQ(BytesOf(*state->macros[2]), BytesOf(*copy));
  EXPECT_EQ(NameView(imported.button[9].macro_name), u"stale");
  // The library was saved; pro.data waits for the apply cycle.
  EXPECT_EQ(std::filesystem::file_size(store_.paths().MacrosFile()), 4 * sizeof(MacroRecord));
}

TEST_F(RecordFilesTest, MacroExportThenImportAddsASuffixedCopy) {
  auto macro = std::move(Macros(1)[0]);
  SetName(macro->name, u"Burst");
  macro->reserved_48 = 77;
  ASSERT_TRUE(WriteMacroFile(File("burst.macro"), *macro, store_.paths()));
  EXPECT_EQ(ReadAll(File("burst.macro")), BytesOf(*macro));
  ASSERT_EQ(store_.ImportMacro(File("burst.macro"), u"Macro").added, 2);
  ASSERT_EQ(store_.ImportMacro(File("burst.macro"), u"Macro").added, 3);
  auto state = store_.Lock();
  SetName(macro->name, u"Burst_1");
  EXPECT_EQ(BytesOf(*state->macros[3]), BytesOf(*macro));
  EXPECT_EQ(std::filesystem::file_size(store_.paths().MacrosFile()), 4 * sizeof(MacroRecord));
}

TEST_F(RecordFilesTest, ShortOrMissingFilesOrImportsPastAStoreCapAreRefusedAndChangeNothing) {
  WriteAll(File("short.pro"), Bytes(sizeof(ProfileRecord) - 1));
  WriteAll(File("short.macro"), Bytes(239));
  WriteAll(File("empty.macro"), Bytes());
  WriteAll(File("combo.macro"), BytesOf(*Macros(1)[0]));
  Export("work.pro");
  const Bytes profiles_before = ReadAll(store_.paths().ProfilesFile());
  const StoreCaps one_profile{kStoreHeaderSize + sizeof(ProfileRecord), kMaxMacrosFileSize};
  const StoreCaps one_macro{kMaxProfilesFileSize, sizeof(MacroRecord)};  // the profile brings two
  const std::string past = " would be larger than";
  const std::tuple<std::string, std::string, StoreCaps> table[] = {
      {"short.pro", "short.pro", {}},
      {"missing.pro", "missing.pro", {}},
      {"short.macro", "short.macro", {}},
      {"empty.macro", "empty.macro", {}},
      {"missing.macro", "missing.macro", {}},
      {"work.pro", "pro.data: it" + past + " 197956 bytes", one_profile},
      {"work.pro", "macro.data: it" + past + " 240 bytes", one_macro},
      {"combo.macro", "macro.data: it" + past, {kMaxProfilesFileSize, 0}},
  };
  for (const auto& [file, error, caps] : table) {
    SCOPED_TRACE(file);
    ProfileStore store(store_.paths(), caps);
    LoadStoreAtStartup(store, u"Profile");
    const SaveResult result = file.ends_with(".pro")
                                  ? store.ImportProfile(File(file.c_str()), kTexts).result
                                  : store.ImportMacro(File(file.c_str()), u"Macro").result;
    EXPECT_FALSE(result);
    EXPECT_TRUE(error != file || result.file == File(file.c_str())) << result.file;
    EXPECT_NE(result.error.find(error), std::string::npos) << result.error;
    auto state = store.Lock();
    EXPECT_EQ(state->profiles.size(), 1u);
    EXPECT_TRUE(state->macros.empty());
  }
  EXPECT_EQ(ReadAll(store_.paths().ProfilesFile()), profiles_before);
  EXPECT_FALSE(std::filesystem::exists(store_.paths().MacrosFile()));
}

TEST_F(RecordFilesTest, LongerFilesUseTheirFirstBytesAndDamageIsRepaired) {
  // A name without terminator and a count of 999.
  Bytes bytes = Patched(Patched(BytesOf(*Macros(1)[0]), 0, std::byte{0x43}, 48), 52, 999);
  bytes.resize(bytes.size() + 500, std::byte{0xEE});
  WriteAll(File("long.macro"), bytes);
  const auto read = ReadMacroFile(File("long.macro"), nullptr);
  ASSERT_TRUE(read);
  EXPECT_EQ(NameView(read->name).size(), 23u);
  EXPECT_EQ(read->action_count, 46);
}

TEST_F(RecordFilesTest, EmptyStoredNamesGetTheDefaultNamePattern) {
  {
    auto state = store_.Lock();
    SetName(state->profiles[0]->name, u"");
    SetName(state->profiles[0]->button[3].macro_name, u"");
  }
  Export("nameless.pro");
  ASSERT_TRUE(store_.ImportProfile(File("nameless.pro"), kTexts));
  ASSERT_TRUE(WriteMacroFile(File("nameless.macro"), *MakeZeroMacro(), store_.paths()));
  ASSERT_TRUE(store_.ImportMacro(File("nameless.macro"), u"Macro"));
  auto state = store_.Lock();
  EXPECT_EQ(NameView(state->profiles[1]->name), u"Profile2");
  // Slot 3 comes first (library of 2: "Macro3"); slot 7 keeps its "Combo".
  EXPECT_EQ(MacroNames(*state),
            (std::vector<std::u16string>{u"Combo", u"combo_1", u"Macro3", u"Combo_2", u"Macro5"}));
  EXPECT_EQ(NameView(state->profiles[1]->button[3].macro_name), u"Macro3");
}

TEST_F(RecordFilesTest, ExportingOntoTheStoreInUseIsRefused) {
  ASSERT_TRUE(store_.SaveMacros());
  std::filesystem::create_hard_link(store_.paths().MacrosFile(), File("library"));
  std::filesystem::create_symlink(store_.paths().ProfilesFile(), File("profiles-link"));
  auto state = store_.Lock();
  for (const std::filesystem::path& file :
       {store_.paths().folder / "." / "pro.data", File("profiles-link"), File("library")}) {
    SCOPED_TRACE(file);
    const SaveResult profile = WriteProfileFile(file, *state->profiles[0], store_.paths());
    EXPECT_NE(profile.error.find("store in use"), std::string::npos) << profile.error;
    EXPECT_FALSE(WriteMacroFile(file, *state->macros[0], store_.paths()));
  }
}

}  // namespace
}  // namespace vexel::testing
