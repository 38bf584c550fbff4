// vexelctl's store writers as real processes: parallel writers, a running
// program holding the store, kills at random points.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "../support/run_command.h"
#include "store/names.h"
#include "store/record_files.h"
#include "store/store_files.h"
#include "store/store_lock.h"
#include "store/utf16_name.h"
#include "temp_folder.h"

namespace vexel {
namespace {

namespace fs = std::filesystem;
using testing::ReadAll;
using testing::ShellQuote;
using testing::TempFolder;

// Starts vexelctl with its output in `log`; the caller waits for or kills it.
// `rename_pause_ms` widens the moments before each rename of a store file.
pid_t Spawn(std::vector<std::string> args, const fs::path& log, int rename_pause_ms = 0) {
  args.insert(args.begin(), testing::Vexelctl());
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (rename_pause_ms > 0) {
      ::setenv("VEXEL_TEST_RENAME_PAUSE_MS", std::to_string(rename_pause_ms).c_str(), 1);
    }
    const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(fd, 1);
    ::dup2(fd, 2);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  return pid;
}

int ExitCode(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class VexelctlStoreWritersTest : public ::testing::Test {
 protected:
  // A store of `profiles` profiles and two macros, and "g.pro": a profile
  // with slots 3 and 5 bound to those macros.
  void MakeStore(int profiles) {
    ProfileList list;
    for (int i = 0; i < profiles; ++i) AddDefaultProfile(list, u"Profile");
    MacroLibrary macros;
    AppendNewMacro(macros, u"Macro");
    AppendNewMacro(macros, u"Macro");
    for (int slot : {3, 5}) {
      list[0]->button[slot].function_code = kFunctionMacro;
      BindMacroCopy(list[0]->button[slot], *macros[slot == 3 ? 0 : 1], slot == 3 ? 0 : 1);
    }
    ASSERT_TRUE(SaveProfiles(paths_, list, *MakeZeroHeader()));
    ASSERT_TRUE(SaveMacros(paths_, macros));
    ASSERT_TRUE(WriteProfileFile(Import(), *list[0], paths_));
  }
  fs::path Import() const { return temp_.path() / "g.pro"; }
  std::vector<std::string> ImportArgs() const {
    return {"import-profile", Import().string(), "--data", paths_.folder.string()};
  }

  struct Loaded {
    ProfileList profiles;
    MacroLibrary macros;
  };
  // Loads the store and checks it is sound and every macro-bound slot names a
  // macro that the library holds at the slot's position.
  Loaded ExpectSoundStore() {
    Loaded store;
    auto header = MakeZeroHeader();
    EXPECT_FALSE(LoadProfiles(paths_, store.profiles, *header, u"P", {false}).repaired);
    EXPECT_FALSE(LoadMacros(paths_, store.macros).repaired);
    for (const auto& profile : store.profiles) {
      for (int k = 0; k < kUsedButtonCount; ++k) {
        const ButtonSlot& slot = profile->button[k];
        if (slot.function_code != kFunctionMacro) continue;
        EXPECT_EQ(FindMacroByName(store.macros, NameView(slot.macro_name)), slot.macro_index)
            << Utf16ToUtf8(NameView(profile->name)) << " slot " << k;
      }
    }
    return store;
  }

  TempFolder temp_;
  StorePaths paths_{temp_.path() / "ms_1"};
};

TEST_F(VexelctlStoreWritersTest, ParallelImportsLoseNothing) {
  MakeStore(1);
  constexpr int kWriters = 4;
  constexpr int kRounds = 5;
  for (int round = 0; round < kRounds; ++round) {
    std::vector<pid_t> writers;
    for (int w = 0; w < kWriters; ++w) {
      writers.push_back(Spawn(ImportArgs(), temp_.path() / ("log" + std::to_string(w))));
    }
    for (int w = 0; w < kWriters; ++w) {
      const Bytes log = ReadAll(temp_.path() / ("log" + std::to_string(w)));
      EXPECT_EQ(ExitCode(writers[w]), 0)
          << std::string(reinterpret_cast<const char*>(log.data()), log.size());
    }
  }
  const Loaded store = ExpectSoundStore();
  EXPECT_EQ(store.profiles.size(), 1u + kWriters * kRounds);
  EXPECT_EQ(store.macros.size(), 2u + 2 * kWriters * kRounds);
}

TEST_F(VexelctlStoreWritersTest, WritersAreRefusedWhileTheProgramHoldsTheStore) {
  MakeStore(1);
  fs::path macro_file = temp_.path() / "m.macro";
  ASSERT_TRUE(WriteMacroFile(macro_file, *MakeZeroMacro(), paths_));
  const Bytes profiles_before = ReadAll(paths_.ProfilesFile());
  const Bytes macros_before = ReadAll(paths_.MacrosFile());
  StoreLock program = StoreLock::AcquireForProgram(paths_.folder);
  ASSERT_TRUE(program.held());
  const std::string data = " --data " + ShellQuote(paths_.folder.string());
  const std::string named = "in use by vexel-mouse (pid " + std::to_string(::getpid()) + ")";
  for (const std::string& command : {"import-profile " + ShellQuote(Import().string()) + data,
                                     "import-macro " + ShellQuote(macro_file.string()) + data}) {
    SCOPED_TRACE(command);
    const auto run = testing::RunCommand(testing::Vexelctl() + " " + command);
    EXPECT_EQ(run.exit_code, 2);
    EXPECT_NE(run.err.find(named), std::string::npos) << run.err;
    EXPECT_EQ(testing::Lines(run.err).size(), 1u) << run.err;
  }
  EXPECT_EQ(testing::RunCommand(testing::Vexelctl() + " profiles" + data).exit_code, 0);
  EXPECT_EQ(ReadAll(paths_.ProfilesFile()), profiles_before);
  EXPECT_EQ(ReadAll(paths_.MacrosFile()), macros_before);
}

TEST_F(VexelctlStoreWritersTest, KillsDuringImportsNeverLeaveAProfileNamingAMissingMacro) {
  MakeStore(1);
  // With a pause before each of the two renames, a kill at a random moment of
  // an import often lands between them.
  constexpr int kPauseMs = 20;
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(ExitCode(Spawn(ImportArgs(), temp_.path() / "log", kPauseMs)), 0);
  const auto one_import = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - start);
  std::mt19937 random(20261207);
  std::uniform_int_distribution<long> delay(0, one_import.count());
  for (int round = 0; round < 30; ++round) {
    SCOPED_TRACE(round);
    const pid_t pid = Spawn(ImportArgs(), temp_.path() / "log", kPauseMs);
    std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
    ::kill(pid, SIGKILL);
    ExitCode(pid);
    ExpectSoundStore();
    StoreLock next = StoreLock::TryAcquire(paths_.folder, "test");
    ASSERT_TRUE(next.held()) << next.error();
    for (const auto& entry : fs::directory_iterator(paths_.folder)) {
      const std::string name = entry.path().filename();
      EXPECT_TRUE(name == "pro.data" || name == "macro.data" || name == kStoreLockFileName) << name;
    }
  }
}

}  // namespace
}  // namespace vexel
