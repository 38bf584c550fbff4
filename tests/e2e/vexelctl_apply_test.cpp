// vexelctl apply against the virtual mouse over the cable alone and over the
// receiver alone: the reports the mouse accepted are exactly what
// `vexelctl reports` says a full apply sends.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <thread>
#include <tuple>

#include "support/accepted_reports.h"
#include "support/run_command.h"

namespace vexel::testing {
namespace {

class VexelctlApply : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sim.ready());
    ::setenv("VEXEL_VIRTUAL_MOUSE", sim.socket().c_str(), 1);
    ASSERT_EQ(RunCommand(Vexelctl() + " defaults Applied " + ShellQuote(profile)).exit_code, 0);
    expected = Lines(RunCommand(Vexelctl() + " reports " + ShellQuote(profile)).out);
    ASSERT_EQ(expected.size(), 5u);
  }
  void TearDown() override { ::unsetenv("VEXEL_VIRTUAL_MOUSE"); }

  CommandResult Vexel(const std::string& command) {
    return RunCommand(Vexelctl() + " --data " + ShellQuote(data / "store") + " " + command);
  }
  CommandResult Apply() { return Vexel("apply " + ShellQuote(profile)); }

  test::SimProcess sim;
  TempDir data;
  std::string profile = data / "applied.pro";
  std::vector<std::string> expected;
};

TEST_F(VexelctlApply, OverEachLinkAlone) {
  for (const auto& [link, other, how] : {std::tuple{"wired", "receiver", " -> sent (cable)"},
                                         {"wireless", "wired", " -> acknowledged"}}) {
    SCOPED_TRACE(link);
    sim.Stop();
    sim.Start();
    sim.Ctl(std::string("unplug ") + other);
    const CommandResult result = Apply();
    EXPECT_EQ(result.exit_code, 0) << result.err;
    std::vector<std::string> printed, wanted;
    for (const std::string& line : expected) {
      printed.push_back(line + how);
      wanted.push_back(WithoutSpaces(line));
    }
    EXPECT_EQ(Lines(result.out), printed);
    // Over the receiver a report may be repeated until the acknowledgement
    // arrives; the distinct reports must arrive in order, over that link alone.
    auto accepted = Accepted(sim, link);
    accepted.erase(std::unique(accepted.begin(), accepted.end()), accepted.end());
    EXPECT_EQ(accepted, wanted);
    EXPECT_EQ(Accepted(sim).size(), Accepted(sim, link).size());
  }
}

// Over the receiver: unanswered, then asleep.
TEST_F(VexelctlApply, UndeliveredReportsAreNamedAndFail) {
  sim.Ctl("unplug wired");
  sim.Ctl("acks off");
  CommandResult result = Apply();
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_NE(result.out.find(" -> failed"), std::string::npos);
  EXPECT_NE(
      result.err.find("not delivered: reset, performance, lighting, polling rate, button map"),
      std::string::npos)
      << result.err;
  // The mouse did receive them (ten times each): only the answer was missing.
  EXPECT_EQ(Accepted(sim, "wireless").size(), 50u);
  sim.Ctl("sleep");
  result = Apply();
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_NE(result.err.find("no usable link"), std::string::npos);
  EXPECT_EQ(Accepted(sim, "wireless").size(), 50u);
}

TEST_F(VexelctlApply, StatusShowsBatteryLinksAndADpiStageChosenOnTheMouse) {
  sim.Ctl("unplug wired");
  sim.Ctl("battery 57 charging");
  sim.Ctl("press-dpi 4");
  const auto expect_status = [&](const char* expected) {
    const auto status = nlohmann::json::parse(Vexel("status").out);
    const auto wanted = nlohmann::json::parse(expected);
    for (const auto& [key, value] : wanted.items()) EXPECT_EQ(status[key], value) << key;
  };
  expect_status(R"({"wired_link": 0, "wireless_link": 1, "wireless_ready": true, "battery": 57,
    "battery_out_of_range": false, "charging": "charging", "mouse_dpi_stage": 4})");
  // A percent no battery has is shown as what it is: clamped and flagged.
  sim.Ctl("battery 200 discharging");
  expect_status(R"({"battery": 100, "battery_out_of_range": true})");
}

TEST_F(VexelctlApply, WritersDoNotWaitForStatusToListen) {
  sim.Ctl("unplug wired");
  sim.Ctl("sleep");  // no battery report: status listens for its whole time
  std::filesystem::create_directories(data / "store");
  ChildProcess status({Vexelctl(), "--data", data / "store", "status"});
  std::this_thread::sleep_for(std::chrono::seconds(1));
  EXPECT_EQ(Vexel("import-profile " + ShellQuote(profile)).exit_code, 0);
  EXPECT_TRUE(status.Running()) << "the import waited for the listen to end";
  EXPECT_EQ(status.Stop(0), 0);
}

}  // namespace
}  // namespace vexel::testing
