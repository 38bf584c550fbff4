// The main window's tray battery, its desktop notifications and its ways back
// on desktops with and without a tray: the real page and session on the
// headless toolkit, the mouse played by the fake driver libraries.
#include <gtest/gtest.h>

#include "protocol/status_codes.h"
#include "support/main_window_harness.h"

namespace vexel::testing {
namespace {

constexpr uint16_t kBattery = protocol::kStatusBattery;

class MainWindowTray : public ::testing::Test {
 protected:
  void StartOnReceiver() {
    h.wired.open_result = 0;
    h.Start();
  }
  void Battery(int percent, protocol::BatteryState state = protocol::BatteryState::kDischarging) {
    h.wireless.PostStatus(kBattery, static_cast<uint16_t>(percent << 8 | static_cast<int>(state)));
    h.toolkit.ProcessEvents();
  }
  std::string Tip() { return h.window->tray_icon()->ToolTip(); }
  std::string Icon() { return h.window->tray_icon()->Icon(); }
  std::string Text(const char* key) { return h.window->language().Text(key); }
  MainWindowHarness h;
};

TEST_F(MainWindowTray, BatteryReportsAndDeviceStateReachTheTray) {
  StartOnReceiver();
  struct Step {
    int percent;
    protocol::BatteryState state;
    std::string tip;
    std::string icon;
  };
  using enum protocol::BatteryState;
  const std::vector<Step> steps = {
      {57, kDischarging, "Vexel Gaming Mouse - 57 %", "skins/tray/battery_half.svg"},
      {200, kDischarging, "Vexel Gaming Mouse - 57 %", "skins/tray/battery_half.svg"},
      {90, kCharging, "Vexel Gaming Mouse - charging", "skins/tray/battery_charging.svg"},
      {90, kDischarging, "Vexel Gaming Mouse - 90 %", "skins/tray/battery_full.svg"},
      {10, kDischarging, "Vexel Gaming Mouse - 10 %", "skins/tray/battery_low.svg"},
  };
  for (const Step& step : steps) {
    Battery(step.percent, step.state);
    EXPECT_EQ(Tip(), step.tip);
    EXPECT_EQ(Icon(), step.icon);
  }
  h.wireless.PostConnection(false);
  h.toolkit.ProcessEvents();
  EXPECT_EQ(Tip(), "Vexel Gaming Mouse - not connected");
  EXPECT_EQ(Icon(), "skins/tray/disconnected.svg");
}

TEST_F(MainWindowTray, LowBatteryIsAnnouncedOncePerDischarge) {
  StartOnReceiver();
  for (int percent : {30, 14, 12, 11}) Battery(percent);
  ASSERT_EQ(h.notifier.shown.size(), 1u);
  EXPECT_EQ(h.notifier.shown[0].summary, "Vexel Gaming Mouse - 14 %");
  EXPECT_EQ(h.notifier.shown[0].body, Text("battery_low_text"));
  EXPECT_TRUE(std::filesystem::exists(h.notifier.shown[0].icon));
  Battery(11, protocol::BatteryState::kCharging);
  Battery(13);
  EXPECT_EQ(h.notifier.shown.size(), 2u);
}

TEST_F(MainWindowTray, StartWithoutAMouseIsAnnouncedOnce) {
  h.wired.open_result = 0;
  h.wireless.open_result = 0;
  h.Start();
  h.window->PostMessage(kMsgDeviceState);
  h.toolkit.ProcessEvents();
  ASSERT_EQ(h.notifier.shown.size(), 1u);
  EXPECT_EQ(h.notifier.shown[0].body, Text("waiting_for_mouse_text"));
  EXPECT_EQ(h.notifier.shown[0].summary, "Vexel Gaming Mouse - not connected");
}

TEST_F(MainWindowTray, StartWithAMouseAnnouncesNothing) {
  StartOnReceiver();
  h.wireless.PostConnection(false);  // a mouse that goes later is no start without one
  h.toolkit.ProcessEvents();
  EXPECT_TRUE(h.notifier.shown.empty());
}

// Without a tray nothing may hide the window: closing and a missing mouse
// minimise it instead; with a tray both hide it as before.
TEST_F(MainWindowTray, TheWindowStaysReachableWithoutATray) {
  for (bool tray : {true, false}) {
    SCOPED_TRACE(tray ? "tray" : "no tray");
    MainWindowHarness run;
    run.toolkit.SetTrayAvailable(tray);
    run.wired.open_result = 0;
    run.Start();
    run.window->Show();
    run.toolkit.Input().Click(run.Control("exit_btn"));
    EXPECT_EQ(run.window->IsVisible(), !tray);
    EXPECT_EQ(run.window->IsMinimized(), !tray);

    run.window->BringToFront();
    EXPECT_FALSE(run.Control("no_device_label").IsVisible());
    run.wireless.PostConnection(false);
    run.toolkit.ProcessEvents();
    EXPECT_EQ(run.window->IsVisible(), !tray);
    EXPECT_EQ(run.window->IsMinimized(), !tray);
    EXPECT_TRUE(run.Control("no_device_label").IsVisible());

    run.wired.PostConnection(true);  // the mouse is back: so is the window
    run.toolkit.ProcessEvents();
    EXPECT_TRUE(run.window->IsVisible());
    EXPECT_FALSE(run.window->IsMinimized());
    EXPECT_FALSE(run.Control("no_device_label").IsVisible());
  }
}

}  // namespace
}  // namespace vexel::testing
