// *.pro and *.macro files: export, import with unique names, refused files.
#include "store/record_files.h"

#include <gtest/gtest.h>

#include <cstring>

#include "store/profile_store.h"
#include "store/utf16_name.h"
#include "temp_folder.h"

namespace vexel {
namespace {

using testing::BytesOf;
using testing::ReadAll;
using testing::TempFolder;
using testing::WriteAll;

std::unique_ptr<MacroRecord> FiveStepMacro(std::u16string_view name) {
  auto macro = MakeZeroMacro();
  SetName(macro->name, name);
  macro->action_count = 5;
  for (int i = 0; i < 5; ++i) {
    macro->actions[i] = {static_cast<uint8_t>(4 + i), static_cast<uint8_t>(1 + i % 2),
                         static_cast<uint16_t>(100 * i)};
  }
  return macro;
}

class RecordFilesTest : public ::testing::Test {
 protected:
  RecordFilesTest() : store_(StorePaths{temp_.path() / "ms_1"}) {
    LoadStoreAtStartup(store_, u"Profile");
    auto state = store_.Lock();
    state->macros.push_back(FiveStepMacro(u"Combo"));
    state->macros.push_back(FiveStepMacro(u"combo_1"));
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

  TempFolder temp_;
  ProfileStore store_;
};

TEST_F(RecordFilesTest, ProfileExportThenImportAddsSuffixedProfileAndMacros) {
  {
    auto state = store_.Lock();
    ASSERT_TRUE(WriteProfileFile(File("work.pro"), *state->profiles[0]));
  }
  EXPECT_EQ(std::filesystem::file_size(File("work.pro")), sizeof(ProfileRecord));

  const auto result = store_.ImportProfile(File("work.pro"));
  ASSERT_TRUE(result);
  auto state = store_.Lock();
  ASSERT_EQ(state->profiles.size(), 2u);
  EXPECT_EQ(result->profile_index, 1);
  EXPECT_EQ(state->header->selected_profile, 1);
  EXPECT_EQ(state->edited_profile, 1);
  const ProfileRecord& imported = *state->profiles[1];
  EXPECT_EQ(NameView(imported.name), u"Work_1");
  // "Combo_1" is taken (case-blind), so the two copies become Combo_2 and Combo_3.
  ASSERT_EQ(result->macro_indexes, (std::vector<int>{2, 3}));
  EXPECT_EQ(NameView(state->macros[2]->name), u"Combo_2");
  EXPECT_EQ(NameView(state->macros[3]->name), u"Combo_3");
  EXPECT_EQ(NameView(imported.button[3].macro_name), u"Combo_2");
  EXPECT_EQ(imported.button[3].macro_index, 2);
  EXPECT_EQ(imported.button[7].macro_index, 3);
  EXPECT_EQ(imported.button[3].function_code, kFunctionMacro);
  EXPECT_EQ(imported.button[3].macro_action_count, 5);
  EXPECT_EQ(state->macros[2]->action_count, 5);
  EXPECT_EQ(state->macros[2]->reserved_48, 4);
  EXPECT_EQ(std::memcmp(state->macros[2]->actions, state->macros[0]->actions, 20), 0);
  EXPECT_EQ(NameView(imported.button[9].macro_name), u"stale");

  // The library was saved; pro.data waits for the apply cycle.
  EXPECT_EQ(std::filesystem::file_size(store_.paths().MacrosFile()), 4 * sizeof(MacroRecord));
}

TEST_F(RecordFilesTest, AFreeNameIsKeptExactly) {
  ProfileRecord profile;
  {
    auto state = store_.Lock();
    profile = *state->profiles[0];
  }
  SetName(profile.name, u"MiXeD Case");
  profile.button[3].function_code = 0;
  profile.button[7].function_code = 0;
  ASSERT_TRUE(WriteProfileFile(File("p.pro"), profile));
  ASSERT_TRUE(store_.ImportProfile(File("p.pro")));
  auto state = store_.Lock();
  EXPECT_EQ(NameView(state->profiles[1]->name), u"MiXeD Case");
  EXPECT_EQ(state->macros.size(), 2u);
}

TEST_F(RecordFilesTest, MacroExportThenImportAddsASuffixedCopy) {
  auto macro = FiveStepMacro(u"Burst");
  macro->reserved_48 = 77;
  ASSERT_TRUE(WriteMacroFile(File("burst.macro"), *macro));
  EXPECT_EQ(ReadAll(File("burst.macro")), BytesOf(*macro));
  ASSERT_EQ(store_.ImportMacro(File("burst.macro")), 2);
  ASSERT_EQ(store_.ImportMacro(File("burst.macro")), 3);
  auto state = store_.Lock();
  EXPECT_EQ(NameView(state->macros[2]->name), u"Burst");
  EXPECT_EQ(NameView(state->macros[3]->name), u"Burst_1");
  EXPECT_EQ(state->macros[3]->reserved_48, 77);
  EXPECT_EQ(std::memcmp(state->macros[3]->actions, macro->actions, sizeof(macro->actions)), 0);
  EXPECT_EQ(std::filesystem::file_size(store_.paths().MacrosFile()), 4 * sizeof(MacroRecord));
}

TEST_F(RecordFilesTest, AnEmptyMacroImportsAsAnEmptyMacro) {
  auto macro = MakeZeroMacro();
  SetName(macro->name, u"Nothing");
  ASSERT_TRUE(WriteMacroFile(File("n.macro"), *macro));
  const auto index = store_.ImportMacro(File("n.macro"));
  ASSERT_TRUE(index);
  auto state = store_.Lock();
  EXPECT_EQ(state->macros[*index]->action_count, 0);
}

TEST_F(RecordFilesTest, ShortOrMissingFilesAreRefusedAndChangeNothing) {
  WriteAll(File("short.pro"), Bytes(sizeof(ProfileRecord) - 1));
  WriteAll(File("short.macro"), Bytes(239));
  WriteAll(File("empty.macro"), Bytes());
  const Bytes store_before = ReadAll(store_.paths().ProfilesFile());
  struct Case {
    const char* file;
    bool profile;
  };
  for (const Case& c :
       {Case{"short.pro", true}, Case{"missing.pro", true}, Case{"short.macro", false},
        Case{"empty.macro", false}, Case{"missing.macro", false}}) {
    SCOPED_TRACE(c.file);
    std::string error;
    const bool imported = c.profile ? store_.ImportProfile(File(c.file), &error).has_value()
                                    : store_.ImportMacro(File(c.file), &error).has_value();
    EXPECT_FALSE(imported);
    EXPECT_NE(error.find(c.file), std::string::npos) << error;
  }
  auto state = store_.Lock();
  EXPECT_EQ(state->profiles.size(), 1u);
  EXPECT_EQ(state->macros.size(), 2u);
  EXPECT_EQ(ReadAll(store_.paths().ProfilesFile()), store_before);
  EXPECT_FALSE(std::filesystem::exists(store_.paths().MacrosFile()));
}

TEST_F(RecordFilesTest, LongerFilesUseTheirFirstBytesAndDamageIsRepaired) {
  auto macro = FiveStepMacro(u"x");
  Bytes bytes = BytesOf(*macro);
  std::fill(bytes.begin(), bytes.begin() + 48, std::byte{0x43});  // name without terminator
  const int32_t count = 999;
  std::memcpy(bytes.data() + 52, &count, 4);
  bytes.resize(bytes.size() + 500, std::byte{0xEE});
  WriteAll(File("long.macro"), bytes);

  const auto read = ReadMacroFile(File("long.macro"), nullptr);
  ASSERT_TRUE(read);
  EXPECT_EQ(NameView(read->name).size(), 23u);
  EXPECT_EQ(read->action_count, 46);
}

TEST_F(RecordFilesTest, PlainImportSavesTheLibraryOnlyWhenMacrosCameWithTheProfile) {
  auto profile = MakeZeroProfile();
  ApplyProfileDefaults(*profile);
  SetName(profile->name, u"Plain");
  ASSERT_TRUE(WriteProfileFile(File("plain.pro"), *profile));
  ProfileList profiles;
  MacroLibrary macros;
  auto header = MakeZeroHeader();
  const auto result =
      ImportProfileFile(store_.paths(), File("plain.pro"), profiles, *header, macros);
  ASSERT_TRUE(result);
  EXPECT_TRUE(result->macro_indexes.empty());
  EXPECT_FALSE(std::filesystem::exists(store_.paths().MacrosFile()));
  ASSERT_TRUE(ImportMacroFile(store_.paths(), File("plain.pro"), macros));  // any bytes do
  EXPECT_EQ(std::filesystem::file_size(store_.paths().MacrosFile()), sizeof(MacroRecord));
}

}  // namespace
}  // namespace vexel
