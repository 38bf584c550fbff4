// pro.data and macro.data on a real folder: first start, round trips, damaged
// files, interrupted and failing saves, concurrent saves.
#include "store/store_files.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstring>
#include <thread>

#include "store/names.h"
#include "store/profile_store.h"
#include "store/utf16_name.h"
#include "temp_folder.h"

namespace vexel {
namespace {

using testing::BytesOf;
using testing::ReadAll;
using testing::TempFolder;
using testing::WriteAll;

constexpr std::u16string_view kAddProfileText = u"Profile";
constexpr std::size_t kProfileSize = sizeof(ProfileRecord);

ProfileList NamedProfiles(int count) {
  ProfileList profiles;
  for (int i = 0; i < count; ++i) {
    auto record = MakeZeroProfile();
    ApplyProfileDefaults(*record);
    SetName(record->name, u"P" + std::u16string(1, static_cast<char16_t>(u'A' + i)));
    record->light_brightness = i;
    profiles.push_back(std::move(record));
  }
  return profiles;
}

Bytes StoreBytes(int profile_count, int32_t selected) {
  auto header = MakeZeroHeader();
  header->selected_profile = selected;
  return SerializeProfiles(NamedProfiles(profile_count), *header);
}

MacroLibrary NamedMacros(int count) {
  MacroLibrary macros;
  for (int i = 0; i < count; ++i) {
    macros.push_back(MakeZeroMacro());
    SetName(macros.back()->name, u"M" + std::u16string(1, static_cast<char16_t>(u'A' + i)));
    macros.back()->action_count = 1;
    macros.back()->actions[0] = {static_cast<uint8_t>(4 + i), kActionPress, 50};
  }
  return macros;
}

class StoreFilesTest : public ::testing::Test {
 protected:
  StorePaths paths() const { return StorePaths{temp_.path() / "ms_1"}; }
  void WriteProfilesFile(const Bytes& bytes) {
    std::filesystem::create_directories(paths().folder);
    WriteAll(paths().ProfilesFile(), bytes);
  }
  TempFolder temp_;
};

TEST_F(StoreFilesTest, FirstStartMakesTheFoldersAndOneDefaultProfile) {
  const auto data = ResolveStoreFolder(temp_.path() / "program", nullptr, nullptr);
  ASSERT_EQ(data, temp_.path() / "program" / "Data");
  ProfileStore store(StorePaths{data / "ms_1"});
  const StartupStore startup = LoadStoreAtStartup(store, kAddProfileText);

  EXPECT_TRUE(startup.full_apply_pending);
  EXPECT_TRUE(startup.profiles.file_missing);
  const auto bytes = ReadAll(data / "ms_1" / "pro.data");
  ASSERT_EQ(bytes.size(), 197956u);
  EXPECT_TRUE(std::all_of(bytes.begin(), bytes.begin() + kStoreHeaderSize,
                          [](std::byte b) { return b == std::byte{0}; }));
  ProfileRecord stored;
  std::memcpy(&stored, bytes.data() + kStoreHeaderSize, kProfileSize);
  EXPECT_EQ(NameView(stored.name), u"Profile1");
  EXPECT_EQ(stored.dpi_x[1], 10);
  EXPECT_FALSE(std::filesystem::exists(data / "ms_1" / "macro.data"));
  EXPECT_EQ(startup.selected_profile, 0);
  EXPECT_EQ(std::memcmp(startup.last_applied.get(), &stored, kProfileSize), 0);
}

TEST_F(StoreFilesTest, StartupEditsTheStoredSelection) {
  WriteProfilesFile(StoreBytes(3, 2));
  ProfileStore store(paths());
  const StartupStore startup = LoadStoreAtStartup(store, kAddProfileText);
  EXPECT_EQ(startup.selected_profile, 2);
  auto state = store.Lock();
  ASSERT_EQ(state->profiles.size(), 3u);
  EXPECT_EQ(state->edited_profile, 2);
  EXPECT_EQ(NameView(state->EditedProfile()->name), u"PC");
  EXPECT_EQ(std::memcmp(startup.last_applied.get(), state->EditedProfile(), kProfileSize), 0);
}

TEST_F(StoreFilesTest, HeaderAndRecordsAreWrittenBackAsRead) {
  Bytes original = StoreBytes(2, 1);
  for (std::size_t i = 4; i < kStoreHeaderSize; i += 997) original[i] = std::byte{0xA5};
  original[kStoreHeaderSize + 2216] = std::byte{0x33};  // reserved bytes inside a record
  WriteProfilesFile(original);

  ProfileList profiles;
  auto header = MakeZeroHeader();
  const LoadReport report = LoadProfiles(paths(), profiles, *header, kAddProfileText);
  EXPECT_FALSE(report.repaired);
  ASSERT_TRUE(SaveProfiles(paths(), profiles, *header));
  EXPECT_EQ(ReadAll(paths().ProfilesFile()), original);
}

TEST_F(StoreFilesTest, MacroLibraryRoundTripsMayBeEmptyAndGrowsByAdding) {
  MacroLibrary macros;
  EXPECT_TRUE(LoadMacros(paths(), macros).file_missing);
  EXPECT_FALSE(std::filesystem::exists(paths().MacrosFile()));

  ASSERT_TRUE(SaveMacros(paths(), MacroLibrary{}));
  EXPECT_EQ(std::filesystem::file_size(paths().MacrosFile()), 0u);
  macros = NamedMacros(1);
  const LoadReport empty = LoadMacros(paths(), macros);
  EXPECT_TRUE(macros.empty());
  EXPECT_FALSE(empty.repaired);

  const MacroLibrary three = NamedMacros(3);
  ASSERT_TRUE(SaveMacros(paths(), three));
  EXPECT_EQ(std::filesystem::file_size(paths().MacrosFile()), 720u);
  LoadMacros(paths(), macros);
  ASSERT_EQ(macros.size(), 3u);
  EXPECT_EQ(BytesOf(*macros[2]), BytesOf(*three[2]));

  const StoreChange<int> change = AddMacro(paths(), macros, u"Macro");
  ASSERT_TRUE(change) << change.result.error;
  EXPECT_EQ(NameView(macros[static_cast<std::size_t>(*change.added)]->name), u"Macro4");
  EXPECT_EQ(std::filesystem::file_size(paths().MacrosFile()), 960u);
}

TEST_F(StoreFilesTest, AFileNamedLikeTheStoreFolderMakesSavesFail) {
  WriteAll(paths().folder, Bytes(3));
  ProfileList profiles;
  auto header = MakeZeroHeader();
  const LoadReport report = LoadProfiles(paths(), profiles, *header, kAddProfileText);
  EXPECT_TRUE(report.file_missing);
  EXPECT_EQ(profiles.size(), 1u);
  const SaveResult saved = SaveProfiles(paths(), profiles, *header);
  EXPECT_FALSE(saved);
  EXPECT_EQ(saved.file, paths().ProfilesFile());
  EXPECT_NE(saved.error.find("pro.data"), std::string::npos) << saved.error;
  EXPECT_FALSE(SaveMacros(paths(), NamedMacros(1)));
  EXPECT_EQ(std::filesystem::file_size(paths().folder), 3u);
}

struct DamagedCase {
  const char* what;
  Bytes bytes;
  std::size_t profiles;  // complete records expected
  int32_t selected;
};

Bytes Truncated(Bytes bytes, std::size_t length) {
  bytes.resize(length);
  return bytes;
}

Bytes WithSlot(Bytes bytes, int record, int slot, std::size_t offset, const void* value,
               std::size_t size) {
  const std::size_t at =
      kStoreHeaderSize + kProfileSize * record + 2464 + sizeof(ButtonSlot) * slot + offset;
  std::memcpy(bytes.data() + at, value, size);
  return bytes;
}

TEST_F(StoreFilesTest, DamagedProfileFilesKeepEveryCompleteRecord) {
  const uint16_t huge_count = 60000;
  const std::u16string unterminated(kProfileNameUnits, u'A');
  const DamagedCase table[] = {
      {"empty", {}, 0, 0},
      {"one byte", Bytes(1, std::byte{7}), 0, 0},
      {"header only", Truncated(StoreBytes(1, 0), kStoreHeaderSize), 0, 0},
      {"partial header", Truncated(StoreBytes(1, 0), 1000), 0, 0},
      {"header and partial record", Truncated(StoreBytes(1, 0), kStoreHeaderSize + 5000), 0, 0},
      {"partial tail", Truncated(StoreBytes(3, 1), kStoreHeaderSize + kProfileSize * 2 + 17), 2, 1},
      {"selection past the end", StoreBytes(2, 2), 2, 0},
      {"negative selection", StoreBytes(2, -1), 2, 0},
      {"huge macro_action_count", WithSlot(StoreBytes(2, 1), 1, 5, 68, &huge_count, 2), 2, 1},
      {"name without terminator",
       [&] {
         Bytes b = StoreBytes(1, 0);
         std::memcpy(b.data() + kStoreHeaderSize, unterminated.data(), 200);
         return b;
       }(),
       1, 0},
  };
  for (const DamagedCase& c : table) {
    SCOPED_TRACE(c.what);
    ProfileList profiles;
    auto header = MakeZeroHeader();
    header->reserved[7] = 0xA5;  // left from an earlier load
    const LoadReport report = ParseProfiles(c.bytes, profiles, *header, kAddProfileText);
    EXPECT_TRUE(report.repaired);
    EXPECT_EQ(header->reserved[7], 0);
    ASSERT_EQ(profiles.size(), std::max<std::size_t>(c.profiles, 1));
    EXPECT_EQ(header->selected_profile, c.selected);
    if (c.profiles == 0) {
      EXPECT_EQ(NameView(profiles[0]->name), u"Profile1");
    }
    for (std::size_t i = 0; i < c.profiles; ++i) {
      EXPECT_EQ(profiles[i]->name[kProfileNameUnits - 1], 0);
      for (const ButtonSlot& slot : profiles[i]->button) EXPECT_LE(slot.macro_action_count, 46);
    }
  }
  ProfileList profiles;
  auto header = MakeZeroHeader();
  ParseProfiles(table[5].bytes, profiles, *header, kAddProfileText);
  EXPECT_EQ(NameView(profiles[1]->name), u"PB");
  EXPECT_EQ(profiles[1]->light_brightness, 1);
  ParseProfiles(table[9].bytes, profiles, *header, kAddProfileText);
  EXPECT_EQ(NameView(profiles[0]->name), std::u16string(99, u'A'));
}

TEST_F(StoreFilesTest, DamagedMacroFilesAreRepaired) {
  Bytes bytes = SerializeMacros(NamedMacros(3));
  const int32_t too_many = 1000;
  const int32_t negative = -5;
  std::memcpy(bytes.data() + 52, &too_many, 4);
  std::memcpy(bytes.data() + 240 + 52, &negative, 4);
  std::fill(bytes.begin() + 480, bytes.begin() + 480 + 48, std::byte{0x42});  // no terminator
  bytes.resize(bytes.size() + 100);                                           // partial tail

  MacroLibrary macros;
  const LoadReport report = ParseMacros(bytes, macros);
  EXPECT_TRUE(report.repaired);
  EXPECT_EQ(report.dropped_bytes, 100u);
  ASSERT_EQ(macros.size(), 3u);
  EXPECT_EQ(macros[0]->action_count, 46);
  EXPECT_EQ(macros[1]->action_count, 0);
  EXPECT_EQ(NameView(macros[2]->name), std::u16string(23, char16_t{0x4242}));
}

TEST_F(StoreFilesTest, TheFirstSaveKeepsADamagedOriginalBesideIt) {
  const Bytes damaged = Truncated(StoreBytes(2, 0), kStoreHeaderSize + kProfileSize + 9);
  WriteProfilesFile(damaged);
  WriteAll(paths().folder / "pro.data.damaged", Bytes(1));  // an older one stays untouched
  ProfileList profiles;
  auto header = MakeZeroHeader();
  LoadProfiles(paths(), profiles, *header, kAddProfileText);
  ASSERT_TRUE(SaveProfiles(paths(), profiles, *header));

  EXPECT_EQ(ReadAll(paths().folder / "pro.data.damaged.1"), damaged);
  EXPECT_EQ(std::filesystem::file_size(paths().folder / "pro.data.damaged"), 1u);
  EXPECT_EQ(std::filesystem::file_size(paths().ProfilesFile()), kStoreHeaderSize + kProfileSize);
  ASSERT_TRUE(SaveProfiles(paths(), profiles, *header));  // a sound file is not kept again
  EXPECT_FALSE(std::filesystem::exists(paths().folder / "pro.data.damaged.2"));

  WriteAll(paths().MacrosFile(), Bytes(241));
  ASSERT_TRUE(SaveMacros(paths(), NamedMacros(1)));
  EXPECT_EQ(ReadAll(paths().folder / "macro.data.damaged").size(), 241u);
}

TEST_F(StoreFilesTest, AnUnreadableStoreIsKeptBeforeTheNewStoreReplacesIt) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
  const Bytes original = StoreBytes(2, 0);
  WriteProfilesFile(original);
  std::filesystem::permissions(paths().ProfilesFile(), std::filesystem::perms::none);
  ProfileList profiles;
  auto header = MakeZeroHeader();
  EXPECT_TRUE(LoadProfiles(paths(), profiles, *header, kAddProfileText).file_missing);
  EXPECT_EQ(profiles.size(), 1u);
  std::filesystem::permissions(paths().folder / "pro.data.damaged",
                               std::filesystem::perms::owner_read);
  EXPECT_EQ(ReadAll(paths().folder / "pro.data.damaged"), original);
}

std::vector<std::filesystem::path> FilesIn(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(StoreFilesTest, ASaveKilledBeforeTheRenameLeavesTheOldFileWhole) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const Bytes original = StoreBytes(2, 1);
  WriteProfilesFile(original);
  EXPECT_EXIT(
      {
        SetBeforeRenameHookForTesting([] { ::_exit(3); });
        (void)SaveProfiles(paths(), NamedProfiles(5), *MakeZeroHeader());
      },
      ::testing::ExitedWithCode(3), "");
  EXPECT_EQ(ReadAll(paths().ProfilesFile()), original);
  ProfileList profiles;
  auto header = MakeZeroHeader();
  EXPECT_FALSE(LoadProfiles(paths(), profiles, *header, kAddProfileText).repaired);
  EXPECT_EQ(profiles.size(), 2u);
}

TEST_F(StoreFilesTest, AFullDiskLeavesTheOldFileAndNoTemporaryFile) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const Bytes original = StoreBytes(1, 0);
  WriteProfilesFile(original);
  const auto save_on_full_disk = [this] {
    // A file-size limit fails the write part-way, as a full disk does.
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit;
    limit.rlim_cur = limit.rlim_max = 100000;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const SaveResult saved = SaveProfiles(paths(), NamedProfiles(4), *MakeZeroHeader());
    ::_exit(!saved && !saved.error.empty() ? 0 : 1);
  };
  EXPECT_EXIT(save_on_full_disk(), ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(ReadAll(paths().ProfilesFile()), original);
  EXPECT_EQ(FilesIn(paths().folder), std::vector<std::filesystem::path>{"pro.data"});
}

TEST_F(StoreFilesTest, ConcurrentSavesAndEditsNeverTearTheFile) {
  ProfileStore store(paths());
  LoadStoreAtStartup(store, kAddProfileText);
  constexpr int kRounds = 40;
  std::atomic<bool> torn = false;
  std::thread editor([&] {
    for (int i = 0; i < kRounds; ++i) {
      {
        auto state = store.Lock();
        AddDefaultProfile(state->profiles, kAddProfileText);
        state->header->selected_profile = static_cast<int32_t>(state->profiles.size()) - 1;
      }
      if (!store.SaveProfiles() || !store.AddMacro(u"Macro")) torn = true;
    }
  });
  std::thread applier([&] {
    for (int i = 0; i < kRounds; ++i) {
      if (!store.SaveProfiles()) torn = true;
      const auto size = std::filesystem::file_size(paths().ProfilesFile());
      if (!IsSoundProfilesSize(size)) torn = true;
    }
  });
  editor.join();
  applier.join();
  EXPECT_FALSE(torn);
  ASSERT_TRUE(store.SaveProfiles());

  ProfileList profiles;
  auto header = MakeZeroHeader();
  EXPECT_FALSE(LoadProfiles(paths(), profiles, *header, kAddProfileText).repaired);
  EXPECT_EQ(profiles.size(), kRounds + 1u);
  EXPECT_EQ(header->selected_profile, kRounds);
  MacroLibrary macros;
  LoadMacros(paths(), macros);
  EXPECT_EQ(macros.size(), static_cast<std::size_t>(kRounds));
  EXPECT_EQ(FilesIn(paths().folder),
            (std::vector<std::filesystem::path>{"macro.data", "pro.data"}));
}

}  // namespace
}  // namespace vexel
