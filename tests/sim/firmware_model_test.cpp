// The virtual mouse's firmware model: what it takes and refuses on each link
// (whole reports behind a 4-byte count on Bluetooth), what it acknowledges and
// reports, and the program's encoders and delivery against its parser. Its
// control commands, state and timers are driven for real by the driver and
// end-to-end tests.
#include "firmware/firmware_model.h"

#include <gtest/gtest.h>

#include "protocol/apply_cycle.h"
#include "protocol/frame.h"
#include "protocol/recording_host.h"
#include "protocol/report_delivery.h"
#include "protocol/reports.h"
#include "sim/test_reports.h"

namespace vexel::sim {
namespace {

using namespace protocol;  // the report kinds and layouts
using test::MacroChunks;
using test::ValidReport;
using Sent = std::vector<std::tuple<Link, uint16_t, uint16_t>>;

std::vector<uint8_t> WithCount(std::vector<uint8_t> report, int adjust = 0) {
  const auto count = static_cast<uint16_t>(static_cast<int>(report.size()) + adjust);
  report.insert(report.begin(),
                {static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8), 0, 0});
  return report;
}

class FirmwareModelTest : public ::testing::Test {
 protected:
  // The status reports emitted since the last call.
  Sent Statuses() {
    Sent sent;
    for (const Emission& emission : model_.TakeEmissions()) {
      if (const auto* s = std::get_if<StatusReport>(&emission))
        sent.emplace_back(s->link, s->code, s->value);
    }
    return sent;
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
  const auto good_macro = ValidReport(kKindMacro, 1, 3);
  auto too_many_pairs = with(good_macro, 28, 51);  // only 50 fit before the checksum
  WriteChecksum(too_many_pairs, MacroLayout::kChecksum);
  const auto bad = MacroChunks(with(good_macro, 129, good_macro[129] ^ 0x10), false);
  const auto many = MacroChunks(too_many_pairs, false);
  const auto good = MacroChunks(good_macro, false);
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

// The driver tests read back a DPI press; here every button's status report
// and the reports the mouse answers with afterwards.
TEST_F(FirmwareModelTest, ButtonsOnTheMouseReportWhatTheyChangedAndCurrentReportsCarryIt) {
  // Stages 2 and 5 enabled, stage 2 in use.
  auto performance = ValidReport(kKindPerformance);
  performance[PerformanceLayout::kStageMask] = 0b00010010;
  performance[PerformanceLayout::kDpiStage] = 2;
  WriteChecksum(performance, PerformanceLayout::kChecksum);
  for (const auto& report : {performance, ValidReport(kKindLighting)})
    ASSERT_TRUE(model_.Receive(Link::kWired, report));
  model_.TakeEmissions();
  for (const auto stage : {std::optional<int>(), std::optional<int>(), std::optional(8)})
    EXPECT_TRUE(model_.PressDpi(stage));
  EXPECT_TRUE(model_.SetLightMode(3) && model_.SetPollingCode(2));
  model_.SetBattery(100, BatteryState::kFull);
  EXPECT_FALSE(model_.PressDpi(9) || model_.SetLightMode(16) || model_.SetPollingCode(3));
  const Link cable = Link::kWired;
  EXPECT_EQ(Statuses(), (Sent{{cable, kStatusDpiStage, 5},
                              {cable, kStatusDpiStage, 2},
                              {cable, kStatusDpiStage, 8},
                              {cable, kStatusLightMode, 0x30},
                              {cable, kStatusPollingRate, 2},
                              {cable, kStatusBattery, 0x6402}}));
  for (const uint8_t kind : {kKindPerformance, kKindLighting, kKindPollingRate})
    EXPECT_TRUE(IsWellFormed(model_.CurrentReport(kind).value())) << +kind;
  EXPECT_EQ(model_.CurrentReport(kKindLighting).value()[LightingLayout::kMode] >> 4, 3);
  EXPECT_EQ(model_.LastReport(kKindPerformance), performance) << "kept as it came";
}

TEST_F(FirmwareModelTest, BluetoothTakesWholeReportsBehindTheirCountAndRefusesTheRest) {
  model_.OfferBluetooth();
  model_.Unplug(Link::kWired);
  model_.Unplug(Link::kWireless);
  model_.Plug(Link::kBle);
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

TEST(FirmwareEncoderAgreement, FullApplyOfADefaultProfileOverEitherLink) {
  // The default profile with a macro on button 3, so that every kind is sent.
  auto profile = MakeZeroProfile();
  ApplyProfileDefaults(*profile);
  ButtonSlot& slot = profile->button[2];
  slot.function_code = kFunctionMacro;
  slot.macro_mode = 1;
  slot.macro_repeat = 3;
  slot.macro_action_count = 3;
  slot.macro_actions[0] = {0x04, kActionPress, 20};
  slot.macro_actions[1] = {0x04, kActionRelease, 1500};
  slot.macro_actions[2] = {0x05, kActionPress, 0};
  protocol::RecordingHost host(*profile);
  protocol::ApplyCycle cycle(host);
  cycle.SetApplyBlocked(false);
  cycle.SetFullApplyPending(true);
  cycle.Run();
  ASSERT_EQ(host.reports.size(), 6u);  // reset, performance, lighting, polling, buttons, macro

  for (const Link link : {Link::kWired, Link::kWireless}) {
    ManualClock clock;
    FirmwareModel model(clock);
    FirmwareSettings expected = model.settings();
    expected.buttons[2] = {0x12, 0x00, 0x03};  // the macro on button 3
    // 20 ms press; 1500 ms release as 100 ms and seven 200 ms periods; a press.
    expected.macros[3] = {1, 0, 3, {{0x03, 0x04}, {0x8B, 0x04}, {7, 3}, {0x01, 0x05}}};
    protocol::LinkFlags flags;
    protocol::ReportDelivery delivery(flags, clock);
    const protocol::TransportSend send = [&](std::span<const uint8_t> bytes) {
      const bool taken = model.Receive(link, bytes);
      for (const Emission& emission : model.TakeEmissions()) {
        const auto* status = std::get_if<StatusReport>(&emission);
        if (status && status->code == kStatusAck) flags.ack_received = true;
      }
      return taken ? 1 : 0;
    };
    if (link == Link::kWireless) model.Unplug(Link::kWired);
    (link == Link::kWired ? flags.wired_link : flags.wireless_link) = 1;
    flags.wireless_ready = true;
    delivery.SetWiredSend(send);
    delivery.SetWirelessSend(send);
    for (const auto& report : host.reports) EXPECT_NE(delivery.SendReport(report), 0);
    EXPECT_TRUE(model.refused().empty()) << LinkName(link);
    EXPECT_EQ(model.settings(), expected) << LinkName(link);
  }
  // Performance, lighting and polling rate as the factory wrote them.
  const std::vector<std::vector<uint8_t>> sent(host.reports.begin() + 1, host.reports.begin() + 4);
  EXPECT_EQ(sent, std::vector(FactoryReports().begin(), FactoryReports().begin() + 3));
}

}  // namespace
}  // namespace vexel::sim
