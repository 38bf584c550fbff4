// The main window's tray battery, its desktop notifications and its ways back
// on desktops with and without a tray: the real page and session on the
// headless toolkit, the mouse played by the fake driver libraries.
#include <gtest/gtest.h>

#include "protocol/status_codes.h"
#include "support/main_window_harness.h"

namespace vexel::testing {
namespace {

using enum protocol::BatteryState;

class MainWindowTray : public ::testing::Test {
 protected:
  void Battery(int percent, protocol::BatteryState state = kDischarging) {
    h.wireless.PostStatus(protocol::kStatusBattery,
                          static_cast<uint16_t>(percent << 8 | static_cast<int>(state)));
    h.toolkit.ProcessEvents();
  }
  std::string Tip() { return h.window->tray_icon()->ToolTip(); }
  std::string Icon() { return h.window->tray_icon()->Icon(); }
  MainWindowHarness h;
};

TEST_F(MainWindowTray, BatteryReportsAndDeviceStateReachTheTray) {
  h.wired.open_result = 0;  // on the cable the mouse would be charging
  h.Start();
  const struct {
    int percent;
    protocol::BatteryState state;
    std::string tip;
    std::string icon;
  } steps[] = {
      {57, kDischarging, "Vexel Gaming Mouse - 57 %", "skins/tray/battery_half.svg"},
      {200, kDischarging, "Vexel Gaming Mouse - 57 %", "skins/tray/battery_half.svg"},
      {90, kCharging, "Vexel Gaming Mouse - charging", "skins/tray/battery_charging.svg"},
  };
  for (const auto& step : steps) {
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
  h.wired.open_result = 0;
  h.Start();
  for (int percent : {30, 14, 12}) Battery(percent);
  Battery(12, kCharging);
  Battery(13);
  ASSERT_EQ(h.notifier.shown.size(), 2u);
  EXPECT_EQ(h.notifier.shown[0].summary, "Vexel Gaming Mouse - 14 %");
  EXPECT_EQ(h.notifier.shown[0].body, h.window->language().Text("battery_low_text"));
  EXPECT_TRUE(std::filesystem::exists(h.notifier.shown[0].icon));
}

TEST_F(MainWindowTray, OnlyAStartWithoutAMouseIsAnnouncedOnce) {
  for (int open_result : {0, 1}) {
    MainWindowHarness run;
    run.wired.open_result = open_result;
    run.wireless.open_result = 0;
    run.Start();
    run.wired.PostConnection(false);  // a mouse that goes later is no start without one
    run.window->PostMessage(kMsgDeviceState);
    run.toolkit.ProcessEvents();
    ASSERT_EQ(run.notifier.shown.size(), open_result == 0 ? 1u : 0u);
    if (open_result != 0) continue;
    EXPECT_EQ(run.notifier.shown[0].summary, "Vexel Gaming Mouse - not connected");
    EXPECT_EQ(run.notifier.shown[0].body, run.window->language().Text("waiting_for_mouse_text"));
  }
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
    run.Advance(1000);  // after the arrival wait
    EXPECT_TRUE(run.window->IsVisible() && !run.window->IsMinimized());
    EXPECT_FALSE(run.Control("no_device_label").IsVisible());
  }
}

}  // namespace
}  // namespace vexel::testing
