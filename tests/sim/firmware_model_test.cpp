// The virtual mouse's firmware model: what it takes and refuses on each link
// (whole reports behind a 4-byte count on Bluetooth), what it acknowledges and
// reports, and the control commands that drive it.
#include <gtest/gtest.h>

#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>

#include "firmware/control_command.h"
#include "firmware/firmware_model.h"
#include "firmware/state_json.h"
#include "protocol/frame.h"
#include "sim/test_reports.h"

namespace vexel::sim {
namespace {

using namespace protocol;  // the report kinds and layouts
using test::MacroChunks;
using test::ValidReport;
using Sent = std::vector<std::tuple<Link, uint16_t, uint16_t>>;

std::vector<uint8_t> WithCount(std::vector<uint8_t> report, int adjust = 0) {
  const auto count = static_cast<uint32_t>(static_cast<int>(report.size()) + adjust);
  report.insert(report.begin(),
                {static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8),
                 static_cast<uint8_t>(count >> 16), static_cast<uint8_t>(count >> 24)});
  return report;
}

class FirmwareModelTest : public ::testing::Test {
 protected:
  // The status reports emitted since the last call.
  Sent Statuses() {
    Sent statuses;
    for (const Emission& emission : model_.TakeEmissions()) {
      if (const auto* s = std::get_if<StatusReport>(&emission))
        statuses.emplace_back(s->link, s->code, s->value);
    }
    return statuses;
  }
  Sent TickAfter(Clock::Ms wait) {
    clock_.Advance(wait);
    model_.Tick();
    return Statuses();
  }

  ManualClock clock_;
  FirmwareModel model_{clock_};
};

TEST_F(FirmwareModelTest, RefusesDamagedReportsAndChunksWithTheirReason) {
  struct Case {
    const char* reason;
    Link link;
    std::vector<uint8_t> bytes;
    std::vector<std::vector<uint8_t>> taken_first = {};  // chunks of the same macro
  };
  const auto with = [](std::vector<uint8_t> report, std::size_t at, uint8_t value) {
    report[at] = value;
    return report;
  };
  auto short_report = ValidReport(kKindPerformance);
  short_report.pop_back();
  auto dpi_copy = ValidReport(kKindPerformance);
  dpi_copy[PerformanceLayout::kDpiCodesCopy + 3] ^= 1;
  WriteChecksum(dpi_copy, PerformanceLayout::kChecksum);
  const auto lighting = ValidReport(kKindLighting);
  const auto macro = ValidReport(kKindMacro, 3, 4);
  auto bad_checksum = ValidReport(kKindMacro, 1, 3);
  bad_checksum[129] ^= 0x10;
  auto too_many_pairs = ValidReport(kKindMacro, 1, 3);
  too_many_pairs[28] = 51;  // only 50 fit before the checksum
  WriteChecksum(too_many_pairs, MacroLayout::kChecksum);
  const auto bad = MacroChunks(bad_checksum, false);
  const auto many = MacroChunks(too_many_pairs, false);
  const auto good = MacroChunks(ValidReport(kKindMacro, 1, 3), false);
  const std::vector<Case> cases = {
      {"checksum", Link::kWired, with(lighting, 12, lighting[12] ^ 0x01)},
      {"length", Link::kWired, short_report},
      {"length byte", Link::kWired, with(ValidReport(kKindButtonMap), 1, 58)},
      {"polling complement", Link::kWireless, with(ValidReport(kKindPollingRate, 2), 4, 0)},
      {"unknown kind", Link::kWired, {0x07, 0x03, 0x01}},
      {"empty", Link::kWired, {}},
      {"tag byte", Link::kWired, with(lighting, 2, 2)},
      {"bytes after the end", Link::kWired, with(ValidReport(kKindPerformance), 53, 1)},
      {"reset body", Link::kWired, with(ValidReport(kKindReset), 4, 2)},
      {"copies differ", Link::kWired, dpi_copy},
      {"length", Link::kWired, macro},  // a driver link carries a macro only in chunks
      {"chunk marker", Link::kWired, MacroChunks(macro, true)[2]},
      {"chunk marker", Link::kWireless, MacroChunks(macro, false)[2]},
      {"bytes after the end", Link::kWired, with(MacroChunks(macro, false)[2], 40, 1)},
      {"tag byte", Link::kWired, with(MacroChunks(macro, false)[0], 2, 0)},
      {"chunk order", Link::kWired, MacroChunks(macro, false)[2]},
      {"checksum", Link::kWired, bad[2], {bad[0], bad[1]}},
      {"pair count", Link::kWired, many[2], {many[0], many[1]}},
      {"chunk order", Link::kWired, good[2], {good[0]}},  // chunk 1 skipped
      {"chunk order", Link::kWired, good[1]},             // the assembly was dropped
  };
  const FirmwareSettings before = model_.settings();
  for (const Case& c : cases) {
    for (const auto& chunk : c.taken_first) EXPECT_TRUE(model_.Receive(c.link, chunk));
    EXPECT_FALSE(model_.Receive(c.link, c.bytes)) << c.reason;
    ASSERT_FALSE(model_.refused().empty());
    EXPECT_EQ(RefusalReason(model_.refused().back().reason), c.reason);
    EXPECT_EQ(model_.refused().back().entry.bytes, c.bytes) << c.reason;
  }
  EXPECT_EQ(model_.rejected(), static_cast<int>(cases.size()));
  EXPECT_EQ(model_.log().size(), 5u);  // the chunks taken first
  EXPECT_EQ(model_.settings(), before);
  EXPECT_EQ(Statuses(), Sent{});  // no acknowledgement for a refused report
  // A resent pass starts over from chunk 0 and completes.
  for (const auto& chunk : good) EXPECT_TRUE(model_.Receive(Link::kWired, chunk));
  EXPECT_EQ(model_.macros().size(), 1u);
}

// The receiver acknowledges what it took while the mouse is awake; the
// driver tests see the acknowledgement reach the program.
TEST_F(FirmwareModelTest, AcknowledgementsUnpluggedLinksAndFailedSends) {
  const auto report = ValidReport(kKindPollingRate, 4);
  EXPECT_TRUE(model_.Receive(Link::kWired, report));  // no acknowledgement on the cable
  model_.Unplug(Link::kWired);
  model_.Unplug(Link::kWired);
  model_.Plug(Link::kWireless);  // already in
  EXPECT_FALSE(model_.Receive(Link::kWired, report));
  model_.FailSends(2);
  EXPECT_FALSE(model_.Receive(Link::kWireless, report));
  EXPECT_FALSE(model_.Receive(Link::kWireless, report));
  model_.SetAcks(false);
  EXPECT_TRUE(model_.Receive(Link::kWireless, report));
  model_.SetAcks(true);
  model_.Sleep();
  const std::size_t logged = model_.log().size();
  EXPECT_TRUE(model_.Receive(Link::kWireless, report));  // the receiver takes it...
  EXPECT_EQ(model_.log().size(), logged);                // ...the mouse never hears it
  EXPECT_EQ(model_.rejected(), 0);
  EXPECT_EQ(model_.polling_code(), 4);
  const auto emissions = model_.TakeEmissions();
  ASSERT_EQ(emissions.size(), 1u);  // the unplugging, once
  const auto& change = std::get<ConnectionChange>(emissions[0]);
  EXPECT_EQ(std::pair(change.link, change.present), std::pair(Link::kWired, false));
  model_.Wake();
  EXPECT_TRUE(model_.Receive(Link::kWireless, report));
  EXPECT_EQ(Statuses(), (Sent{{Link::kWireless, kStatusBattery, 0x5001},
                              {Link::kWireless, kStatusAck, kKindPollingRate << 8}}));
}

TEST_F(FirmwareModelTest, BatteryReportEveryTwoSecondsOnTheTalkingLink) {
  model_.Tick();
  EXPECT_EQ(TickAfter(Clock::Ms(1999)), Sent{});
  // 80 %, discharging, over the cable while it is in.
  EXPECT_EQ(TickAfter(Clock::Ms(1)), (Sent{{Link::kWired, kStatusBattery, 80 << 8 | 1}}));
  model_.Unplug(Link::kWired);
  EXPECT_EQ(TickAfter(kBatteryPeriod), (Sent{{Link::kWireless, kStatusBattery, 80 << 8 | 1}}));
  model_.Sleep();
  EXPECT_EQ(TickAfter(kBatteryPeriod * 3), Sent{});

  // Waking reports at once and restarts the period.
  clock_.Advance(Clock::Ms(500));
  model_.Wake();
  EXPECT_EQ(Statuses().size(), 1u);
  EXPECT_EQ(TickAfter(Clock::Ms(1999)), Sent{});
  EXPECT_EQ(model_.NextTick(), clock_.Now() + Clock::Ms(1));
}

TEST_F(FirmwareModelTest, ButtonsOnTheMouseReportWhatTheyChangedAndCurrentReportsCarryIt) {
  const auto current = [&](uint8_t kind) {
    return model_.CurrentReport(kind).value_or(std::vector<uint8_t>(64));
  };
  // A new mouse answers with factory settings the buttons change.
  model_.PressDpi(3);
  EXPECT_EQ(current(kKindPerformance)[PerformanceLayout::kDpiStage], 3);
  EXPECT_FALSE(model_.LastReport(kKindPerformance));  // nothing was sent to it

  // Stages 2 and 5 enabled, stage 2 in use.
  auto performance = ValidReport(kKindPerformance);
  performance[PerformanceLayout::kStageMask] = 0b00010010;
  performance[PerformanceLayout::kDpiStage] = 2;
  WriteChecksum(performance, PerformanceLayout::kChecksum);
  for (const auto& report :
       {performance, ValidReport(kKindLighting), ValidReport(kKindPollingRate, 8)})
    ASSERT_TRUE(model_.Receive(Link::kWired, report));
  model_.TakeEmissions();
  for (const auto stage : {std::optional<int>(), std::optional<int>(), std::optional(8)})
    EXPECT_TRUE(model_.PressDpi(stage));
  EXPECT_TRUE(model_.SetLightMode(3));
  EXPECT_TRUE(model_.SetPollingCode(2));
  model_.SetBattery(100, BatteryState::kFull);
  EXPECT_FALSE(model_.PressDpi(9) || model_.SetLightMode(16) || model_.SetPollingCode(3));
  const Link cable = Link::kWired;
  EXPECT_EQ(Statuses(), (Sent{{cable, kStatusDpiStage, 5},
                              {cable, kStatusDpiStage, 2},
                              {cable, kStatusDpiStage, 8},
                              {cable, kStatusLightMode, 0x30},
                              {cable, kStatusPollingRate, 2},
                              {cable, kStatusBattery, 0x6402}}));

  // Read back, the reports carry the changes and stay well-formed; what was
  // accepted stays as it came.
  EXPECT_EQ(current(kKindPerformance)[PerformanceLayout::kDpiStage], 8);
  EXPECT_EQ(current(kKindLighting)[LightingLayout::kMode] >> 4, 3);
  EXPECT_EQ(current(kKindPollingRate)[PollingRateLayout::kIntervalCode], 2);
  for (const uint8_t kind : {kKindPerformance, kKindLighting, kKindPollingRate})
    EXPECT_TRUE(IsWellFormed(current(kind))) << +kind;
  EXPECT_EQ(model_.LastReport(kKindPerformance), performance);
}

class FirmwareBleTest : public FirmwareModelTest {
 protected:
  // Bluetooth alone: every status report goes out over it.
  FirmwareBleTest() {
    model_.OfferBluetooth();
    model_.Unplug(Link::kWired);
    model_.Unplug(Link::kWireless);
    model_.Plug(Link::kBle);
  }
};

TEST_F(FirmwareBleTest, TakesWholeReportsBehindTheirCountAndRefusesTheRest) {
  const struct {
    std::vector<uint8_t> value;
    const char* refused;  // the reason; empty: taken
  } cases[] = {
      {WithCount(ValidReport(kKindLighting)), ""},
      {WithCount(ValidReport(kKindPollingRate, 2)), "not taken over Bluetooth"},
      {WithCount(ValidReport(kKindLighting), 1), "byte count"},
      {WithCount(ValidReport(kKindLighting), -1), "byte count"},
      {{0x10, 0x01}, "byte count"},
      {WithCount({kKindLighting, 3, 1}), "length"},
      {WithCount(ValidReport(kKindMacro, 3, 7)), ""},  // a macro in one write
  };
  for (const auto& c : cases) {
    model_.ClearHistory();
    EXPECT_EQ(model_.ReceiveBle(c.value), *c.refused == '\0') << c.refused;
    if (*c.refused != '\0') {
      EXPECT_EQ(RefusalReason(model_.refused().at(0).reason), c.refused);
    } else {
      EXPECT_EQ(model_.log().at(0).bytes, std::vector<uint8_t>(c.value.begin() + 4, c.value.end()));
    }
  }
  EXPECT_EQ(model_.macros().at(7), ValidReport(kKindMacro, 3, 7)) << "a macro taken in one write";
}

TEST_F(FirmwareBleTest, StatusReportsGoOutAsNotificationsWhileConnectedAndAwake) {
  const Sent battery{{Link::kBle, kStatusBattery, 0x5001}};
  EXPECT_EQ(Statuses(), battery) << "the battery at once on connecting";
  model_.PressDpi(4);
  ASSERT_TRUE(model_.ReceiveBle(WithCount(ValidReport(kKindLighting))));
  EXPECT_EQ(TickAfter(kBatteryPeriod), (Sent{{Link::kBle, kStatusDpiStage, 4},
                                             {Link::kBle, kStatusAck, kKindLighting << 8},
                                             battery[0]}));
  model_.Sleep();
  model_.PressDpi(5);
  EXPECT_FALSE(model_.ReceiveBle(WithCount(ValidReport(kKindLighting))));
  model_.Wake();
  model_.Unplug(Link::kBle);
  model_.PressDpi(6);
  EXPECT_EQ(Statuses(), battery) << "only the wake-up battery report";
  EXPECT_FALSE(model_.ReceiveBle(WithCount(ValidReport(kKindLighting))));
}

// The words of one control command line.
std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  return {std::istream_iterator<std::string>(in), {}};
}

TEST_F(FirmwareModelTest, ControlCommandsRefuseMalformedWords) {
  for (const char* line :
       {"", "fly", "plug", "plug bluetooth", "unplug wired now", "press-dpi 0", "press-dpi 3x",
        "light-mode 16", "battery 256", "battery 50 empty", "battery 50 full now", "acks maybe",
        "polling-rate 3", "status 0x10000 1", "fail-sends -1", "ble pair",
        "ble connect"}) {  // Bluetooth is not offered
    const auto result = ApplyControlCommand(model_, Words(line));
    EXPECT_FALSE(result.ok) << line;
    EXPECT_FALSE(result.text.empty());
  }
  EXPECT_TRUE(model_.TakeEmissions().empty());
}

// The state's reports and log are read back through the real server by the
// driver tests; here the times, the refusals and clearing.
TEST_F(FirmwareModelTest, ControlCommandStateShowsTimesRefusalsAndClears) {
  clock_.Advance(Clock::Ms(250));
  model_.Receive(Link::kWired, ValidReport(kKindReset));
  clock_.Advance(Clock::Ms(100));
  model_.Receive(Link::kWired, std::vector<uint8_t>{0x04, 0x00});
  ASSERT_TRUE(ApplyControlCommand(model_, Words("battery 57")).ok);  // the state may be left out
  const auto result = ApplyControlCommand(model_, Words("state"));
  ASSERT_TRUE(result.ok);
  auto state = nlohmann::json::parse(result.text);
  EXPECT_EQ(state["log"][0].value("t_ms", 0), 250);
  const auto expected = nlohmann::json::parse(R"({"wired": true, "receiver": true, "awake": true,
      "battery": 57, "charging": "discharging", "rejected": 1,
      "refused": [{"link": "wired", "t_ms": 350, "hex": "0400", "reason": "length"}]})");
  for (const auto& [key, value] : expected.items()) EXPECT_EQ(state[key], value) << key;

  EXPECT_TRUE(ApplyControlCommand(model_, Words("clear")).ok);
  state = nlohmann::json::parse(StateJson(model_));
  EXPECT_EQ(state["log"].size() + state["refused"].size() + state["reports"]["09"].size(), 0u);
  EXPECT_EQ(state["reports"]["0c"], nullptr);
}

}  // namespace
}  // namespace vexel::sim
