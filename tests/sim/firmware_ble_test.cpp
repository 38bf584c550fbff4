// The virtual mouse's Bluetooth side in the firmware model: whole reports
// behind a 4-byte count, no polling rate, status reports as notifications.
#include <gtest/gtest.h>

#include "firmware/firmware_model.h"
#include "sim/test_reports.h"

namespace vexel::sim {
namespace {

using test::ValidReport;

std::vector<uint8_t> WithCount(std::vector<uint8_t> report, int adjust = 0) {
  const auto count = static_cast<uint32_t>(static_cast<int>(report.size()) + adjust);
  report.insert(report.begin(),
                {static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8),
                 static_cast<uint8_t>(count >> 16), static_cast<uint8_t>(count >> 24)});
  return report;
}

class FirmwareBleTest : public ::testing::Test {
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
    for (const Emission& emission : model_.TakeEmissions()) {
      const auto* status = std::get_if<StatusReport>(&emission);
      if (status != nullptr && status->link == Link::kBle)
        sent.emplace_back(status->code, status->value);
    }
    return sent;
  }

  ManualClock clock_;
  FirmwareModel model_{clock_};
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

}  // namespace
}  // namespace vexel::sim
