// vexelctl against the virtual mouse with only its Bluetooth side connected,
// on a private bus: the reports the mouse accepted over "ble" are what
// `vexelctl reports` says, without the polling rate, and a DPI press on the
// mouse reaches the store as a notification.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <future>
#include <nlohmann/json.hpp>

#include "platform/linux/bluez/private_bus.h"
#include "support/accepted_reports.h"
#include "support/run_command.h"

namespace vexel::testing {
namespace {

class VexelctlBle : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(bus.running());
    ::setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    sim.emplace(true);
    ASSERT_TRUE(sim->ready());
    ::setenv("VEXEL_VIRTUAL_MOUSE", sim->socket().c_str(), 1);
    EXPECT_EQ(sim->Ctl("unplug wired"), "ok\n");
    EXPECT_EQ(sim->Ctl("unplug receiver"), "ok\n");
    ASSERT_EQ(RunCommand(Vexelctl() + " defaults Applied " + ShellQuote(profile)).exit_code, 0);
  }
  void TearDown() override {
    sim.reset();
    ::unsetenv("VEXEL_VIRTUAL_MOUSE");
  }

  CommandResult Vexel(const std::string& command) {
    return RunCommand(Vexelctl() + " --data " + ShellQuote(data / "store") + " " + command);
  }

  bluez::PrivateSystemBus bus;  // first: the mouse and vexelctl use it
  TempDir runtime;
  TempDir data;
  std::optional<test::SimProcess> sim;
  std::string profile = data / "applied.pro";
};

TEST_F(VexelctlBle, ApplyWritesEveryReportButThePollingRate) {
  const auto expected = Lines(RunCommand(Vexelctl() + " reports " + ShellQuote(profile)).out);
  ASSERT_EQ(expected.size(), 5u);
  const CommandResult result = Vexel("apply " + ShellQuote(profile));
  const auto printed = Lines(result.out);
  ASSERT_EQ(printed.size(), expected.size()) << result.err;
  std::vector<std::string> wanted;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const bool polling_rate = expected[i].starts_with("06 ");
    EXPECT_EQ(printed[i], expected[i] + (polling_rate ? " -> not carried over Bluetooth"
                                                      : " -> written (Bluetooth)"));
    if (!polling_rate) wanted.push_back(WithoutSpaces(expected[i]));
  }
  EXPECT_EQ(Accepted(*sim, "ble"), wanted);
  EXPECT_EQ(Accepted(*sim), wanted);  // and over no other link
  // The polling rate does not go over Bluetooth: said so, and no failure.
  EXPECT_EQ(result.exit_code, 0) << result.err;

  // Gone from Bluetooth: nothing is usable any more.
  EXPECT_EQ(sim->Ctl("ble disconnect"), "ok\n");
  const CommandResult after = Vexel("apply " + ShellQuote(profile));
  EXPECT_EQ(after.exit_code, 1);
  EXPECT_NE(after.err.find("no usable link"), std::string::npos) << after.err;
}

TEST_F(VexelctlBle, StatusSeesTheLinkAndADpiPressOnTheMouse) {
  // The press counts once status listens; it is repeated until a run saw it.
  nlohmann::json status = nlohmann::json::object();
  for (int attempt = 0; attempt < 5 && status.value("dpi_stage", 0) != 6; ++attempt) {
    auto run = std::async(std::launch::async, [&] { return Vexel("status"); });
    while (run.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready)
      sim->Ctl("press-dpi 6");
    const CommandResult result = run.get();
    ASSERT_EQ(result.exit_code, 0) << result.err;
    status = nlohmann::json::parse(result.out);
  }
  EXPECT_EQ(status["ble_link"], 1);
  EXPECT_EQ(status["wired_link"], 0);
  EXPECT_EQ(status["device_present"], true);
  EXPECT_EQ(status["battery"], 80);
  EXPECT_EQ(status["dpi_stage"], 6);
}

TEST(SimBle, RefusesBluetoothWithoutAPrivateBus) {
  TempDir folder;
  const CommandResult result =
      RunCommand("env -u DBUS_SYSTEM_BUS_ADDRESS " + std::string(VEXEL_BIN_DIR) +
                 "/vexel-mouse-sim serve --ble --socket " + ShellQuote(folder / "mouse.sock"));
  EXPECT_EQ(result.exit_code, 2);
  EXPECT_NE(result.err.find("--ble needs DBUS_SYSTEM_BUS_ADDRESS"), std::string::npos)
      << result.err;
}

}  // namespace
}  // namespace vexel::testing
