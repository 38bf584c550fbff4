// vexelctl's store commands as real processes on a temporary store: listing,
// export and import, refusals (the rules commands too), parallel writers, a running
// program holding the store, kills at random points.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <random>
#include <thread>

#include "store/store_lock.h"
#include "store/utf16_name.h"
#include "store_test_helpers.h"

namespace vexel::testing {
namespace {

namespace fs = std::filesystem;

class VexelctlStoreTest : public ::testing::Test {
 protected:
  // Profiles "Profile1" and "Gaming" (selected; slots 3 and 5 bound to the two
  // macros), macros "Burst..." and "Macro2", and "g.pro", a copy of Gaming.
  VexelctlStoreTest() {
    ProfileList profiles;
    AddDefaultProfile(profiles, u"Profile");
    ProfileRecord& gaming = AddDefaultProfile(profiles, u"Profile");
    SetName(gaming.name, u"Gaming");
    MacroLibrary macros = Macros(2);
    SetName(macros[0]->name, u"Burst \"x\"\\\n\u00E9");
    macros[0]->action_count = 2;
    macros[0]->actions[1] = {4, kActionRelease, 65535};
    SetName(macros[1]->name, u"Macro2");
    for (int slot : {3, 5}) {
      gaming.button[slot].function_code = kFunctionMacro;
      BindMacroCopy(gaming.button[slot], *macros[slot / 4], slot / 4);
    }
    auto header = MakeZeroHeader();
    header->selected_profile = 1;
    EXPECT_TRUE(SaveProfiles(paths_, profiles, *header) && SaveMacros(paths_, macros) &&
                WriteProfileFile(temp_.path() / "g.pro", gaming, paths_));
  }
  std::string Data() const { return " --data " + ShellQuote(paths_.folder.string()); }
  std::string Path(const char* name) const { return ShellQuote(temp_ / name); }
  static CommandResult Vexelctl(const std::string& arguments) {
    // The time-out only turns a regression (a blocked reader) into a failure.
    return RunCommand("timeout 60 " + testing::Vexelctl() + " " + arguments);
  }
  std::pair<Bytes, Bytes> StoreFiles() const {
    return {ReadAll(paths_.ProfilesFile()), ReadAll(paths_.MacrosFile())};
  }
  // A refusal exits 2 with one line naming `named` and changes no store file.
  void ExpectRefused(const std::string& arguments, const std::string& named) {
    const auto before = StoreFiles();
    const CommandResult run = Vexelctl(arguments);
    EXPECT_EQ(run.exit_code, 2) << arguments;
    EXPECT_TRUE(run.out.empty() && run.err.starts_with("vexelctl: ") &&
                Lines(run.err).size() == 1 && run.err.find(named) != std::string::npos)
        << arguments << ": " << run.out << run.err;
    EXPECT_EQ(StoreFiles(), before) << arguments;
  }
  // Every macro-bound slot names the library macro at the slot's position.
  LoadedStore ExpectSoundStore() {
    LoadedStore store = Load(paths_, {false});
    EXPECT_FALSE(store.report.repaired);
    for (const auto& profile : store.profiles) {
      for (const ButtonSlot& slot : std::span(profile->button, kUsedButtonCount)) {
        if (slot.function_code != kFunctionMacro) continue;
        EXPECT_EQ(FindMacroByName(store.macros, NameView(slot.macro_name)), slot.macro_index);
      }
    }
    return store;
  }

  TempFolder temp_;
  StorePaths paths_{temp_.path() / "Data"};
};

TEST_F(VexelctlStoreTest, ListsExportsAndImportsAsJson) {
  const std::string burst = R"(Burst \"x\"\\\n)"
                            "\xC3\xA9";
  const std::pair<std::string, std::string> table[] = {
      {"profiles", R"({"selected": 1, "profiles": [{"name": "Profile1"}, {"name": "Gaming"}]})"},
      {"macros", R"({"macros": [{"name": ")" + burst +
                     R"(", "actions": [[4, 1, 50], [4, 2, 65535]]}, )"
                     R"({"name": "Macro2", "actions": [[5, 1, 50]]}]})"},
      {"export-profile 1 " + Path("e.pro"), R"({"exported": {"index": 1, "name": "Gaming"}})"},
      {"import-profile " + Path("e.pro"), R"({"profile": {"index": 2, "name": "Gaming_1"}, )"
                                          R"("macros": [{"index": 2, "name": ")" +
                                              burst +
                                              R"(_1"}, {"index": 3, "name": "Macro2_1"}]})"},
      {"export-macro 1 " + Path("m.macro"), R"({"exported": {"index": 1, "name": "Macro2"}})"},
      {"import-macro " + Path("m.macro"), R"({"macro": {"index": 4, "name": "Macro2_2"}})"},
  };
  for (const auto& [arguments, out] : table) {
    const CommandResult run = Vexelctl(arguments + Data());
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.out, out + "\n");
  }
  EXPECT_EQ(ReadAll(temp_.path() / "e.pro"), ReadAll(temp_.path() / "g.pro"));
  // An empty folder lists the default store without writing it.
  fs::create_directory(temp_.path() / "empty");
  const CommandResult empty = Vexelctl("profiles --data " + Path("empty"));
  EXPECT_NE(empty.out.find(R"({"selected": 0, "profiles": [{"name": ")"), std::string::npos);
  EXPECT_TRUE(fs::is_empty(temp_.path() / "empty"));
}

TEST_F(VexelctlStoreTest, ErrorsExitWith2OnOneLineAndChangeNoStoreFile) {
  WriteAll(temp_.path() / "short.pro", Bytes(12));
  fs::create_symlink("Data/macro.data", temp_.path() / "link.pro");
  ASSERT_EQ(::mkfifo((temp_.path() / "fifo").c_str(), 0600), 0);
  // The error names the file where there is one.
  const std::pair<std::string, std::string> cases[] = {
      {"profiles --data", ""},
      {"frobnicate", ""},
      {"export-profile 2 " + Path("x.pro") + Data(), ""},
      {"export-profile 1x " + Path("x.pro") + Data(), ""},
      {"export-profile 0 " + Path("Data/pro.data") + Data(), "pro.data"},
      {"import-macro" + Data(), ""},
      {"import-macro /dev/zero" + Data(), "/dev/zero"},  // neither a FIFO nor a device is read
      {"reports " + Path("fifo"), "fifo"},
      {"reports " + Path("short.pro"), "short.pro"},
      {"reports", ""},
      {"defaults only-a-name", ""},
      {"defaults X " + Path("Data/pro.data"), "pro.data"},
      {"defaults X " + Path("link.pro"), "link.pro"},
      {"rule add gimp Photo" + Data(), "Photo"},
      {"rules now" + Data(), ""},
      {"rule" + Data(), ""},
  };
  for (const auto& [arguments, named] : cases) ExpectRefused(arguments, named);
  EXPECT_FALSE(fs::exists(temp_.path() / "x.pro"));

  // While the program holds the store, writers are refused at once.
  ASSERT_EQ(Vexelctl("export-macro 0 " + Path("m.macro") + Data()).exit_code, 0);
  {
    StoreLock program = StoreLock::AcquireForProgram(paths_.folder);
    ASSERT_TRUE(program.held());
    const std::string named = "in use by vexel-mouse (pid " + std::to_string(::getpid()) + ")";
    ExpectRefused("import-profile " + Path("g.pro") + Data(), named);
    EXPECT_EQ(Vexelctl("profiles" + Data()).exit_code, 0);
  }
  // The most macros macro.data holds, as a sparse file of empty macros.
  fs::resize_file(paths_.MacrosFile(),
                  kMaxMacrosFileSize / sizeof(MacroRecord) * sizeof(MacroRecord));
  ExpectRefused("import-macro " + Path("m.macro") + Data(),
                "macro.data: it would be larger than 64 MiB");
  EXPECT_EQ(Vexelctl("profiles" + Data()).exit_code, 0);
}

TEST_F(VexelctlStoreTest, KillsDuringImportsNeverLeaveAProfileNamingAMissingMacro) {
  // With a pause before each of the two renames, a kill at a random moment of
  // an import often lands between them.
  const std::string import = "exec env VEXEL_TEST_RENAME_PAUSE_MS=20 " + testing::Vexelctl() +
                             " import-profile " + Path("g.pro") + Data() + " >/dev/null";
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(RunCommand(import).exit_code, 0);
  const auto one_import = std::chrono::steady_clock::now() - start;
  std::mt19937 random(20261207);
  std::uniform_int_distribution<long> delay(0, one_import / std::chrono::microseconds(1));
  for (int round = 0; round < 30; ++round) {
    SCOPED_TRACE(round);
    ChildProcess child({"sh", "-c", import});
    std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
    child.Stop(SIGKILL);
    ExpectSoundStore();
    StoreLock next = StoreLock::TryAcquire(paths_.folder, "test");
    ASSERT_TRUE(next.held()) << next.error();
    EXPECT_EQ(FilesIn(paths_.folder),
              (std::vector<std::string>{"macro.data", "pro.data", kStoreLockFileName}));
  }
}

}  // namespace
}  // namespace vexel::testing
