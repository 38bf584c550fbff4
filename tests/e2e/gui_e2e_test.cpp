// The program's main window on the real Qt toolkit under X, with the real
// driver libraries and the virtual mouse: connected, hidden when the mouse
// goes away, back when the cable returns, and ended from the tray menu.
#include <QApplication>
#include <QSystemTrayIcon>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>

#include "drivers/sim_process.h"
#include "messages/app_messages.h"
#include "qt_window_fixture.h"
#include "support/private_x_server.h"

namespace vexel::testing {
namespace {

// A private X server with a stand-alone tray (trayer) at its top right, so
// that no other test on the shared display sees a tray. DISPLAY points at it.
class StandAloneTray {
 public:
  StandAloneTray() {
    if (server_.display().empty()) return;
    setenv("DISPLAY", server_.display().c_str(), 1);
    tray_.emplace(std::vector<std::string>{"/usr/bin/trayer", "--edge", "top", "--align", "right",
                                           "--widthtype", "request", "--heighttype", "pixel",
                                           "--height", "32", "--tint", "0x2a2f3a", "--transparent",
                                           "true", "--alpha", "0"});
  }
  bool running() const { return tray_ && tray_->started(); }
  // The centre of the tray's one icon, from trayer's window.
  std::optional<toolkit::Point> IconCentre() const {
    std::istringstream shell(
        RunCommand("xdotool search --onlyvisible --class trayer getwindowgeometry --shell").out);
    std::map<std::string, int> values;
    for (std::string line; std::getline(shell, line);) {
      const auto equals = line.find('=');
      if (equals != std::string::npos)
        values[line.substr(0, equals)] = std::atoi(&line[equals + 1]);
    }
    if (!values.contains("WIDTH") || values["WIDTH"] < 16) return std::nullopt;  // none docked yet
    return toolkit::Point{values["X"] + values["WIDTH"] / 2, values["Y"] + values["HEIGHT"] / 2};
  }

 private:
  PrivateXServer server_{"1280x1024x24"};
  std::optional<ChildProcess> tray_;
};

class GuiE2E : public QtWindowFixture {
 protected:
  void SetUp() override {
    if (!StartToolkit()) GTEST_SKIP() << "needs an X display";
    ASSERT_TRUE(sim.ready());
    ::setenv("VEXEL_VIRTUAL_MOUSE", sim.socket().c_str(), 1);
    window = std::make_unique<CMainWnd>(*toolkit, Services());
  }
  void TearDown() override {
    QtWindowFixture::TearDown();
    ::unsetenv("VEXEL_VIRTUAL_MOUSE");
  }

  test::SimProcess sim;
};

TEST_F(GuiE2E, ConnectedHiddenShownAndQuitFromTheTray) {
  ASSERT_TRUE(window->Create());
  window->SetScreenRect({0, 0, kMainWindowWidth, kMainWindowHeight});
  window->CenterWindow();
  // Both links opened at start-up.
  EXPECT_TRUE(Visible("ms_1_wired"));
  EXPECT_TRUE(Visible("ms_1_wireless"));
  EXPECT_FALSE(Visible("ms_1_sleep_label"));
  ASSERT_TRUE(PumpUntil([&] { return window->IsVisible(); }));
  PumpUntil([] { return false; }, 0.5);  // let it paint
  SaveScreenshot(std::string(VEXEL_SCREENSHOT_DIR) + "/main-window.png");

  sim.Ctl("unplug wired");
  sim.Ctl("unplug receiver");
  // Into the tray; where there is none (a bare X server) the window stays,
  // showing the no-mouse state in place of the page.
  const bool tray = window->HasTray();
  EXPECT_TRUE(PumpUntil([&] { return window->IsVisible() != tray && !window->IsMinimized(); }));
  EXPECT_EQ(window->window_device_present(), 0);
  EXPECT_TRUE(Visible("no_device_box") && !Visible("device_tab_switch"));

  sim.Ctl("plug wired");
  EXPECT_TRUE(PumpUntil([&] {
    return window->IsVisible() && Visible("ms_1_wired") && Visible("device_tab_switch");
  }));

  // The tray's right click (posted as the tray does): the login entry, then "exit".
  const std::filesystem::path entry = data.path() / "autostart" / "vexel.desktop";
  window->SetAutostart(entry, "vexel-mouse --hidden");
  for (const char* item : {"autostart", "exit"}) {
    window->PostMessage(kMsgTrayIcon, 0, kTrayRightButtonUp);
    ASSERT_TRUE(PumpUntil([&] { return window->tray_menu() && window->tray_menu()->IsOpen(); }));
    ASSERT_TRUE(window->tray_menu()->Trigger(item));
    if (item == std::string_view("autostart")) {
      EXPECT_TRUE(PumpUntil([&] { return std::filesystem::exists(entry); }));
    }
  }
  EXPECT_EQ(toolkit->RunMessageLoop(), 0);
}

// On a display of its own: Qt connects once per process, so this runs only
// as a process of its own (as ctest runs each test).
class GuiE2ETray : public GuiE2E {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists("/usr/bin/trayer")) GTEST_SKIP() << "needs trayer";
    if (QApplication::instance() != nullptr) GTEST_SKIP() << "Qt is on another display already";
    ASSERT_TRUE(tray().running());
    GuiE2E::SetUp();
  }
  // Goes at exit, after Qt's last use of the display.
  static StandAloneTray& tray() {
    static StandAloneTray tray;
    return tray;
  }
};

TEST_F(GuiE2ETray, TrayShowsTheBatteryUnderAStandAloneTray) {
  ASSERT_TRUE(PumpUntil([] { return QSystemTrayIcon::isSystemTrayAvailable(); }));
  ASSERT_TRUE(window->Create());
  ASSERT_TRUE(window->HasTray());
  sim.Ctl("unplug wired");  // on the cable the mouse would be charging
  sim.Ctl("battery 57 discharging");
  toolkit::TrayIcon& icon = *window->tray_icon();
  EXPECT_TRUE(PumpUntil([&] { return icon.ToolTip() == "Vexel Gaming Mouse - 57 %"; }));
  EXPECT_EQ(icon.Icon(), "skins/tray/battery_half.svg");

  // Hovering the icon shows its tooltip.
  std::optional<toolkit::Point> centre;
  ASSERT_TRUE(PumpUntil([&] { return (centre = tray().IconCentre()).has_value(); }));
  for (int step : {-3, 0}) {  // an entry, then a move inside: that starts the tooltip
    RunCommand("xdotool mousemove " + std::to_string(centre->x + step) + " " +
               std::to_string(centre->y + step));
    PumpUntil([] { return false; }, 0.3);
  }
  PumpUntil([] { return false; }, 2.0);
  const int width = QGuiApplication::primaryScreen()->geometry().width();
  SaveScreenshot(std::string(VEXEL_SCREENSHOT_DIR) + "/tray-battery.png",
                 {width - 420, 0, width, 110});

  sim.Ctl("unplug receiver");
  EXPECT_TRUE(PumpUntil([&] { return icon.ToolTip() == "Vexel Gaming Mouse - not connected"; }));
  EXPECT_FALSE(window->IsVisible());  // into the tray, as with any tray
}

}  // namespace
}  // namespace vexel::testing
