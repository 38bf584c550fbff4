// The program's encoders and delivery against the virtual mouse's own parser:
// a full apply of a default profile must be taken whole, and what the mouse
// then holds must say what the profile says.
#include <gtest/gtest.h>

#include "firmware/firmware_model.h"
#include "protocol/apply_cycle.h"
#include "protocol/recording_host.h"
#include "protocol/report_delivery.h"
#include "protocol/reports.h"

namespace vexel::sim {
namespace {

std::unique_ptr<ProfileRecord> DefaultProfile() {
  auto profile = MakeZeroProfile();
  ApplyProfileDefaults(*profile);
  return profile;
}

// The default profile with a macro on button 3, so that every kind is sent.
std::unique_ptr<ProfileRecord> DefaultProfileWithMacro() {
  auto profile = DefaultProfile();
  ButtonSlot& slot = profile->button[2];
  slot.function_code = kFunctionMacro;
  slot.macro_mode = 1;
  slot.macro_repeat = 3;
  slot.macro_action_count = 3;
  slot.macro_actions[0] = {0x04, kActionPress, 20};
  slot.macro_actions[1] = {0x04, kActionRelease, 1500};
  slot.macro_actions[2] = {0x05, kActionPress, 0};
  return profile;
}

Rgb RgbOf(Colour colour) {
  return {colour.red, colour.green, colour.blue};
}

// What the mouse must hold after taking `profile`, field by field.
FirmwareSettings Expected(const ProfileRecord& profile) {
  FirmwareSettings settings;
  settings.lift_off_distance = static_cast<uint8_t>(profile.lift_off_distance);
  for (int i = 0; i < kStageCount; ++i) {
    const auto dpi = protocol::DpiCodeOf(profile.dpi_x[i]);
    if (profile.dpi_stage_enabled[i] == 1) settings.stage_mask |= static_cast<uint8_t>(1 << i);
    if (dpi.high_range) settings.high_range_mask |= static_cast<uint8_t>(1 << i);
    settings.dpi_codes[i] = dpi.code;
    settings.stage_colours[i] = RgbOf(profile.dpi_colour[i]);
  }
  settings.dpi_stage = profile.dpi_stage_current + 1;
  settings.light_mode = profile.light_mode;
  settings.sleep_timer = static_cast<uint8_t>(profile.sleep_timer);
  settings.breath_code = static_cast<uint8_t>(9 - profile.light_breath_speed);
  settings.brightness = profile.light_mode == 1 || profile.light_mode == 9
                            ? static_cast<uint8_t>(profile.light_brightness)
                            : 8;
  settings.light_colour = RgbOf(profile.light_colour);
  settings.light_off_timer = static_cast<uint8_t>(profile.light_off_timer);
  settings.key_debounce = static_cast<uint8_t>(profile.key_debounce);
  settings.polling_code = protocol::PollingIntervalCode(profile.polling_rate);
  for (int s = 0; s < kUsedButtonCount; ++s) {
    const auto code = protocol::ButtonCodeTriple(s, profile.button[s]);
    settings.buttons[s] = {code.c0, code.c1, code.c2};
  }
  return settings;
}

TEST(FirmwareEncoderAgreement, ANewMouseHoldsWhatADefaultProfileSays) {
  ManualClock clock;
  EXPECT_EQ(FirmwareModel(clock).settings(), Expected(*DefaultProfile()));
}

TEST(FirmwareEncoderAgreement, FullApplyOfADefaultProfileOverEitherLink) {
  const auto profile = DefaultProfileWithMacro();
  protocol::RecordingHost host(*profile);
  protocol::ApplyCycle cycle(host);
  cycle.SetApplyBlocked(false);
  cycle.SetFullApplyPending(true);
  cycle.Run();
  ASSERT_EQ(host.reports.size(), 6u);  // reset, performance, lighting, polling, buttons, macro

  for (const Link link : {Link::kWired, Link::kWireless}) {
    ManualClock clock;
    FirmwareModel model(clock);
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
    FirmwareSettings expected = Expected(*profile);
    // 20 ms press; 1500 ms release as 100 ms and seven 200 ms periods; a press.
    expected.macros[3] = {1, 0, 3, {{0x03, 0x04}, {0x8B, 0x04}, {7, 3}, {0x01, 0x05}}};
    EXPECT_EQ(model.settings(), expected) << LinkName(link);
  }
}

}  // namespace
}  // namespace vexel::sim
