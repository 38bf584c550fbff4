// The main window's tray battery, its desktop notifications and its ways back
// on desktops with and without a tray: the real page and session on the
// headless toolkit, the mouse played by the fake driver libraries.
#include <gtest/gtest.h>

#include <fstream>

#include "app/autostart.h"
#include "protocol/status_codes.h"
#include "store/store_folder.h"
#include "support/main_window_harness.h"
#include "toolkit/headless/headless_menu.h"

namespace vexel::testing {
namespace {

using enum protocol::BatteryState;

std::string ReadText(const std::filesystem::path& file) {
  std::ifstream in(file);
  return {std::istreambuf_iterator<char>(in), {}};
}

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

// The readings reach the tray and the low-battery notification (what is due
// when is the tray battery's own table).
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
      {14, kDischarging, "Vexel Gaming Mouse - 14 %", "skins/tray/battery_low.svg"},
      {90, kCharging, "Vexel Gaming Mouse - charging", "skins/tray/battery_charging.svg"},
      {13, kDischarging, "Vexel Gaming Mouse - 13 %", "skins/tray/battery_low.svg"},
  };
  for (const auto& step : steps) {
    Battery(step.percent, step.state);
    EXPECT_EQ(Tip(), step.tip);
    EXPECT_EQ(Icon(), step.icon);
  }
  ASSERT_EQ(h.notifier.shown.size(), 2u);
  EXPECT_EQ(h.notifier.shown[1].summary, "Vexel Gaming Mouse - 13 %");
  EXPECT_EQ(h.notifier.shown[1].body, h.window->language().Text("battery_low_text"));
  EXPECT_TRUE(std::filesystem::exists(h.notifier.shown[1].icon));
  h.wireless.PostConnection(false);
  h.toolkit.ProcessEvents();
  EXPECT_EQ(Tip(), "Vexel Gaming Mouse - not connected");
  EXPECT_EQ(Icon(), "skins/tray/disconnected.svg");
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

// Without a tray nothing may hide the window: it shows the no-mouse state in
// place of the page, a start from the menu brings it forward, and closing it
// ends the program. With a tray the window waits there, as before.
TEST_F(MainWindowTray, WithoutATrayTheWindowStaysAndClosingEnds) {
  for (bool tray : {true, false}) {
    SCOPED_TRACE(tray ? "tray" : "no tray");
    MainWindowHarness run;
    run.toolkit.SetTrayAvailable(tray);
    run.wired.open_result = 0;
    run.Start();
    run.window->Show();
    const auto no_mouse_shown = [&] {
      return run.Control("no_device_box").IsVisible() &&
             !run.Control("device_tab_switch").IsVisible();
    };
    EXPECT_FALSE(no_mouse_shown());
    run.wireless.PostConnection(false);
    run.toolkit.ProcessEvents();
    EXPECT_EQ(run.window->IsVisible(), !tray);
    EXPECT_FALSE(run.window->IsMinimized());
    EXPECT_TRUE(no_mouse_shown());
    EXPECT_EQ(run.Control("device_tab_switch").SelectedPage(), -1);

    run.window->Minimize();
    run.toolkit.ScriptModalClick("btn_ok");
    run.window->PostMessage(kMsgShowInstance);  // a start from the menu
    run.toolkit.ProcessEvents();
    EXPECT_EQ(run.toolkit.ModalLog().size(), tray ? 1u : 0u) << "the no-device box";
    EXPECT_EQ(run.window->IsVisible() && !run.window->IsMinimized(), !tray);

    run.wired.PostConnection(true);  // the mouse is back: so is the page
    run.toolkit.ProcessEvents();
    run.Advance(1000);  // after the arrival wait
    EXPECT_TRUE(run.window->IsVisible() && !run.window->IsMinimized());
    EXPECT_FALSE(no_mouse_shown());
    EXPECT_EQ(run.Control("device_tab_switch").SelectedPage(), 0);

    run.toolkit.Input().Click(run.Control("exit_btn"));
    run.toolkit.ProcessEvents();
    EXPECT_EQ(run.window->IsVisible(), false);
    EXPECT_EQ(run.toolkit.quit_code(), tray ? std::nullopt : std::optional<int>(0));
  }
}

TEST_F(MainWindowTray, StartWithTheDesktopWritesAndRemovesTheLoginEntry) {
  const std::filesystem::path entry = h.data.path() / "config/autostart/vexel.desktop";
  h.Start();
  h.window->SetAutostart(entry, "vexel-mouse --hidden");
  const auto checked = [&] {
    h.toolkit.Input().ClickTrayIcon(*h.window->tray_icon(), true);
    h.toolkit.ProcessEvents();
    auto* menu = static_cast<toolkit::headless::HeadlessMenu*>(h.window->tray_menu());
    return menu->layout().Find("autostart")->checked;
  };
  for (bool on : {true, false}) {
    EXPECT_EQ(checked(), !on);
    ASSERT_TRUE(h.window->tray_menu()->Trigger("autostart"));
    h.toolkit.ProcessEvents();
    EXPECT_EQ(std::filesystem::exists(entry), on);
    EXPECT_EQ(ReadText(entry).find("\nExec=vexel-mouse --hidden\n") != std::string::npos, on);
  }
  EXPECT_FALSE(checked());
}

TEST(Autostart, EntryFollowsTheConfigHomeAndTheCopy) {
  const std::string name = "autostart/io.github.vexel_mouse.VexelMouse.desktop";
  EXPECT_EQ(AutostartFile("/x/config", "/home/u"), "/x/config/" + name);
  EXPECT_EQ(AutostartFile("relative", "/home/u"), "/home/u/.config/" + name);
  EXPECT_EQ(AutostartFile(nullptr, nullptr), "");
  TempDir installed;
  std::ofstream(installed.path() / kInstalledMarker).put('\n');
  EXPECT_EQ(AutostartCommand(installed.path()), "vexel-mouse --hidden");
  EXPECT_EQ(AutostartCommand("/opt/my mouse$"), "\"/opt/my mouse\\\\$/vexel-mouse\" --hidden");
}

}  // namespace
}  // namespace vexel::testing
