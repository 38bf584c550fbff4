// The store's files on a real folder: the crash-safe writer and the bounded
// readers (links, permission bits, files that are not regular files, size
// caps), the folder beside the program or below the data home, and the store
// lock between processes' open file descriptions, in virtual time.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "store/file_io.h"
#include "store/store_lock.h"
#include "store_test_helpers.h"

namespace vexel::testing {
namespace {

namespace fs = std::filesystem;

mode_t ModeOf(const fs::path& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

// A link from "dir/target" (or none: a plain file), and the permission bits of
// the file there before the write (0: none is).
TEST(StoreFileWriterTest, WritesThroughLinksAndKeepsPermissionBits) {
  const std::pair<const char*, mode_t> table[] = {
      {nullptr, 0600}, {nullptr, 0640}, {"real.pro", 0600}, {"../other/real.pro", 0604},
      {"made.pro", 0},  // a dangling link: the write creates the file it names
  };
  for (const auto& [link, mode] : table) {
    SCOPED_TRACE(link ? link : "plain");
    TempFolder temp;
    fs::create_directories(temp.path() / "dir");
    fs::create_directories(temp.path() / "other");
    const fs::path target = temp.path() / "dir" / "target";
    const fs::path real = link ? temp.path() / "dir" / link : target;
    if (mode != 0) {
      WriteAll(real, Bytes(3));
      fs::permissions(real, static_cast<fs::perms>(mode));
    }
    if (link) fs::create_symlink(link, target);
    const SaveResult saved = WriteFileAtomically(target, Bytes(1000, std::byte{0x5A}));
    ASSERT_TRUE(saved) << saved.error;
    EXPECT_EQ(saved.file, target);
    EXPECT_EQ(fs::is_symlink(target), link != nullptr);
    EXPECT_EQ(ReadAll(real), Bytes(1000, std::byte{0x5A}));
    EXPECT_EQ(mode != 0 ? ModeOf(real) : 0, mode);
    EXPECT_EQ(FilesIn(real.parent_path()).size(),
              link && real.parent_path() == target.parent_path() ? 2u : 1u);
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
      EXPECT_NE(read.error.find(path.string() + " is "), std::string::npos) << read.error;
      EXPECT_NE(read.error.find("not a regular file"), std::string::npos) << read.error;
    }
    const SaveResult saved = WriteFileAtomically(path, Bytes(4));
    EXPECT_NE(saved.error.find("not a regular file"), std::string::npos) << saved.error;
  }
  EXPECT_EQ(fs::status(fifo).type(), fs::file_type::fifo);
  EXPECT_EQ(FilesIn(temp.path()), (std::vector<std::string>{"fifo", "folder", "zero"}));
}

// A cap holds files of exactly its size; a prefix is cut to its limit.
TEST(StoreFileReaderTest, CapsAreInclusiveAndPrefixesCut) {
  TempFolder temp;
  for (const std::size_t size : {8u, 9u}) {
    WriteAll(temp / "file", Bytes(size));
    EXPECT_EQ(ReadFileBytes(temp / "file", 8).bytes.size(), size > 8 ? 0u : size);
    EXPECT_EQ(ReadFilePrefix(temp / "file", 8).bytes, Bytes(8));
  }
}

// A load refuses it, keeps it aside once, and a new store takes its place.
TEST(StoreFileReaderTest, AStoreFilePastItsCapIsKeptAsDamaged) {
  TempFolder temp;
  WriteAll(temp / "pro.data", {});
  fs::resize_file(temp / "pro.data", kMaxProfilesFileSize + 1);  // sparse: no disk space used
  const LoadedStore loaded = Load(StorePaths{temp.path()});
  EXPECT_TRUE(loaded.report.file_missing);
  EXPECT_NE(loaded.report.error.find("larger than"), std::string::npos) << loaded.report.error;
  EXPECT_EQ(fs::file_size(temp / "pro.data.damaged"), kMaxProfilesFileSize + 1);
  EXPECT_EQ(FilesIn(temp.path()), (std::vector<std::string>{"pro.data", "pro.data.damaged"}));
  EXPECT_LT(fs::file_size(temp / "pro.data"), kMaxProfilesFileSize);
}

TEST(StoreFolder, BesideTheProgramElseBelowTheDataHome) {
  TempFolder temp;
  for (const char* program : {"blocked", "installed", "writable"}) {
    fs::create_directories(temp.path() / program);
  }
  WriteAll(temp.path() / "blocked" / "Data", {});  // a file where the folder should be
  WriteAll(temp.path() / "installed" / kInstalledMarker, {});
  const std::string xdg = temp / "xdg", home = temp / "home";
  const fs::path data_home = temp.path() / "home/.local/share/vexel-mouse/Data";
  struct Case {
    const char* program;
    const char* xdg_data_home;
    const char* home;
    fs::path expected;
  };
  const Case table[] = {
      {"blocked", xdg.c_str(), home.c_str(), temp.path() / "xdg/vexel-mouse/Data"},
      {"blocked", nullptr, home.c_str(), data_home},
      {"blocked", "relative/ignored", home.c_str(), data_home},
      {"blocked", nullptr, nullptr, {}},
      {"writable", nullptr, nullptr, temp.path() / "writable/Data"},
      // An installed copy keeps the store at home even when it could write its folder.
      {"installed", nullptr, home.c_str(), data_home},
  };
  for (const Case& c : table) {
    const auto folder = ResolveStoreFolder(temp.path() / c.program, c.xdg_data_home, c.home);
    EXPECT_EQ(folder, c.expected);
    EXPECT_EQ(fs::is_directory(folder), !c.expected.empty());
  }
  EXPECT_FALSE(fs::exists(temp.path() / "installed" / "Data"));
}

TEST(StoreLockTest, ARefusedCallerNamesTheHolderAndWaitsOnlyForOtherWriters) {
  for (const auto& [holder_name, waits] :
       {std::pair{kProgramName, false}, std::pair{kToolName, true}}) {
    SCOPED_TRACE(holder_name);
    TempFolder temp;
    StoreLock holder = StoreLock::TryAcquire(temp.path(), holder_name);
    ASSERT_TRUE(holder.held()) << holder.error();
    ManualClock clock;
    StoreLock refused = StoreLock::Acquire(temp.path(), kToolName, clock, Clock::Ms(2000));
    EXPECT_EQ(refused.state(), waits ? StoreLock::State::kBusy : StoreLock::State::kHeldByProgram);
    EXPECT_EQ(clock.Now() >= Clock::Ms(2000), waits);
    const std::string named =
        "in use by " + std::string(holder_name) + " (pid " + std::to_string(::getpid()) + ")";
    EXPECT_NE(refused.error().find(named), std::string::npos) << refused.error();
    { const StoreLock gone = std::move(holder); }  // the last owner frees the store
    EXPECT_FALSE(ReadStoreLockHolder(temp.path()));
    EXPECT_TRUE(StoreLock::Acquire(temp.path(), kToolName, clock, Clock::Ms(2000)).held());
  }
}

TEST(StoreLockTest, TheHolderIsReadFromAnyLockFileText) {
  TempFolder temp;
  const struct {
    const char* text;
    const char* program;  // nullptr: no holder
    long pid;
  } rows[] = {
      {"vexel-mouse 42\n", "vexel-mouse", 42},
      {" \tvexelctl\n+7 and more", "vexelctl", 7},
      {"x 12abc", "x", 12},
      {"vexel-mouse", nullptr, 0},
      {"vexel-mouse 0", nullptr, 0},
      {"vexel-mouse -3", nullptr, 0},
      {"vexel-mouse pid", nullptr, 0},
      {"vexel-mouse 99999999999999999999", nullptr, 0},
      {" \n", nullptr, 0},
  };
  for (const auto& row : rows) {
    std::ofstream(temp.path() / kStoreLockFileName) << row.text;
    const auto holder = ReadStoreLockHolder(temp.path());
    ASSERT_EQ(holder.has_value(), row.program != nullptr) << row.text;
    if (holder) {
      EXPECT_EQ(std::pair(holder->program, holder->pid),
                std::pair(std::string(row.program), row.pid));
    }
  }
}

TEST(StoreLockTest, TakingTheLockRemovesOnlyTheWritersStaleTemporaryFiles) {
  TempFolder temp;
  for (const char* name : {"pro.data.tmp-AbC123", "macro.data.tmp-x9Y8z7", "pro.data",
                           "pro.data.tmp-AbC1234", "other.tmp-abcdef", "macro.data.tmp-ab.de"}) {
    WriteAll(temp.path() / name, Bytes(1));
  }
  StoreLock lock = StoreLock::AcquireForProgram(temp.path());
  ASSERT_TRUE(lock.held());
  EXPECT_EQ(FilesIn(temp.path()),
            (std::vector<std::string>{"macro.data.tmp-ab.de", "other.tmp-abcdef", "pro.data",
                                      "pro.data.tmp-AbC1234", std::string(kStoreLockFileName)}));
}

}  // namespace
}  // namespace vexel::testing
