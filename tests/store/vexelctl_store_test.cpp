// vexelctl's store commands as real processes on a temporary store: listing,
// export and import, refusals, parallel writers, a running program holding the
// store, kills at random points.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
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

class VexelctlStoreTest : public ::testing::Test {
 protected:
  std::string Data() const { return " --data " + ShellQuote(paths_.folder.string()); }
  std::string Path(const char* name) const { return ShellQuote((temp_.path() / name).string()); }
  static testing::CommandResult Vexelctl(const std::string& arguments) {
    // The time-out only turns a regression (a blocked reader) into a failure.
    return testing::RunCommand("timeout 60 " + testing::Vexelctl() + " " + arguments);
  }

  // Profiles "Profile1" and "Gaming" (selected; slots 3 and 5 bound to the two
  // macros), macros "Burst..." and "Macro2", and "g.pro", a copy of Gaming.
  void MakeStore() {
    ProfileList profiles;
    AddDefaultProfile(profiles, u"Profile");
    ProfileRecord& gaming = AddDefaultProfile(profiles, u"Profile");
    SetName(gaming.name, u"Gaming");
    MacroLibrary macros;
    MacroRecord& burst = AppendNewMacro(macros, u"Macro");
    SetName(burst.name, u"Burst \"x\"\\\n\u00E9");
    burst.action_count = 2;
    burst.actions[0] = {4, kActionPress, 30};
    burst.actions[1] = {4, kActionRelease, 65535};
    AppendNewMacro(macros, u"Macro");
    for (int slot : {3, 5}) {
      gaming.button[slot].function_code = kFunctionMacro;
      BindMacroCopy(gaming.button[slot], *macros[slot == 3 ? 0 : 1], slot == 3 ? 0 : 1);
    }
    auto header = MakeZeroHeader();
    header->selected_profile = 1;
    ASSERT_TRUE(SaveProfiles(paths_, profiles, *header));
    ASSERT_TRUE(SaveMacros(paths_, macros));
    ASSERT_TRUE(WriteProfileFile(Import(), gaming, paths_));
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
  StorePaths paths_{temp_.path() / "Data"};
};

TEST_F(VexelctlStoreTest, ListsProfilesAndMacrosAsJson) {
  // An empty folder lists the default store without writing it.
  fs::create_directories(paths_.folder);
  const testing::CommandResult first = Vexelctl("profiles" + Data());
  EXPECT_EQ(first.exit_code, 0) << first.err;
  EXPECT_NE(first.out.find("{\"selected\": 0, \"profiles\": [{\"name\": \""), std::string::npos);
  EXPECT_TRUE(fs::is_empty(paths_.folder));

  MakeStore();
  const testing::CommandResult profiles = Vexelctl("profiles" + Data());
  EXPECT_EQ(profiles.exit_code, 0) << profiles.err;
  EXPECT_EQ(profiles.out,
            "{\"selected\": 1, \"profiles\": [{\"name\": \"Profile1\"}, "
            "{\"name\": \"Gaming\"}]}\n");
  const testing::CommandResult macros = Vexelctl("macros" + Data());
  EXPECT_EQ(macros.exit_code, 0) << macros.err;
  EXPECT_EQ(
      macros.out,
      "{\"macros\": [{\"name\": \"Burst \\\"x\\\"\\\\\\n\xC3\xA9\", \"actions\": [[4, 1, 30], "
      "[4, 2, 65535]]}, {\"name\": \"Macro2\", \"actions\": []}]}\n");
}

TEST_F(VexelctlStoreTest, ExportThenImportAddsSuffixedProfileAndMacros) {
  MakeStore();
  EXPECT_EQ(Vexelctl("export-profile 1 " + Path("e.pro") + Data()).exit_code, 0);
  EXPECT_EQ(ReadAll(temp_.path() / "e.pro"), ReadAll(Import()));
  const testing::CommandResult imported = Vexelctl("import-profile " + Path("e.pro") + Data());
  EXPECT_EQ(imported.exit_code, 0) << imported.err;
  EXPECT_EQ(imported.out,
            "{\"profile\": {\"index\": 2, \"name\": \"Gaming_1\"}, \"macros\": "
            "[{\"index\": 2, \"name\": \"Burst \\\"x\\\"\\\\\\n\xC3\xA9_1\"}, "
            "{\"index\": 3, \"name\": \"Macro2_1\"}]}\n");

  EXPECT_EQ(Vexelctl("export-macro 1 " + Path("m.macro") + Data()).exit_code, 0);
  const testing::CommandResult macro = Vexelctl("import-macro " + Path("m.macro") + Data());
  EXPECT_EQ(macro.exit_code, 0) << macro.err;
  EXPECT_EQ(macro.out, "{\"macro\": {\"index\": 4, \"name\": \"Macro2_2\"}}\n");
}

TEST_F(VexelctlStoreTest, ErrorsExitWith2OnOneLineAndChangeNoStoreFile) {
  MakeStore();
  testing::WriteAll(temp_.path() / "short.macro", Bytes(239));
  testing::WriteAll(temp_.path() / "short.pro", Bytes(12));
  std::filesystem::create_symlink("Data/macro.data", temp_.path() / "link.pro");
  ASSERT_EQ(::mkfifo((temp_.path() / "fifo").c_str(), 0600), 0);
  const Bytes profiles_before = ReadAll(paths_.ProfilesFile());
  const Bytes macros_before = ReadAll(paths_.MacrosFile());
  // The error names the file where there is one.
  const std::pair<std::string, std::string> cases[] = {
      {"profiles --data", ""},
      {"profiles extra" + Data(), ""},
      {"frobnicate", ""},
      {"export-profile 2 " + Path("x.pro") + Data(), ""},
      {"export-profile 1x " + Path("x.pro") + Data(), ""},
      {"export-profile 0 /nonexistent/folder/x.pro" + Data(), "/nonexistent/folder/x.pro"},
      {"export-profile 0 " + Path("Data/pro.data") + Data(), "pro.data"},
      {"export-macro 2 " + Path("x.macro") + Data(), ""},
      {"export-macro 0" + Data(), ""},
      {"import-profile " + Path("missing.pro") + Data(), "missing.pro"},
      {"import-macro " + Path("short.macro") + Data(), "short.macro"},
      {"import-macro" + Data(), ""},
      {"import-macro /dev/zero" + Data(), "/dev/zero"},  // neither a FIFO nor a device is read
      {"import-profile " + Path("fifo") + Data(), "fifo"},
      {"reports " + Path("fifo"), "fifo"},
      {"reports " + Path("short.pro"), "short.pro"},
      {"reports " + Path(""), ""},
      {"reports", ""},
      {"reports a --since", ""},
      {"defaults only-a-name", ""},
      {"defaults X " + Path("Data/pro.data"), "pro.data"},
      {"defaults X " + Path("Data/macro.data"), "macro.data"},
      {"defaults X " + Path("Data/store.lock"), "store.lock"},
      {"defaults X " + Path("link.pro"), "link.pro"},
  };
  for (const auto& [arguments, named] : cases) {
    SCOPED_TRACE(arguments);
    const testing::CommandResult run = Vexelctl(arguments);
    EXPECT_EQ(run.exit_code, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("vexelctl: ", 0), 0u) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_NE(run.err.find(named), std::string::npos) << run.err;
  }
  EXPECT_EQ(ReadAll(paths_.ProfilesFile()), profiles_before);
  EXPECT_EQ(ReadAll(paths_.MacrosFile()), macros_before);
  EXPECT_FALSE(std::filesystem::exists(temp_.path() / "x.pro"));
}

TEST_F(VexelctlStoreTest, AnImportPastTheMacroCapIsRefusedAndTheStoreStaysReadable) {
  MakeStore();
  EXPECT_EQ(Vexelctl("export-macro 0 " + Path("m.macro") + Data()).exit_code, 0);
  // The most macros macro.data holds, as a sparse file of empty macros.
  std::filesystem::resize_file(paths_.MacrosFile(),
                               kMaxMacrosFileSize / sizeof(MacroRecord) * sizeof(MacroRecord));
  const testing::CommandResult run = Vexelctl("import-macro " + Path("m.macro") + Data());
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.err.find("macro.data: it would be larger than 64 MiB"), std::string::npos)
      << run.err;
  EXPECT_EQ(Vexelctl("profiles" + Data()).exit_code, 0);
}

TEST_F(VexelctlStoreTest, ParallelImportsLoseNothing) {
  MakeStore();
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
  EXPECT_EQ(store.profiles.size(), 2u + kWriters * kRounds);
  EXPECT_EQ(store.macros.size(), 2u + 2 * kWriters * kRounds);
}

TEST_F(VexelctlStoreTest, WritersAreRefusedWhileTheProgramHoldsTheStore) {
  MakeStore();
  ASSERT_EQ(Vexelctl("export-macro 0 " + Path("m.macro") + Data()).exit_code, 0);
  const Bytes profiles_before = ReadAll(paths_.ProfilesFile());
  const Bytes macros_before = ReadAll(paths_.MacrosFile());
  StoreLock program = StoreLock::AcquireForProgram(paths_.folder);
  ASSERT_TRUE(program.held());
  const std::string named = "in use by vexel-mouse (pid " + std::to_string(::getpid()) + ")";
  for (const std::string& command :
       {"import-profile " + Path("g.pro") + Data(), "import-macro " + Path("m.macro") + Data()}) {
    SCOPED_TRACE(command);
    const auto run = Vexelctl(command);
    EXPECT_EQ(run.exit_code, 2);
    EXPECT_NE(run.err.find(named), std::string::npos) << run.err;
    EXPECT_EQ(testing::Lines(run.err).size(), 1u) << run.err;
  }
  EXPECT_EQ(Vexelctl("profiles" + Data()).exit_code, 0);
  EXPECT_EQ(ReadAll(paths_.ProfilesFile()), profiles_before);
  EXPECT_EQ(ReadAll(paths_.MacrosFile()), macros_before);
}

TEST_F(VexelctlStoreTest, KillsDuringImportsNeverLeaveAProfileNamingAMissingMacro) {
  MakeStore();
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
