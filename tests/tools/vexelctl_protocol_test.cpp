// vexelctl defaults / reports, run as a user would.
#include <gtest/gtest.h>

#include <fstream>

#include "support/run_command.h"

namespace vexel::testing {
namespace {

TEST(VexelctlReports, SinceABaselineSendsOnlyChanges) {
  TempDir dir;
  const std::string base = dir / "base.pro";
  const std::string edited = dir / "edited.pro";
  ASSERT_EQ(RunCommand(Vexelctl() + " defaults A " + ShellQuote(base)).exit_code, 0);
  ASSERT_EQ(RunCommand(Vexelctl() + " defaults B " + ShellQuote(edited)).exit_code, 0);

  // Only the name differs: nothing to send.
  CommandResult result =
      RunCommand(Vexelctl() + " reports " + ShellQuote(edited) + " --since " + ShellQuote(base));
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(result.out, "");

  // polling_rate (offset 2360) becomes 0.
  {
    std::fstream file(edited, std::ios::binary | std::ios::in | std::ios::out);
    file.seekp(2360);
    const char zero[4] = {0, 0, 0, 0};
    file.write(zero, 4);
  }
  result =
      RunCommand(Vexelctl() + " reports " + ShellQuote(edited) + " --since " + ShellQuote(base));
  EXPECT_EQ(result.out, "06 09 01 08 f7 00 00 00 00\n");
}

// Its refusals are rows of the store commands' error table.
TEST(VexelctlReports, HelpNamesTheCommands) {
  const CommandResult help = RunCommand(Vexelctl() + " --help");
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_NE(help.out.find("reports"), std::string::npos);
  EXPECT_NE(help.out.find("defaults"), std::string::npos);
}

}  // namespace
}  // namespace vexel::testing
