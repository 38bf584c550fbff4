#include "firmware/control_command.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "firmware/state_json.h"
#include "sim/test_reports.h"

namespace vexel::sim {
namespace {

ControlResult Command(FirmwareModel& model, std::vector<std::string> words) {
  return ApplyControlCommand(model, words);
}

TEST(ControlCommandTest, RefusesMalformedCommands) {
  ManualClock clock;
  FirmwareModel model(clock);
  const std::vector<std::vector<std::string>> refused = {
      {},
      {"fly"},
      {"plug"},
      {"plug", "bluetooth"},
      {"unplug", "wired", "now"},
      {"press-dpi", "0"},
      {"press-dpi", "3x"},
      {"light-mode", "16"},
      {"battery", "256"},
      {"battery", "50", "empty"},
      {"acks", "maybe"},
      {"polling-rate", "3"},
      {"status", "0x10000", "1"},
      {"fail-sends", "-1"},
      {"ble", "connect"},  // Bluetooth not offered
      {"ble", "pair"},
  };
  for (const auto& words : refused) {
    const auto result = Command(model, words);
    EXPECT_FALSE(result.ok) << (words.empty() ? "(none)" : words[0]);
    EXPECT_FALSE(result.text.empty());
  }
  EXPECT_TRUE(model.TakeEmissions().empty());
}

TEST(ControlCommandTest, StateShowsReportsLogAndRefusals) {
  ManualClock clock;
  FirmwareModel model(clock);
  const auto reset = test::ValidReport(protocol::kKindReset);
  const auto macro = test::ValidReport(protocol::kKindMacro, 2, 12);
  clock.Advance(Clock::Ms(250));
  model.Receive(Link::kWired, reset);
  clock.Advance(Clock::Ms(100));
  for (const auto& chunk : test::MacroChunks(macro, true)) model.Receive(Link::kWireless, chunk);
  model.Receive(Link::kWired, std::vector<uint8_t>{0x04, 0x00});

  const auto result = Command(model, {"state"});
  ASSERT_TRUE(result.ok);
  const auto state = nlohmann::json::parse(result.text);
  EXPECT_EQ(state["wired"], true);
  EXPECT_EQ(state["receiver"], true);
  EXPECT_EQ(state["awake"], true);
  EXPECT_EQ(state["battery"], 80);
  EXPECT_EQ(state["charging"], "discharging");
  EXPECT_EQ(state["reports"]["0c"], "0c0a01fe01fe00000000");
  EXPECT_TRUE(state["reports"]["04"].is_null());
  const std::string macro_hex = state["reports"]["09"]["12"];
  EXPECT_EQ(macro_hex.size(), 262u);
  EXPECT_EQ(macro_hex.substr(0, 6), "09830c");
  ASSERT_EQ(state["log"].size(), 4u);
  EXPECT_EQ(state["log"][0]["link"], "wired");
  EXPECT_EQ(state["log"][0]["t_ms"], 250);
  EXPECT_EQ(state["log"][3]["link"], "wireless");
  EXPECT_EQ(state["log"][3]["t_ms"], 350);
  EXPECT_EQ(std::string(state["log"][3]["hex"]).substr(0, 8), "090c0c02");
  EXPECT_EQ(state["rejected"], 1);
  ASSERT_EQ(state["refused"].size(), 1u);
  EXPECT_EQ(state["refused"][0]["reason"], "length");
  EXPECT_EQ(state["refused"][0]["hex"], "0400");
  EXPECT_EQ(state["refused"][0]["t_ms"], 350);

  EXPECT_TRUE(Command(model, {"clear"}).ok);
  const auto cleared = nlohmann::json::parse(StateJson(model));
  EXPECT_TRUE(cleared["log"].empty());
  EXPECT_TRUE(cleared["reports"]["09"].empty());
  EXPECT_EQ(cleared["rejected"], 0);
  EXPECT_TRUE(cleared["refused"].empty());
}

}  // namespace
}  // namespace vexel::sim
