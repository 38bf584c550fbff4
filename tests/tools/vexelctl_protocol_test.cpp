// vexelctl defaults / reports, run as a user would. Its refusals are rows of
// the store commands' error table.
#include <gtest/gtest.h>

#include <fstream>

#include "support/run_command.h"

namespace vexel::testing {
namespace {

TEST(VexelctlReports, SinceABaselineSendsOnlyChanges) {
  TempDir dir;
  const std::string base = ShellQuote(dir / "base.pro"), edited = ShellQuote(dir / "edited.pro");
  ASSERT_EQ(RunCommand(Vexelctl() + " defaults A " + base).exit_code, 0);
  ASSERT_EQ(RunCommand(Vexelctl() + " defaults B " + edited).exit_code, 0);
  const std::string reports = Vexelctl() + " reports " + edited + " --since " + base;
  EXPECT_EQ(RunCommand(reports).out, "");  // only the name differs: nothing to send
  // polling_rate (offset 2360) becomes 0.
  std::fstream(dir / "edited.pro", std::ios::binary | std::ios::in | std::ios::out)
      .seekp(2360)
      .write("\0\0\0\0", 4);
  const CommandResult result = RunCommand(reports);
  EXPECT_EQ(result.exit_code, 0) << result.err;
  EXPECT_EQ(result.out, "06 09 01 08 f7 00 00 00 00\n");
}

}  // namespace
}  // namespace vexel::testing
