// Status reports from the mouse, as the driver monitors post them.
#include <cstring>

#include "app/dpi_msg.h"
#include "page_test.h"

namespace vexel::testing {
namespace {

class PageStatus : public ::testing::Test {
 protected:
  void Wireless(uint16_t code, uint16_t value) {
    h.wireless.PostStatus(code, value);
    h.toolkit.ProcessEvents();
  }
  void Wired(uint16_t code, uint16_t value) {
    h.wired.PostStatus(code, value);
    h.toolkit.ProcessEvents();
  }
  Page h;
};

TEST_F(PageStatus, WirelessBatteryWakesTheLinkAndShowsChargingUntilFull) {
  h.wired.open_result = 0;  // receiver only
  h.Start();
  h.Advance(5000);
  Wireless(0x4010, 0x3901);  // 57 %, discharging
  EXPECT_EQ(h.Shown("ms_1_label_power"), "57%");
  EXPECT_FALSE(h.page().session().apply_cycle().apply_blocked());
  // The time-out restarted: 5999 ms later the mouse still counts as awake.
  h.Advance(5999);
  EXPECT_TRUE(h.page().session().links().wireless_ready);
  h.Advance(1);
  EXPECT_TRUE(h.Visible("ms_1_sleep_label"));
  Wireless(0x4010, 0x6403);
  EXPECT_EQ(h.Shown("ms_1_label_power"), "Charging");
  EXPECT_TRUE(h.TimerSet(kTimerChargingAnimation));
  Wireless(0x4010, 0xC801);  // a percent above 100 leaves the bar full
  EXPECT_FALSE(h.TimerSet(kTimerChargingAnimation));
  EXPECT_EQ(h.Shown("ms_1_label_power"), "100%");
}

TEST_F(PageStatus, BatteryOverTheCableShowsChargingOrFull) {
  h.Start();  // on the cable the page shows charging until a report says otherwise
  EXPECT_EQ(h.Control("ms_1_label_power").Text(), "charging_text");
  for (const int value : {0, 2}) {
    h.Advance(30);
    EXPECT_EQ(h.Control("ms_1_progress_power").Value(), value);
  }
  Wired(0x4010, 0x0001);
  EXPECT_TRUE(h.TimerSet(kTimerChargingAnimation));
  Wired(0x4010, 0x0002);
  EXPECT_FALSE(h.TimerSet(kTimerChargingAnimation));
  EXPECT_FALSE(h.ControlTimerSet("ms_1_progress_power", kTimerWiredChargingAnimation));
  h.Advance(100);
  EXPECT_EQ(h.Control("ms_1_progress_power").Value(), 100);
}

TEST_F(PageStatus, DpiStageFromTheMouseIsShownAndNotSentBackOthersAreIgnored) {
  h.Start();
  const ProfileRecord before = h.Edited();
  for (const auto& [code, value] : std::vector<std::pair<uint16_t, uint16_t>>{{0x1010, 0},
                                                                              {0x1010, 9},
                                                                              {0x1011, 3},
                                                                              {0x2010, 3},
                                                                              {0x2010, 9},
                                                                              {0x8010, 6},
                                                                              {0x6010, 5}}) {
    Wired(code, value);  // out of range, or not a status or interval code
  }
  const ProfileRecord after = h.Edited();
  EXPECT_EQ(std::memcmp(&before, &after, sizeof(after)), 0);
  EXPECT_EQ(h.window->dpi_indicator(), nullptr);
  Wired(0x1010, 3);
  const ProfileRecord edited = h.Edited();
  EXPECT_TRUE(h.Control("ms_1_option_dpi_step_3").IsChecked());
  ASSERT_NE(h.window->dpi_indicator(), nullptr);
  EXPECT_EQ(h.window->dpi_indicator()->text(), "DPI :" + std::to_string(edited.dpi_x[2] * 100));
  const ProfileRecord baseline = h.page().session().apply_cycle().Baseline();
  EXPECT_EQ(std::memcmp(&edited, &baseline, sizeof(edited)), 0);
  // The full apply after start-up is still pending; after it, nothing for the stage.
  h.window->PostMessage(kMsgApplyRequest);
  h.Settle();
  const std::size_t sent = h.SentCount();
  h.window->PostMessage(kMsgApplyRequest);
  h.Settle();
  EXPECT_EQ(h.SentCount(), sent);
}

TEST_F(PageStatus, AcknowledgementLightModeAndPollingRate) {
  h.Start();
  Wired(0x5010, 0x0100);  // only the low byte counts
  EXPECT_TRUE(h.page().session().links().ack_received);
  Wired(0x7010, 0x0025);
  EXPECT_EQ(h.Control("ms_1_combo_light").SelectedItem(), 2);
  EXPECT_TRUE(h.Visible("ms_1_ver_breathspeed")) << "the rows follow the effect";
  Wired(0x2010, 4);
  EXPECT_EQ(h.Edited().polling_rate, 1);
  EXPECT_EQ(h.Shown("ms_1_label_prate"), "250 Hz");
}

TEST_F(PageStatus, AFailedSaveIsShownOncePerStreakAndNothingIsLost) {
  h.Start();
  const std::filesystem::path file = h.page().store().paths().ProfilesFile();
  // A directory where pro.data belongs: no save can replace it, root or not.
  const auto block = [&] {
    std::filesystem::remove(file);
    std::filesystem::create_directories(file / "blocker");
    h.AnswerBox("btn_ok");
  };
  block();
  Wired(0x1010, 2);
  Wired(0x1010, 3);  // still failing: no second box
  ASSERT_EQ(h.boxes.size(), 1u);
  EXPECT_NE(h.boxes[0].find(file.string()), std::string::npos) << h.boxes[0];
  std::filesystem::remove_all(file);
  Wired(0x1010, 4);
  ProfileList saved;
  LoadProfiles(StorePaths{file.parent_path()}, saved, *MakeZeroHeader(), u"x", {false});
  ASSERT_FALSE(saved.empty());
  EXPECT_EQ(saved[0]->dpi_stage_current, 3) << "the change made while saves failed";
  block();  // a new streak is shown again
  Wired(0x1010, 5);
  EXPECT_EQ(h.boxes.size(), 2u);
}

}  // namespace
}  // namespace vexel::testing
