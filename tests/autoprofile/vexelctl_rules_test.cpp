// vexelctl rules and rule on a scratch store, run as the real program: each
// prints the rules after its edit, a refusal changes nothing and exits 2.
#include <gtest/gtest.h>

#include <fstream>

#include "../support/run_command.h"
#include "store/names.h"
#include "store/store_files.h"
#include "store/utf16_name.h"

namespace vexel {
namespace {

TEST(VexelctlRules, EditsTheRulesFileUnderTheStoreLock) {
  testing::TempDir store;
  ProfileList profiles;
  AddDefaultProfile(profiles, u"Profile");
  SetName(AddDefaultProfile(profiles, u"Profile").name, u"Gaming");
  ASSERT_TRUE(SaveProfiles(StorePaths{store.path()}, profiles, *MakeZeroHeader()));
  const std::string data = " --data " + testing::ShellQuote(store.path().string());
  const std::tuple<std::string, int, std::string> cases[] = {
      {"rules", 0, R"({"enabled": false, "default": null, "rules": []})"},
      {"rule add 'My Game' gaming", 0,
       R"({"enabled": false, "default": null, "rules": [{"app": "My Game", "profile": "Gaming"}]})"},
      {"rule add gimp Photo", 2, ""},
      {"rule default 0", 0,
       R"({"enabled": false, "default": "Profile1", "rules": [{"app": "My Game", "profile": "Gaming"}]})"},
      {"rule enable", 0,
       R"({"enabled": true, "default": "Profile1", "rules": [{"app": "My Game", "profile": "Gaming"}]})"},
      {"rules now", 2, ""},
      {"rule", 2, ""},
  };
  for (const auto& [arguments, exit_code, out] : cases) {
    SCOPED_TRACE(arguments);
    const auto result =
        testing::RunCommand("timeout 60 " + testing::Vexelctl() + " " + arguments + data);
    EXPECT_EQ(result.exit_code, exit_code) << result.err;
    EXPECT_EQ(result.out, out.empty() ? "" : out + "\n");
    EXPECT_EQ(result.err.empty(), exit_code == 0) << result.err;
  }
  std::ifstream file(store.path() / "rules.json");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), std::get<2>(cases[4]) + "\n");
}

}  // namespace
}  // namespace vexel
