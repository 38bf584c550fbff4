// The store's files on a real folder: the crash-safe writer and the bounded
// readers (links, permission bits, files that are not regular files, size
// caps), the folder beside the program or below the data home, and the store
// lock between processes' open file descriptions, in virtual time.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "store/file_io.h"
#include "store/names.h"
#include "store/store_files.h"
#include "store/store_folder.h"
#include "store/store_lock.h"
#include "temp_folder.h"

namespace vexel {
namespace {

using testing::ReadAll;
using testing::TempFolder;
using testing::WriteAll;

namespace fs = std::filesystem;

mode_t ModeOf(const fs::path& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

std::vector<std::string> NamesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(StoreFileWriterTest, WritesThroughLinksAndKeepsPermissionBits) {
  struct Case {
    const char* what;
    const char* link;  // relative link from "dir/target" to this, or null for a plain file
    mode_t mode;       // of the file that exists before the write; 0: none does
  };
  const Case table[] = {
      {"plain file 0600", nullptr, 0600},
      {"plain file 0640", nullptr, 0640},
      {"link into the same folder", "real.pro", 0600},
      {"link into another folder", "../other/real.pro", 0604},
      {"dangling link", "made.pro", 0},  // creates the file it names
  };
  const Bytes bytes(1000, std::byte{0x5A});
  for (const Case& c : table) {
    SCOPED_TRACE(c.what);
    TempFolder temp;
    fs::create_directories(temp.path() / "dir");
    fs::create_directories(temp.path() / "other");
    const fs::path target = temp.path() / "dir" / "target";
    const fs::path real = c.link ? temp.path() / "dir" / c.link : target;
    if (c.mode != 0) {
      WriteAll(real, Bytes(3));
      fs::permissions(real, static_cast<fs::perms>(c.mode));
    }
    if (c.link) fs::create_symlink(c.link, target);

    const SaveResult saved = WriteFileAtomically(target, bytes);
    ASSERT_TRUE(saved) << saved.error;
    EXPECT_EQ(saved.file, target);
    EXPECT_EQ(fs::is_symlink(target), c.link != nullptr);
    EXPECT_EQ(ReadAll(real), bytes);
    EXPECT_EQ(c.mode != 0 ? ModeOf(real) : 0, c.mode);
    EXPECT_EQ(NamesIn(real.parent_path()).size(),
              c.link && real.parent_path() == target.parent_path() ? 2u : 1u);
  }
}

// Targets and sources that are not regular files: a FIFO must neither block a
// reader nor be replaced, a device must not be read without end.
TEST(StoreFileReaderTest, WhatIsNotARegularFileIsRefusedWithoutBlocking) {
  TempFolder temp;
  const fs::path fifo = temp.path() / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  fs::create_symlink("/dev/zero", temp.path() / "zero");
  fs::create_directory(temp.path() / "folder");
  for (const char* name : {"fifo", "zero", "folder"}) {
    SCOPED_TRACE(name);
    const fs::path path = temp.path() / name;
    for (const FileRead& read :
         {ReadFileBytes(path, kMaxProfilesFileSize), ReadFilePrefix(path, 240)}) {
      EXPECT_EQ(read.failure, ReadFailure::kNotRegularFile);
      EXPECT_NE(read.error.find(path.string()), std::string::npos) << read.error;
      EXPECT_NE(read.error.find("not a regular file"), std::string::npos) << read.error;
    }
    const SaveResult saved = WriteFileAtomically(path, Bytes(4));
    EXPECT_FALSE(saved);
    EXPECT_NE(saved.error.find("not a regular file"), std::string::npos) << saved.error;
  }
  EXPECT_EQ(fs::status(fifo).type(), fs::file_type::fifo);
  EXPECT_EQ(NamesIn(temp.path()), (std::vector<std::string>{"fifo", "folder", "zero"}));
}

// A cap holds files of exactly its size; a prefix is cut to its limit.
TEST(StoreFileReaderTest, CapsAreInclusiveAndPrefixesCut) {
  TempFolder temp;
  for (const std::size_t size : {7u, 8u, 9u}) {
    const fs::path path = temp.path() / std::to_string(size);
    WriteAll(path, Bytes(size));
    const FileRead whole = ReadFileBytes(path, 8);
    EXPECT_EQ(whole.failure, size > 8 ? ReadFailure::kTooLarge : ReadFailure::kNone) << size;
    EXPECT_EQ(whole.bytes.size(), size > 8 ? 0u : size);
    EXPECT_EQ(ReadFilePrefix(path, 8).bytes, Bytes(std::min<std::size_t>(size, 8)));
  }
}

TEST(StoreFileReaderTest, StoreFilesPastTheirCapAreKeptAsDamaged) {
  struct Case {
    const char* file;
    std::size_t cap;
  };
  for (const Case& c :
       {Case{"pro.data", kMaxProfilesFileSize}, Case{"macro.data", kMaxMacrosFileSize}}) {
    SCOPED_TRACE(c.file);
    TempFolder temp;
    const StorePaths paths{temp.path()};
    const fs::path file = temp.path() / c.file;
    WriteAll(file, {});
    fs::resize_file(file, c.cap + 1);  // sparse: no disk space used
    ProfileList profiles;
    MacroLibrary macros;
    auto header = MakeZeroHeader();
    const LoadReport report = c.cap == kMaxProfilesFileSize
                                  ? LoadProfiles(paths, profiles, *header, u"Profile")
                                  : LoadMacros(paths, macros);
    EXPECT_TRUE(report.file_missing);
    EXPECT_NE(report.error.find("larger than"), std::string::npos) << report.error;
    if (c.cap == kMaxMacrosFileSize) {
      ASSERT_TRUE(SaveMacros(paths, macros));
    }
    EXPECT_EQ(fs::file_size(temp.path() / (std::string(c.file) + ".damaged")), c.cap + 1);
    EXPECT_FALSE(fs::exists(temp.path() / (std::string(c.file) + ".damaged.1")));  // kept once
    EXPECT_LT(fs::file_size(file), c.cap);
  }
}

TEST(StoreFileWriterTest, AStoreFileThatIsALinkStaysALink) {
  TempFolder temp;
  const StorePaths paths{temp.path() / "ms_1"};
  fs::create_directories(paths.folder);
  fs::create_directories(temp.path() / "synced");
  WriteAll(temp.path() / "synced" / "pro.data", {});
  fs::create_symlink("../synced/pro.data", paths.ProfilesFile());
  ProfileList profiles;
  auto header = MakeZeroHeader();
  AddDefaultProfile(profiles, u"Profile");
  ASSERT_TRUE(SaveProfiles(paths, profiles, *header));
  EXPECT_TRUE(fs::is_symlink(paths.ProfilesFile()));
  EXPECT_EQ(fs::file_size(temp.path() / "synced" / "pro.data"),
            kStoreHeaderSize + sizeof(ProfileRecord));
  // The empty original was damaged and is kept beside the file it was.
  EXPECT_TRUE(fs::exists(temp.path() / "synced" / "pro.data.damaged"));
}

TEST(StoreFolder, FallsBackToTheDataHomeWhenTheProgramFolderCannotHoldData) {
  TempFolder temp;
  const auto program = temp.path() / "program";
  std::filesystem::create_directories(program);
  testing::WriteAll(program / "Data", {});  // a file where the folder should be
  const std::string xdg = (temp.path() / "xdg").string();
  const std::string home = (temp.path() / "home").string();

  struct Case {
    const char* xdg_data_home;
    const char* home;
    std::filesystem::path expected;
  };
  const Case table[] = {
      {xdg.c_str(), home.c_str(), temp.path() / "xdg/vexel-mouse/Data"},
      {nullptr, home.c_str(), temp.path() / "home/.local/share/vexel-mouse/Data"},
      {"relative/ignored", home.c_str(), temp.path() / "home/.local/share/vexel-mouse/Data"},
      {nullptr, nullptr, {}},
  };
  for (const Case& c : table) {
    const auto folder = ResolveStoreFolder(program, c.xdg_data_home, c.home);
    EXPECT_EQ(folder, c.expected);
    if (!c.expected.empty()) {
      EXPECT_TRUE(std::filesystem::is_directory(folder));
    }
  }
  EXPECT_EQ(ResolveStoreFolder(temp.path() / "writable", nullptr, nullptr),
            temp.path() / "writable/Data");
}

TEST(StoreFolder, AnInstalledCopyKeepsTheStoreAtHomeEvenWhenItCouldWriteItsFolder) {
  TempFolder temp;
  const auto program = temp.path() / "usr/lib/vexel-mouse";
  std::filesystem::create_directories(program);
  testing::WriteAll(program / kInstalledMarker, {});
  const std::string home = (temp.path() / "home").string();
  EXPECT_EQ(ResolveStoreFolder(program, nullptr, home.c_str()),
            temp.path() / "home/.local/share/vexel-mouse/Data");
  EXPECT_FALSE(std::filesystem::exists(program / "Data"));
}

TEST(StoreLockTest, ARefusedCallerNamesTheHolderAndWaitsOnlyForOtherWriters) {
  struct Case {
    std::string_view holder;
    StoreLock::State state;
    bool waits;
  };
  const Case table[] = {
      {kProgramName, StoreLock::State::kHeldByProgram, false},
      {kToolName, StoreLock::State::kBusy, true},
  };
  for (const Case& c : table) {
    SCOPED_TRACE(c.holder);
    TempFolder temp;
    StoreLock holder = StoreLock::TryAcquire(temp.path(), c.holder);
    ASSERT_TRUE(holder.held()) << holder.error();
    ManualClock clock;
    StoreLock refused = StoreLock::Acquire(temp.path(), kToolName, clock, Clock::Ms(2000));
    EXPECT_EQ(refused.state(), c.state);
    EXPECT_EQ(clock.Now() >= Clock::Ms(2000), c.waits);
    const std::string named =
        "in use by " + std::string(c.holder) + " (pid " + std::to_string(::getpid()) + ")";
    EXPECT_NE(refused.error().find(named), std::string::npos) << refused.error();
    { const StoreLock gone = std::move(holder); }  // the last owner frees the store
    EXPECT_FALSE(ReadStoreLockHolder(temp.path()));
    EXPECT_TRUE(StoreLock::Acquire(temp.path(), kToolName, clock, Clock::Ms(2000)).held());
  }
}

TEST(StoreLockTest, TakingTheLockRemovesOnlyTheWritersStaleTemporaryFiles) {
  TempFolder temp;
  const char* stale[] = {"pro.data.tmp-AbC123", "macro.data.tmp-x9Y8z7"};
  const char* kept[] = {"pro.data", "pro.data.tmp-AbC1234", "other.tmp-abcdef", "pro.data.damaged",
                        "macro.data.tmp-ab.de"};
  for (const char* name : stale) WriteAll(temp.path() / name, Bytes(1));
  for (const char* name : kept) WriteAll(temp.path() / name, Bytes(1));
  StoreLock lock = StoreLock::AcquireForProgram(temp.path());
  ASSERT_TRUE(lock.held());
  for (const char* name : stale) EXPECT_FALSE(std::filesystem::exists(temp.path() / name)) << name;
  for (const char* name : kept) EXPECT_TRUE(std::filesystem::exists(temp.path() / name)) << name;
  const auto holder = ReadStoreLockHolder(temp.path());
  ASSERT_TRUE(holder);
  EXPECT_EQ(holder->program, kProgramName);
  EXPECT_EQ(holder->pid, ::getpid());
}

}  // namespace
}  // namespace vexel
