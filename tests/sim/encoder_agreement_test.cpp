// The program's encoders and delivery against the virtual mouse's own parser:
// a full apply of a default profile must be taken whole, and leave the mouse
// holding its factory settings (written down byte by byte in the sim).
#include <gtest/gtest.h>

#include "firmware/firmware_model.h"
#include "protocol/apply_cycle.h"
#include "protocol/recording_host.h"
#include "protocol/report_delivery.h"
#include "protocol/reports.h"

namespace vexel::sim {
namespace {

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
    if (link == Link::kWired) {
      flags.wired_link = 1;
      delivery.SetWiredSend(send);
    } else {
      model.Unplug(Link::kWired);
      flags.wireless_link = 1;
      flags.wireless_ready = true;
      delivery.SetWirelessSend(send);
    }
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
