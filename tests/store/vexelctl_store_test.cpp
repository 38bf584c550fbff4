// The vexelctl store commands, run as the real program on a temporary store.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "../support/run_command.h"
#include "store/names.h"
#include "store/record_files.h"
#include "store/store_files.h"
#include "store/utf16_name.h"
#include "temp_folder.h"

namespace vexel {
namespace {

using testing::ReadAll;
using testing::TempFolder;

class VexelctlStoreTest : public ::testing::Test {
 protected:
  StorePaths paths() const { return StorePaths{temp_.path()}; }
  std::string Data() const { return " --data " + testing::ShellQuote(temp_.path().string()); }
  std::string Path(const char* name) const {
    return testing::ShellQuote((temp_.path() / name).string());
  }
  static testing::CommandResult Vexelctl(const std::string& arguments) {
    // The time-out only turns a regression (a blocked reader) into a failure.
    return testing::RunCommand("timeout 60 " + testing::Vexelctl() + " " + arguments);
  }

  // A store of two profiles (the second bound to a macro in slot 3) and two macros.
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
    gaming.button[3].function_code = kFunctionMacro;
    BindMacroCopy(gaming.button[3], burst, 0);
    auto header = MakeZeroHeader();
    header->selected_profile = 1;
    ASSERT_TRUE(SaveProfiles(paths(), profiles, *header));
    ASSERT_TRUE(SaveMacros(paths(), macros));
  }

  TempFolder temp_;
};

TEST_F(VexelctlStoreTest, ListsProfilesAndMacrosAsJson) {
  // An empty folder lists the default store without writing it.
  const testing::CommandResult first = Vexelctl("profiles" + Data());
  EXPECT_EQ(first.exit_code, 0) << first.err;
  EXPECT_NE(first.out.find("{\"selected\": 0, \"profiles\": [{\"name\": \""), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_empty(temp_.path()));

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

TEST_F(VexelctlStoreTest, ExportThenImportAddsSuffixedProfileAndMacro) {
  MakeStore();
  EXPECT_EQ(Vexelctl("export-profile 1 " + Path("g.pro") + Data()).exit_code, 0);
  const testing::CommandResult imported = Vexelctl("import-profile " + Path("g.pro") + Data());
  EXPECT_EQ(imported.exit_code, 0) << imported.err;
  EXPECT_EQ(imported.out,
            "{\"profile\": {\"index\": 2, \"name\": \"Gaming_1\"}, \"macros\": "
            "[{\"index\": 2, \"name\": \"Burst \\\"x\\\"\\\\\\n\xC3\xA9_1\"}]}\n");

  EXPECT_EQ(Vexelctl("export-macro 1 " + Path("m.macro") + Data()).exit_code, 0);
  const testing::CommandResult macro = Vexelctl("import-macro " + Path("m.macro") + Data());
  EXPECT_EQ(macro.exit_code, 0) << macro.err;
  EXPECT_EQ(macro.out, "{\"macro\": {\"index\": 3, \"name\": \"Macro2_1\"}}\n");
}

TEST_F(VexelctlStoreTest, ErrorsExitWith2OnOneLineAndChangeNoStoreFile) {
  MakeStore();
  testing::WriteAll(temp_.path() / "short.macro", Bytes(239));
  std::filesystem::create_symlink("macro.data", temp_.path() / "link.pro");
  ASSERT_EQ(::mkfifo((temp_.path() / "fifo").c_str(), 0600), 0);
  const Bytes profiles_before = ReadAll(paths().ProfilesFile());
  const Bytes macros_before = ReadAll(paths().MacrosFile());
  const std::string cases[] = {
      "profiles --data",
      "profiles extra" + Data(),
      "export-profile 2 " + Path("x.pro") + Data(),
      "export-profile 1x " + Path("x.pro") + Data(),
      "export-profile 0 /nonexistent/folder/x.pro" + Data(),
      "export-profile 0 " + Path("pro.data") + Data(),
      "export-macro 2 " + Path("x.macro") + Data(),
      "export-macro 0" + Data(),
      "import-profile " + Path("missing.pro") + Data(),
      "import-macro " + Path("short.macro") + Data(),
      "import-macro" + Data(),
      "import-macro /dev/zero" + Data(),  // neither a FIFO nor a device is read
      "import-profile " + Path("fifo") + Data(),
      "reports " + Path("fifo"),
      "defaults X " + Path("pro.data"),
      "defaults X " + Path("macro.data"),
      "defaults X " + Path("store.lock"),
      "defaults X " + Path("link.pro"),
  };
  for (const std::string& arguments : cases) {
    SCOPED_TRACE(arguments);
    const testing::CommandResult run = Vexelctl(arguments);
    EXPECT_EQ(run.exit_code, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("vexelctl: ", 0), 0u) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }
  EXPECT_EQ(ReadAll(paths().ProfilesFile()), profiles_before);
  EXPECT_EQ(ReadAll(paths().MacrosFile()), macros_before);
  EXPECT_FALSE(std::filesystem::exists(temp_.path() / "x.pro"));
}

TEST_F(VexelctlStoreTest, AnImportPastTheMacroCapIsRefusedAndTheStoreStaysReadable) {
  MakeStore();
  EXPECT_EQ(Vexelctl("export-macro 0 " + Path("m.macro") + Data()).exit_code, 0);
  // The most macros macro.data holds, as a sparse file of empty macros.
  std::filesystem::resize_file(paths().MacrosFile(),
                               kMaxMacrosFileSize / sizeof(MacroRecord) * sizeof(MacroRecord));
  const testing::CommandResult run = Vexelctl("import-macro " + Path("m.macro") + Data());
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.err.find("macro.data: it would be larger than 64 MiB"), std::string::npos)
      << run.err;
  EXPECT_EQ(Vexelctl("profiles" + Data()).exit_code, 0);
}

}  // namespace
}  // namespace vexel
