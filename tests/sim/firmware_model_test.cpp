// The virtual mouse's firmware model: what it takes and refuses on each link
// (whole reports behind a 4-byte count on Bluetooth), what it acknowledges and
// reports, and the control commands that drive it.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "firmware/control_command.h"
#include "firmware/firmware_model.h"
#include "firmware/state_json.h"
#include "protocol/frame.h"
#include "sim/test_reports.h"

namespace vexel::sim {
namespace {

using test::MacroChunks;
using test::ValidReport;

class FirmwareModelTest : public ::testing::Test {
 protected:
  std::vector<StatusReport> Statuses() {
    std::vector<StatusReport> statuses;
    for (const Emission& emission : model_.TakeEmissions()) {
      if (const auto* status = std::get_if<StatusReport>(&emission)) statuses.push_back(*status);
    }
    return statuses;
  }

  ManualClock clock_;
  FirmwareModel model_{clock_};
};

TEST_F(FirmwareModelTest, RefusesDamagedReportsWithTheirReason) {
  struct Case {
    const char* reason;
    Link link;
    std::vector<uint8_t> bytes;
  };
  // `report` with byte `at` set to `value`.
  const auto with = [](std::vector<uint8_t> report, std::size_t at, uint8_t value) {
    report[at] = value;
    return report;
  };
  auto short_report = ValidReport(protocol::kKindPerformance);
  short_report.pop_back();
  auto dpi_copy = ValidReport(protocol::kKindPerformance);
  dpi_copy[protocol::PerformanceLayout::kDpiCodesCopy + 3] ^= 1;
  protocol::WriteChecksum(dpi_copy, protocol::PerformanceLayout::kChecksum);
  const auto lighting = ValidReport(protocol::kKindLighting);
  const auto macro = ValidReport(protocol::kKindMacro, 3, 4);
  const std::vector<Case> cases = {
      {"checksum", Link::kWired, with(lighting, 12, lighting[12] ^ 0x01)},
      {"length", Link::kWired, short_report},
      {"length byte", Link::kWired, with(ValidReport(protocol::kKindButtonMap), 1, 58)},
      {"polling complement", Link::kWireless,
       with(ValidReport(protocol::kKindPollingRate, 2), 4, 0)},
      {"unknown kind", Link::kWired, {0x07, 0x03, 0x01}},
      {"empty", Link::kWired, {}},
      {"tag byte", Link::kWired, with(lighting, 2, 2)},
      {"bytes after the end", Link::kWired, with(ValidReport(protocol::kKindPerformance), 53, 1)},
      {"reset body", Link::kWired, with(ValidReport(protocol::kKindReset), 4, 2)},
      {"copies differ", Link::kWired, dpi_copy},
      {"length", Link::kWired, macro},  // a driver link carries a macro only in chunks
      {"chunk marker", Link::kWired, MacroChunks(macro, true)[2]},
      {"chunk marker", Link::kWireless, MacroChunks(macro, false)[2]},
      {"bytes after the end", Link::kWired, with(MacroChunks(macro, false)[2], 40, 1)},
      {"tag byte", Link::kWired, with(MacroChunks(macro, false)[0], 2, 0)},
      {"chunk order", Link::kWired, MacroChunks(macro, false)[2]},
  };
  const FirmwareSettings before = model_.settings();
  for (const Case& c : cases) {
    EXPECT_FALSE(model_.Receive(c.link, c.bytes)) << c.reason;
    ASSERT_FALSE(model_.refused().empty());
    EXPECT_EQ(RefusalReason(model_.refused().back().reason), c.reason);
    EXPECT_EQ(model_.refused().back().entry.bytes, c.bytes) << c.reason;
  }
  EXPECT_EQ(model_.rejected(), static_cast<int>(cases.size()));
  EXPECT_TRUE(model_.log().empty());
  EXPECT_EQ(model_.settings(), before);
  EXPECT_TRUE(Statuses().empty());  // no acknowledgement for a refused report
}

TEST_F(FirmwareModelTest, ReassemblesMacroFromChunksOnEitherLink) {
  for (bool wireless : {false, true}) {
    const Link link = wireless ? Link::kWireless : Link::kWired;
    const uint8_t button = wireless ? 18 : 7;
    const auto macro = ValidReport(protocol::kKindMacro, wireless ? 40 : 20, button);
    model_.TakeEmissions();
    for (const auto& chunk : MacroChunks(macro, wireless)) EXPECT_TRUE(model_.Receive(link, chunk));
    EXPECT_EQ(model_.macros().at(button), macro);
    EXPECT_EQ(model_.LastReport(protocol::kKindMacro), macro);
    // One acknowledgement for the whole report, and only on the receiver.
    const auto statuses = Statuses();
    ASSERT_EQ(statuses.size(), wireless ? 1u : 0u);
    if (wireless) {
      EXPECT_EQ(statuses[0].value, 0x0900);
    }
  }
  EXPECT_EQ(model_.log().size(), 6u);  // every chunk is logged
  EXPECT_EQ(model_.rejected(), 0);
}

TEST_F(FirmwareModelTest, ChunkWithBadChecksumOrOutOfOrderDropsTheMacro) {
  auto bad_checksum = ValidReport(protocol::kKindMacro, 1, 3);
  bad_checksum[129] ^= 0x10;
  auto too_many_pairs = ValidReport(protocol::kKindMacro, 1, 3);
  too_many_pairs[28] = 51;  // only 50 fit before the checksum
  protocol::WriteChecksum(too_many_pairs, protocol::MacroLayout::kChecksum);
  for (const auto& [macro, reason] :
       {std::pair(bad_checksum, "checksum"), std::pair(too_many_pairs, "pair count")}) {
    const auto chunks = MacroChunks(macro, false);
    EXPECT_TRUE(model_.Receive(Link::kWired, chunks[0]));
    EXPECT_TRUE(model_.Receive(Link::kWired, chunks[1]));
    EXPECT_FALSE(model_.Receive(Link::kWired, chunks[2]));
    EXPECT_EQ(RefusalReason(model_.refused().back().reason), reason);
  }
  EXPECT_TRUE(model_.macros().empty());
  EXPECT_TRUE(model_.settings().macros.empty());
  model_.ClearHistory();

  const auto good = MacroChunks(ValidReport(protocol::kKindMacro, 1, 3), false);
  EXPECT_TRUE(model_.Receive(Link::kWired, good[0]));
  EXPECT_FALSE(model_.Receive(Link::kWired, good[2]));  // chunk 1 skipped
  EXPECT_FALSE(model_.Receive(Link::kWired, good[1]));  // the assembly was dropped
  EXPECT_EQ(model_.rejected(), 2);
  // A resent pass starts over from chunk 0 and completes.
  for (const auto& chunk : good) EXPECT_TRUE(model_.Receive(Link::kWired, chunk));
  EXPECT_EQ(model_.macros().size(), 1u);
}

TEST_F(FirmwareModelTest, AcknowledgesOnTheReceiverOnlyWhileAwakeAndSwitchedOn) {
  const auto lighting = ValidReport(protocol::kKindLighting);
  ASSERT_TRUE(model_.Receive(Link::kWireless, lighting));
  auto statuses = Statuses();
  ASSERT_EQ(statuses.size(), 1u);
  EXPECT_EQ(statuses[0].link, Link::kWireless);
  EXPECT_EQ(statuses[0].code, kStatusAck);
  EXPECT_EQ(statuses[0].value & 0xFF, 0);

  EXPECT_TRUE(model_.Receive(Link::kWired, lighting));
  EXPECT_TRUE(Statuses().empty());

  model_.SetAcks(false);
  EXPECT_TRUE(model_.Receive(Link::kWireless, lighting));
  EXPECT_TRUE(Statuses().empty());

  model_.SetAcks(true);
  model_.Unplug(Link::kWired);
  model_.Sleep();
  const std::size_t logged = model_.log().size();
  EXPECT_TRUE(model_.Receive(Link::kWireless, lighting));  // the receiver takes it...
  EXPECT_EQ(model_.log().size(), logged);                  // ...the mouse never hears it
  EXPECT_TRUE(Statuses().empty());
}

TEST_F(FirmwareModelTest, UnpluggedLinksAndFailedSendsRefuseWithoutCounting) {
  const auto report = ValidReport(protocol::kKindPollingRate, 4);
  model_.Unplug(Link::kWired);
  EXPECT_FALSE(model_.Receive(Link::kWired, report));
  model_.FailSends(2);
  EXPECT_FALSE(model_.Receive(Link::kWireless, report));
  EXPECT_FALSE(model_.Receive(Link::kWireless, report));
  EXPECT_TRUE(model_.Receive(Link::kWireless, report));
  EXPECT_EQ(model_.rejected(), 0);
  EXPECT_EQ(model_.polling_code(), 4);
}

TEST_F(FirmwareModelTest, BatteryReportEveryTwoSecondsOnTheTalkingLink) {
  model_.Tick();
  clock_.Advance(Clock::Ms(1999));
  model_.Tick();
  EXPECT_TRUE(Statuses().empty());

  clock_.Advance(Clock::Ms(1));
  model_.Tick();
  auto statuses = Statuses();
  ASSERT_EQ(statuses.size(), 1u);
  EXPECT_EQ(statuses[0].link, Link::kWired);  // the cable is in
  EXPECT_EQ(statuses[0].code, kStatusBattery);
  EXPECT_EQ(statuses[0].value, 80 << 8 | 1);  // 80 %, discharging

  model_.Unplug(Link::kWired);
  model_.TakeEmissions();
  clock_.Advance(kBatteryPeriod);
  model_.Tick();
  statuses = Statuses();
  ASSERT_EQ(statuses.size(), 1u);
  EXPECT_EQ(statuses[0].link, Link::kWireless);

  model_.Sleep();
  clock_.Advance(kBatteryPeriod * 3);
  model_.Tick();
  EXPECT_TRUE(Statuses().empty());

  // Waking reports at once and restarts the period.
  clock_.Advance(Clock::Ms(500));
  model_.Wake();
  EXPECT_EQ(Statuses().size(), 1u);
  clock_.Advance(Clock::Ms(1999));
  model_.Tick();
  EXPECT_TRUE(Statuses().empty());
  EXPECT_EQ(model_.NextTick(), clock_.Now() + Clock::Ms(1));
}

TEST_F(FirmwareModelTest, ButtonsOnTheMouseReportWhatTheyChanged) {
  // Stages 2 and 5 enabled, stage 2 in use.
  auto performance = ValidReport(protocol::kKindPerformance);
  performance[protocol::PerformanceLayout::kStageMask] = 0b00010010;
  performance[protocol::PerformanceLayout::kDpiStage] = 2;
  protocol::WriteChecksum(performance, protocol::PerformanceLayout::kChecksum);
  ASSERT_TRUE(model_.Receive(Link::kWired, performance));
  EXPECT_EQ(model_.dpi_stage(), 2);

  struct Step {
    std::function<bool()> press;
    uint16_t code;
    uint16_t value;
  };
  const std::vector<Step> steps = {
      {[&] { return model_.PressDpi(std::nullopt); }, kStatusDpiStage, 5},
      {[&] { return model_.PressDpi(std::nullopt); }, kStatusDpiStage, 2},
      {[&] { return model_.PressDpi(8); }, kStatusDpiStage, 8},
      {[&] { return model_.SetLightMode(3); }, kStatusLightMode, 0x30},
      {[&] { return model_.SetPollingCode(8); }, kStatusPollingRate, 8},
      {[&] { return model_.SetBattery(100, BatteryState::kFull), true; }, kStatusBattery, 0x6402},
  };
  for (const Step& step : steps) {
    ASSERT_TRUE(step.press());
    const auto statuses = Statuses();
    ASSERT_EQ(statuses.size(), 1u);
    EXPECT_EQ(statuses[0].code, step.code);
    EXPECT_EQ(statuses[0].value, step.value);
  }
  EXPECT_FALSE(model_.PressDpi(9));
  EXPECT_FALSE(model_.SetLightMode(16));
  EXPECT_FALSE(model_.SetPollingCode(3));
  EXPECT_TRUE(Statuses().empty());
}

TEST_F(FirmwareModelTest, CurrentReportsCarryWhatTheButtonsChangedSince) {
  // A new mouse answers with factory settings the buttons change.
  model_.PressDpi(3);
  const auto factory = model_.CurrentReport(protocol::kKindPerformance);
  ASSERT_TRUE(factory);
  EXPECT_EQ((*factory)[protocol::PerformanceLayout::kDpiStage], 3);
  EXPECT_TRUE(protocol::IsWellFormed(*factory));  // as the program reads it back
  EXPECT_TRUE(model_.CurrentReport(protocol::kKindButtonMap));
  EXPECT_FALSE(model_.LastReport(protocol::kKindPerformance));  // nothing was sent to it

  const auto performance = ValidReport(protocol::kKindPerformance);
  const auto lighting = ValidReport(protocol::kKindLighting);
  const auto polling = ValidReport(protocol::kKindPollingRate, 8);
  for (const auto& report : {performance, lighting, polling})
    ASSERT_TRUE(model_.Receive(Link::kWired, report));
  EXPECT_EQ(model_.CurrentReport(protocol::kKindLighting), lighting);

  model_.PressDpi(6);
  model_.SetLightMode(4);
  model_.SetPollingCode(2);
  const auto current_performance = model_.CurrentReport(protocol::kKindPerformance);
  const auto current_lighting = model_.CurrentReport(protocol::kKindLighting);
  const auto current_polling = model_.CurrentReport(protocol::kKindPollingRate);
  ASSERT_TRUE(current_performance && current_lighting && current_polling);
  EXPECT_EQ((*current_performance)[protocol::PerformanceLayout::kDpiStage], 6);
  EXPECT_EQ((*current_lighting)[protocol::LightingLayout::kMode] >> 4, 4);
  EXPECT_EQ((*current_polling)[protocol::PollingRateLayout::kIntervalCode], 2);
  for (const auto& report : {*current_performance, *current_lighting, *current_polling})
    EXPECT_TRUE(protocol::IsWellFormed(report));
  // What was accepted stays as it came.
  EXPECT_EQ(model_.LastReport(protocol::kKindPerformance), performance);
  EXPECT_FALSE(model_.LastReport(protocol::kKindButtonMap));
}

TEST_F(FirmwareModelTest, PlugAndUnplugAreReportedOnceEach) {
  model_.Unplug(Link::kWireless);
  model_.Unplug(Link::kWireless);
  model_.Plug(Link::kWireless);
  std::vector<ConnectionChange> changes;
  for (const Emission& emission : model_.TakeEmissions()) {
    if (const auto* change = std::get_if<ConnectionChange>(&emission)) changes.push_back(*change);
  }
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_FALSE(changes[0].present);
  EXPECT_TRUE(changes[1].present);
  EXPECT_EQ(changes[1].link, Link::kWireless);
}

std::vector<uint8_t> WithCount(std::vector<uint8_t> report, int adjust = 0) {
  const auto count = static_cast<uint32_t>(static_cast<int>(report.size()) + adjust);
  report.insert(report.begin(),
                {static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8),
                 static_cast<uint8_t>(count >> 16), static_cast<uint8_t>(count >> 24)});
  return report;
}

class FirmwareBleTest : public FirmwareModelTest {
 protected:
  FirmwareBleTest() {
    model_.OfferBluetooth();
    model_.Unplug(Link::kWired);
    model_.Unplug(Link::kWireless);
    model_.Plug(Link::kBle);
  }
  // The status reports sent over Bluetooth since the last call.
  std::vector<std::pair<uint16_t, uint16_t>> Notifications() {
    std::vector<std::pair<uint16_t, uint16_t>> sent;
    for (const StatusReport& status : Statuses()) {
      if (status.link == Link::kBle) sent.emplace_back(status.code, status.value);
    }
    return sent;
  }
};

TEST_F(FirmwareBleTest, TakesWholeReportsBehindTheirCountAndRefusesTheRest) {
  struct Case {
    const char* name;
    std::vector<uint8_t> value;
    bool accepted;
    const char* reason;
  };
  const Case cases[] = {
      {"lighting", WithCount(ValidReport(protocol::kKindLighting)), true, ""},
      {"macro in one write", WithCount(ValidReport(protocol::kKindMacro, 3, 7)), true, ""},
      {"polling rate", WithCount(ValidReport(protocol::kKindPollingRate, 2)), false,
       "not taken over Bluetooth"},
      {"count too large", WithCount(ValidReport(protocol::kKindLighting), 1), false, "byte count"},
      {"count too small", WithCount(ValidReport(protocol::kKindLighting), -1), false, "byte count"},
      {"no count", {0x10, 0x01}, false, "byte count"},
      {"damaged report", WithCount({protocol::kKindLighting, 3, 1}), false, "length"},
  };
  for (const Case& c : cases) {
    model_.ClearHistory();
    EXPECT_EQ(model_.ReceiveBle(c.value), c.accepted) << c.name;
    if (c.accepted) {
      ASSERT_EQ(model_.log().size(), 1u) << c.name;
      EXPECT_EQ(model_.log()[0].link, Link::kBle);
      EXPECT_EQ(model_.log()[0].bytes, std::vector<uint8_t>(c.value.begin() + 4, c.value.end()));
    } else {
      ASSERT_EQ(model_.refused().size(), 1u) << c.name;
      EXPECT_EQ(RefusalReason(model_.refused()[0].reason), c.reason) << c.name;
    }
  }
  EXPECT_EQ(model_.LastReport(protocol::kKindMacro), std::nullopt) << "cleared";
  const auto macro = ValidReport(protocol::kKindMacro, 3, 7);
  ASSERT_TRUE(model_.ReceiveBle(WithCount(macro)));
  EXPECT_EQ(model_.macros().at(7), macro);
  EXPECT_EQ(model_.LastReport(protocol::kKindMacro), macro);
}

TEST_F(FirmwareBleTest, StatusReportsGoOutAsNotificationsWhileConnectedAndAwake) {
  EXPECT_EQ(Notifications(), (std::vector<std::pair<uint16_t, uint16_t>>{{kStatusBattery, 0x5001}}))
      << "the battery at once on connecting";
  model_.PressDpi(4);
  ASSERT_TRUE(model_.ReceiveBle(WithCount(ValidReport(protocol::kKindLighting))));
  clock_.Advance(kBatteryPeriod);
  model_.Tick();
  EXPECT_EQ(Notifications(),
            (std::vector<std::pair<uint16_t, uint16_t>>{{kStatusDpiStage, 4},
                                                        {kStatusAck, protocol::kKindLighting << 8},
                                                        {kStatusBattery, 0x5001}}));
  model_.Sleep();
  model_.PressDpi(5);
  EXPECT_FALSE(model_.ReceiveBle(WithCount(ValidReport(protocol::kKindLighting))));
  model_.Wake();
  model_.Unplug(Link::kBle);
  model_.PressDpi(6);
  EXPECT_EQ(Notifications(), (std::vector<std::pair<uint16_t, uint16_t>>{{kStatusBattery, 0x5001}}))
      << "only the wake-up battery report";
  EXPECT_FALSE(model_.ReceiveBle(WithCount(ValidReport(protocol::kKindLighting))));
}

class ControlCommandTest : public FirmwareModelTest {
 protected:
  ControlResult Command(std::vector<std::string> words) {
    return ApplyControlCommand(model_, words);
  }
};

TEST_F(ControlCommandTest, RefusesMalformedCommands) {
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
      {"battery", "50", "full", "now"},
      {"acks", "maybe"},
      {"polling-rate", "3"},
      {"status", "0x10000", "1"},
      {"fail-sends", "-1"},
      {"ble", "connect"},  // Bluetooth not offered
      {"ble", "pair"}};
  for (const auto& words : refused) {
    const auto result = Command(words);
    EXPECT_FALSE(result.ok) << (words.empty() ? "(none)" : words[0]);
    EXPECT_FALSE(result.text.empty());
  }
  EXPECT_TRUE(model_.TakeEmissions().empty());
}

TEST_F(ControlCommandTest, StateShowsReportsLogAndRefusals) {
  const auto reset = ValidReport(protocol::kKindReset);
  const auto macro = ValidReport(protocol::kKindMacro, 2, 12);
  clock_.Advance(Clock::Ms(250));
  model_.Receive(Link::kWired, reset);
  clock_.Advance(Clock::Ms(100));
  for (const auto& chunk : MacroChunks(macro, true)) model_.Receive(Link::kWireless, chunk);
  model_.Receive(Link::kWired, std::vector<uint8_t>{0x04, 0x00});

  ASSERT_TRUE(Command({"battery", "57"}).ok);  // the state may be left out
  const auto result = Command({"state"});
  ASSERT_TRUE(result.ok);
  const auto state = nlohmann::json::parse(result.text);
  EXPECT_EQ(state["wired"], true);
  EXPECT_EQ(state["receiver"], true);
  EXPECT_EQ(state["awake"], true);
  EXPECT_EQ(state["battery"], 57);
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

  EXPECT_TRUE(Command({"clear"}).ok);
  const auto cleared = nlohmann::json::parse(StateJson(model_));
  EXPECT_TRUE(cleared["log"].empty());
  EXPECT_TRUE(cleared["reports"]["09"].empty());
  EXPECT_EQ(cleared["rejected"], 0);
  EXPECT_TRUE(cleared["refused"].empty());
}

}  // namespace
}  // namespace vexel::sim
