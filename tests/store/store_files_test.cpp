// pro.data and macro.data on a real folder: first start, round trips, damaged
// files, interrupted and failing saves, concurrent saves, and the writer
// thread's order, coalescing, failures and teardown.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <cstring>
#include <future>
#include <thread>

#include "store/store_writer.h"
#include "store/utf16_name.h"
#include "store_test_helpers.h"

namespace vexel::testing {
namespace {

namespace fs = std::filesystem;
constexpr std::size_t kProfileSize = sizeof(ProfileRecord);

// Profiles "PA", "PB", ... told apart by their brightness; cut to `length`.
Bytes StoreBytes(int profile_count, int32_t selected, std::size_t length = 0) {
  ProfileList profiles;
  for (int i = 0; i < profile_count; ++i) {
    SetName(AddDefaultProfile(profiles, u"P").name, u"P" + std::u16string(1, u'A' + i));
    profiles.back()->light_brightness = i;
  }
  auto header = MakeZeroHeader();
  header->selected_profile = selected;
  Bytes bytes = SerializeProfiles(profiles, *header);
  if (length != 0) bytes.resize(length);
  return bytes;
}

class StoreFilesTest : public ::testing::Test {
 protected:
  StoreFilesTest() { fs::create_directories(paths.folder); }
  TempFolder temp_;
  const StorePaths paths{temp_.path() / "ms_1"};
  ProfileStore store{paths};
};

TEST_F(StoreFilesTest, FirstStartMakesTheFoldersAndOneDefaultProfileALaterOneEditsTheSelection) {
  const auto data = ResolveStoreFolder(temp_.path() / "program", nullptr, nullptr);
  ASSERT_EQ(data, temp_.path() / "program" / "Data");
  ProfileStore first(StorePaths{data / "ms_1"});
  const StartupStore startup = LoadStoreAtStartup(first, u"Profile");
  EXPECT_TRUE(startup.full_apply_pending && startup.profiles.file_missing);
  ProfileList expected;
  AddDefaultProfile(expected, u"Profile");
  EXPECT_EQ(ReadAll(data / "ms_1" / "pro.data"), SerializeProfiles(expected, *MakeZeroHeader()));
  EXPECT_EQ(FilesIn(data / "ms_1"), std::vector<std::string>{"pro.data"});
  EXPECT_EQ(BytesOf(*startup.last_applied), BytesOf(*expected[0]));

  WriteAll(paths.ProfilesFile(), StoreBytes(3, 2));
  const StartupStore later = LoadStoreAtStartup(store, u"Profile");
  EXPECT_EQ(later.selected_profile, 2);
  EXPECT_EQ(NameView(store.Lock()->EditedProfile()->name), u"PC");
  EXPECT_EQ(BytesOf(*later.last_applied), BytesOf(*store.Lock()->profiles[2]));
}

TEST_F(StoreFilesTest, HeaderAndRecordsAreWrittenBackAsRead) {
  Bytes original = StoreBytes(2, 1);
  for (std::size_t i = 4; i < kStoreHeaderSize; i += 997) original[i] = std::byte{0xA5};
  original[kStoreHeaderSize + 2216] = std::byte{0x33};  // reserved bytes inside a record
  WriteAll(paths.ProfilesFile(), original);
  const LoadedStore loaded = Load(paths);
  EXPECT_FALSE(loaded.report.repaired);
  ASSERT_TRUE(SaveProfiles(paths, loaded.profiles, *loaded.header));
  EXPECT_EQ(ReadAll(paths.ProfilesFile()), original);
}

TEST_F(StoreFilesTest, DamagedProfileFilesKeepEveryCompleteRecord) {
  // macro_action_count of button 5 in the second record.
  const std::size_t count_at = kStoreHeaderSize + kProfileSize + 2464 + sizeof(ButtonSlot) * 5 + 68;
  // What, bytes, complete records expected, selection expected.
  const std::tuple<const char*, Bytes, std::size_t, int32_t> table[] = {
      {"empty", {}, 0, 0},
      {"one byte", Bytes(1, std::byte{7}), 0, 0},
      {"header only", StoreBytes(1, 0, kStoreHeaderSize), 0, 0},
      {"partial header", StoreBytes(1, 0, 1000), 0, 0},
      {"header and partial record", StoreBytes(1, 0, kStoreHeaderSize + 5000), 0, 0},
      {"partial tail", StoreBytes(3, 1, kStoreHeaderSize + kProfileSize * 2 + 17), 2, 1},
      {"selection past the end", StoreBytes(2, 2), 2, 0},
      {"negative selection", StoreBytes(2, -1), 2, 0},
      {"huge macro_action_count", Patched(StoreBytes(2, 1), count_at, uint16_t{60000}), 2, 1},
      {"name without terminator", Patched(StoreBytes(1, 0), kStoreHeaderSize, u'A', 100), 1, 0},
  };
  for (const auto& [what, bytes, profiles, selected] : table) {
    SCOPED_TRACE(what);
    LoadedStore loaded;
    auto& last = loaded.header->reserved[sizeof(loaded.header->reserved) - 1];
    loaded.header->reserved[7] = last = 0xA5;  // left from an earlier load
    loaded.report = ParseProfiles(bytes, loaded.profiles, *loaded.header, u"Profile");
    EXPECT_TRUE(loaded.report.repaired);
    EXPECT_EQ(loaded.header->reserved[7] | last, 0);
    ASSERT_EQ(loaded.profiles.size(), std::max<std::size_t>(profiles, 1));
    EXPECT_EQ(loaded.header->selected_profile, selected);
    if (profiles == 0) {
      EXPECT_EQ(NameView(loaded.profiles[0]->name), u"Profile1");
    }
    for (std::size_t i = 0; i < profiles; ++i) {
      EXPECT_EQ(loaded.profiles[i]->name[kProfileNameUnits - 1], 0);
      for (const ButtonSlot& slot : loaded.profiles[i]->button) {
        EXPECT_LE(slot.macro_action_count, 46);
      }
    }
  }
  const LoadedStore tail = Parse(std::get<1>(table[5]));
  EXPECT_EQ(NameView(tail.profiles[1]->name), u"PB");
  EXPECT_EQ(tail.profiles[1]->light_brightness, 1);
  EXPECT_EQ(NameView(Parse(std::get<1>(table[9])).profiles[0]->name), std::u16string(99, u'A'));
}

TEST_F(StoreFilesTest, DamagedMacroFilesAreRepairedAnEmptyOneIsSound) {
  MacroLibrary macros = Macros(1);
  EXPECT_FALSE(ParseMacros({}, macros).repaired);
  EXPECT_TRUE(macros.empty());
  // Counts of 1000 and -5, a name without terminator, a partial tail.
  Bytes bytes = Patched(Patched(SerializeMacros(Macros(3)), 52, int32_t{1000}), 292, int32_t{-5});
  bytes = Patched(bytes, 480, std::byte{0x42}, 48);
  bytes.resize(bytes.size() + 100);
  const LoadReport report = ParseMacros(bytes, macros);
  EXPECT_TRUE(report.repaired);
  EXPECT_EQ(report.dropped_bytes, 100u);
  ASSERT_EQ(macros.size(), 3u);
  EXPECT_EQ(macros[0]->action_count, 46);
  EXPECT_EQ(macros[1]->action_count, 0);
  EXPECT_EQ(NameView(macros[2]->name), std::u16string(23, char16_t{0x4242}));
}

TEST_F(StoreFilesTest, TheFirstSaveKeepsADamagedOriginalBesideIt) {
  const Bytes damaged = StoreBytes(2, 0, kStoreHeaderSize + kProfileSize + 9);
  WriteAll(paths.ProfilesFile(), damaged);
  WriteAll(paths.folder / "pro.data.damaged", Bytes(1));  // an older one stays untouched
  const LoadedStore loaded = Load(paths);
  ASSERT_TRUE(SaveProfiles(paths, loaded.profiles, *loaded.header));
  EXPECT_EQ(ReadAll(paths.folder / "pro.data.damaged.1"), damaged);
  EXPECT_EQ(fs::file_size(paths.folder / "pro.data.damaged"), 1u);
  EXPECT_EQ(fs::file_size(paths.ProfilesFile()), kStoreHeaderSize + kProfileSize);
  ASSERT_TRUE(
      SaveProfiles(paths, loaded.profiles, *loaded.header));  // a sound file is not kept again
  EXPECT_FALSE(fs::exists(paths.folder / "pro.data.damaged.2"));

  WriteAll(paths.MacrosFile(), Bytes(241));
  ASSERT_TRUE(SaveMacros(paths, Macros(1)));
  EXPECT_EQ(ReadAll(paths.folder / "macro.data.damaged").size(), 241u);
}

TEST_F(StoreFilesTest, ASaveKilledOrFailingPartWayLeavesTheOldFileWhole) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const Bytes original = StoreBytes(2, 1);
  WriteAll(paths.ProfilesFile(), original);
  EXPECT_EXIT(
      {
        SetBeforeRenameHookForTesting([] { ::_exit(3); });
        (void)SaveProfiles(paths, Parse(StoreBytes(5, 0)).profiles, *MakeZeroHeader());
      },
      ::testing::ExitedWithCode(3), "");
  const auto save_on_full_disk = [this] {
    // A file-size limit fails the write part-way, as a full disk does.
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{100000, 100000};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const SaveResult saved =
        SaveProfiles(paths, Parse(StoreBytes(4, 0)).profiles, *MakeZeroHeader());
    ::_exit(!saved && !saved.error.empty() ? 0 : 1);
  };
  EXPECT_EXIT(save_on_full_disk(), ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(ReadAll(paths.ProfilesFile()), original);
  EXPECT_FALSE(Load(paths).report.repaired);
  EXPECT_EQ(FilesIn(paths.folder), std::vector<std::string>{"pro.data"});
}

TEST_F(StoreFilesTest, ConcurrentSavesAndEditsNeverTearTheFile) {
  LoadStoreAtStartup(store, u"Profile");
  constexpr int kRounds = 40;
  std::atomic<bool> torn = false;
  std::thread editor([&] {
    for (int i = 1; i <= kRounds; ++i) {
      AddDefaultProfile(store.Lock()->profiles, u"Profile");
      store.Lock()->header->selected_profile = i;
      if (!store.SaveProfiles() || !store.AddMacro(u"Macro")) torn = true;
    }
  });
  for (int i = 0; i < kRounds; ++i) {
    if (!store.SaveProfiles() || !IsSoundProfilesSize(fs::file_size(paths.ProfilesFile()))) {
      torn = true;
    }
  }
  editor.join();
  EXPECT_FALSE(torn);
  ASSERT_TRUE(store.SaveProfiles());
  const LoadedStore loaded = Load(paths);
  EXPECT_FALSE(loaded.report.repaired);
  EXPECT_EQ(loaded.profiles.size(), kRounds + 1u);
  EXPECT_EQ(loaded.header->selected_profile, kRounds);
  EXPECT_EQ(loaded.macros.size(), static_cast<std::size_t>(kRounds));
  EXPECT_EQ(FilesIn(paths.folder), (std::vector<std::string>{"macro.data", "pro.data"}));
}

// Records every write as 'P' (pro.data) or 'M' (macro.data), a failed one with
// its error in brackets. The writer thread waits in each report until `open` is
// set, so that a test can queue a burst behind a write under way.
struct WriteLog {
  void Report(const SaveResult& result) {
    {
      std::lock_guard lock(mutex);
      writes += result.file.filename() == "pro.data" ? "P" : "M";
      if (!result) writes += "(" + result.error + ")";
      if (!std::exchange(reported, true)) entered.set_value();
    }
    opened.wait();
  }
  std::string Writes() {
    std::lock_guard lock(mutex);
    return writes;
  }
  std::mutex mutex;
  std::string writes;
  bool reported = false;
  std::promise<void> entered, open;
  std::shared_future<void> opened = open.get_future().share();
};

class StoreWriterTest : public StoreFilesTest {
 protected:
  StoreWriterTest() { (void)LoadStoreAtStartup(store, u"Profile"); }

  void SetStage(int stage) { store.Lock()->EditedProfile()->dpi_stage_current = stage; }
  int StoredStage() { return Load(store.paths(), {false}).profiles[0]->dpi_stage_current; }
  std::unique_ptr<StoreWriter> MakeWriter(WriteLog& log) {
    return std::make_unique<StoreWriter>(store, [&log](const SaveResult& r) { log.Report(r); });
  }
};

// A burst queued while the first pro.data write is under way: 'P' and 'M'
// queue a file ('P' after an edit), 'S' is the apply worker's synchronous save
// of a newer edit, 'T' destroys the writer instead of flushing it. Then every
// write of the writer, in order.
TEST_F(StoreWriterTest, KeepsTheOrderAndCoalescesWhatWaits) {
  const std::pair<std::string, std::string> cases[] = {
      {"PPPP", "PP"},  // a burst is one write
      {"MP", "PMP"},
      {"PMP", "PMP"},  // the newer pro.data goes after the macro.data asked before it
      {"MPM", "PPM"},
      {"PT", "PP"},  // teardown writes what is still queued
      {"PS", "PP"},  // an older queued copy never replaces a newer save
  };
  for (const auto& [burst, writes] : cases) {
    SCOPED_TRACE(burst);
    WriteLog log;
    auto writer = MakeWriter(log);
    int stage = 0;
    SetStage(stage);
    writer->Queue(StoreFile::kProfiles);
    log.entered.get_future().wait();
    for (const char request : burst) {
      if (request == 'P' || request == 'S') SetStage(++stage);
      ASSERT_TRUE(request != 'S' || store.SaveProfiles());
      if (request == 'P' || request == 'M') {
        writer->Queue(request == 'P' ? StoreFile::kProfiles : StoreFile::kMacros);
      }
    }
    log.open.set_value();
    burst.ends_with('T') ? writer.reset() : writer->Flush();
    EXPECT_EQ(log.Writes(), writes);
    EXPECT_EQ(StoredStage(), stage) << "the latest content is on disk";
  }
}

TEST_F(StoreWriterTest, AFailedWriteIsReportedAndTheNextOneSucceeds) {
  WriteLog log;
  log.open.set_value();
  auto writer = MakeWriter(log);
  const std::filesystem::path file = store.paths().ProfilesFile();
  // A directory where pro.data belongs: no save can replace it, root or not.
  std::filesystem::remove(file);
  std::filesystem::create_directories(file / "blocker");
  SetStage(4);
  writer->Queue(StoreFile::kProfiles);
  writer->Flush();
  EXPECT_NE(log.Writes().find(file.string()), std::string::npos) << log.Writes();
  std::filesystem::remove_all(file);
  writer->Queue(StoreFile::kProfiles);
  writer->Flush();
  EXPECT_EQ(log.Writes().back(), 'P');
  EXPECT_EQ(StoredStage(), 4);
}

}  // namespace
}  // namespace vexel::testing
