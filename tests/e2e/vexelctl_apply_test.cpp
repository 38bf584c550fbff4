// vexelctl apply against the virtual mouse over the cable alone and over the
// receiver alone: the reports the mouse accepted are exactly what
// `vexelctl reports` says a full apply sends.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

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

  void ExpectAppliedOver(const std::string& link, const CommandResult& result) {
    ASSERT_EQ(result.exit_code, 0) << result.err;
    const auto printed = Lines(result.out);
    ASSERT_EQ(printed.size(), expected.size());
    const std::string how = link == "wired" ? " -> sent (cable)" : " -> acknowledged";
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(printed[i], expected[i] + how);
    std::vector<std::string> wanted;
    for (const auto& line : expected) wanted.push_back(WithoutSpaces(line));
    const auto accepted = Accepted(sim, link);
    // Over the receiver a report may be repeated until the acknowledgement
    // arrives; the distinct reports must arrive in order.
    std::vector<std::string> distinct;
    for (const auto& hex : accepted) {
      if (distinct.empty() || distinct.back() != hex) distinct.push_back(hex);
    }
    EXPECT_EQ(distinct, wanted);
  }

  test::SimProcess sim;
  TempDir data;
  std::string profile = data / "applied.pro";
  std::vector<std::string> expected;
};

TEST_F(VexelctlApply, OverTheCableAlone) {
  sim.Ctl("unplug receiver");
  ExpectAppliedOver("wired", Apply());
  EXPECT_TRUE(Accepted(sim, "wireless").empty());
}

TEST_F(VexelctlApply, OverTheReceiverAlone) {
  sim.Ctl("unplug wired");
  ExpectAppliedOver("wireless", Apply());
  EXPECT_TRUE(Accepted(sim, "wired").empty());
}

TEST_F(VexelctlApply, UnacknowledgedReportsAreNamedAndFail) {
  sim.Ctl("unplug wired");
  sim.Ctl("acks off");
  const CommandResult result = Apply();
  EXPECT_EQ(result.exit_code, 1);
  for (const auto& line : Lines(result.out)) EXPECT_NE(line.find(" -> failed"), std::string::npos);
  EXPECT_NE(
      result.err.find("not delivered: reset, performance, lighting, polling rate, button map"),
      std::string::npos)
      << result.err;
  // The mouse did receive them (ten times each): only the answer was missing.
  EXPECT_EQ(Accepted(sim, "wireless").size(), 50u);
}

TEST_F(VexelctlApply, NoUsableLinkSaysSo) {
  sim.Ctl("unplug wired");
  sim.Ctl("sleep");
  const CommandResult result = Apply();
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_NE(result.err.find("no usable link"), std::string::npos);
  EXPECT_TRUE(Accepted(sim, "wireless").empty());
}

TEST_F(VexelctlApply, StatusShowsBatteryLinksAndADpiStageChosenOnTheMouse) {
  sim.Ctl("unplug wired");
  sim.Ctl("battery 57 charging");
  sim.Ctl("press-dpi 4");
  const CommandResult result = Vexel("status");
  ASSERT_EQ(result.exit_code, 0) << result.err;
  const auto status = nlohmann::json::parse(result.out);
  EXPECT_EQ(status["wired_link"], 0);
  EXPECT_EQ(status["wireless_link"], 1);
  EXPECT_EQ(status["wireless_ready"], true);
  EXPECT_EQ(status["battery"], 57);
  EXPECT_EQ(status["battery_out_of_range"], false);
  EXPECT_EQ(status["charging"], "charging");
  EXPECT_EQ(status["mouse_dpi_stage"], 4);

  // A percent no battery has is shown as what it is: clamped and flagged.
  sim.Ctl("battery 200 discharging");
  const auto odd = nlohmann::json::parse(Vexel("status").out);
  EXPECT_EQ(odd["battery"], 100);
  EXPECT_EQ(odd["battery_out_of_range"], true);
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

// set: all assignments are one edit, and only the blocks it changed reach the
// mouse; select: the chosen profile as a whole, by position or by name.
TEST_F(VexelctlApply, SetSendsWhatChangedAndSelectSendsTheWholeProfile) {
  sim.Ctl("unplug receiver");
  std::filesystem::create_directories(data / "store");
  const auto sent_lines = [](const CommandResult& result) {
    std::vector<std::string> hex;
    for (const auto& line : Lines(result.out)) {
      EXPECT_NE(line.find(" -> sent (cable)"), std::string::npos) << line;
      hex.push_back(WithoutSpaces(line.substr(0, line.find(" -> "))));
    }
    return hex;
  };
  const CommandResult set =
      Vexel("set dpi.3=1299 polling_rate_hz=500 light.effect=breathing button.9=forward");
  ASSERT_EQ(set.exit_code, 0) << set.err;
  const auto changed = sent_lines(set);
  EXPECT_EQ(changed.size(), 4u);  // performance, lighting, polling rate, button map
  EXPECT_EQ(Accepted(sim, "wired"), changed);
  const auto got = nlohmann::json::parse(Vexel("get").out);
  EXPECT_EQ(got["dpi"][2]["dpi"], 1200);
  EXPECT_EQ(got["buttons"][8]["function"], "forward");

  ASSERT_EQ(Vexel("import-profile " + ShellQuote(profile)).exit_code, 0);
  for (const std::string selector : {"0", "APPLIED"}) {
    const CommandResult select = Vexel("select " + selector);
    ASSERT_EQ(select.exit_code, 0) << select.err;
    EXPECT_EQ(sent_lines(select).size(), expected.size());
  }
  EXPECT_EQ(nlohmann::json::parse(Vexel("get").out)["name"], "Applied");
  EXPECT_EQ(nlohmann::json::parse(Vexel("get --profile 0").out)["dpi"][2]["dpi"], 1200);
}

}  // namespace
}  // namespace vexel::testing
