// The program's main window on the real Qt toolkit under X, with the real
// driver libraries, the virtual mouse and a real tray: connected, the
// battery in the tray, hidden into it when the mouse goes, ended from its menu.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QSystemTrayIcon>
#include <filesystem>
#include <functional>

#include "app/main_wnd.h"
#include "drivers/sim_process.h"
#include "messages/app_messages.h"
#include "platform/posix/dl_library_loader.h"
#include "platform/posix/hidapi_probe.h"
#include "support/private_x_server.h"
#include "toolkit/control.h"
#include "toolkit/qt/qt_toolkit.h"

namespace vexel::testing {
namespace {

// A private X server with a stand-alone tray (trayer) at its top right, so
// that no other test on the shared display sees a tray. DISPLAY points at it.
struct StandAloneTray {
  PrivateXServer server{"1280x1024x24"};
  bool on_display =
      !server.display().empty() && ::setenv("DISPLAY", server.display().c_str(), 1) == 0;
  ChildProcess trayer{{"/usr/bin/trayer", "--edge", "top", "--align", "right", "--widthtype",
                       "request", "--heighttype", "pixel", "--height", "32", "--tint", "0x2a2f3a",
                       "--transparent", "true", "--alpha", "0"}};
};

// On a display of its own: Qt connects once per process, so this runs only
// as a process of its own (as ctest runs each test).
TEST(GuiE2ETray, ConnectedShowsTheBatteryHidesIntoTheTrayAndQuitsFromItsMenu) {
  if (!std::filesystem::exists("/usr/bin/trayer")) GTEST_SKIP() << "needs trayer";
  if (QApplication::instance() != nullptr) GTEST_SKIP() << "Qt is on another display already";
  static StandAloneTray tray;  // goes at exit, after Qt's last use of the display
  ASSERT_TRUE(tray.on_display && tray.trayer.started());
  test::SimProcess sim;
  ASSERT_TRUE(sim.ready());
  ::setenv("VEXEL_VIRTUAL_MOUSE", sim.socket().c_str(), 1);
  ::setenv("QT_QPA_PLATFORM", "xcb", 1);
  TempDir data;
  SteadyClock clock;
  DlLibraryLoader loader;
  HidapiProbe probe;
  toolkit::qt::QtToolkit qt(clock);
  qt.SetResourceFolder(std::string(VEXEL_BIN_DIR) + "/res");
  CMainWnd window(qt,
                  PageServices{clock, loader, probe, VEXEL_BIN_DIR, StorePaths{data.path()}, {}});
  // Runs the UI until `done` holds or `seconds` pass.
  const auto pump_until = [&](const std::function<bool()>& done, double seconds = 5) {
    return WaitFor(
        [&] {
          qt.ProcessEvents();
          return done();
        },
        seconds);
  };
  const auto save_screenshot = [](const std::string& name, toolkit::Rect rect) {
    QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0, rect.left, rect.top,
                                                                rect.Width(), rect.Height());
    EXPECT_TRUE(shot.save(QString::fromStdString(std::string(VEXEL_SCREENSHOT_DIR) + name), "PNG"));
  };

  ASSERT_TRUE(pump_until([] { return QSystemTrayIcon::isSystemTrayAvailable(); }));
  ASSERT_TRUE(window.Create());
  ASSERT_TRUE(window.HasTray());
  window.SetScreenRect({0, 0, kMainWindowWidth, kMainWindowHeight});
  window.CenterWindow();
  ASSERT_TRUE(pump_until([&] {
    const toolkit::Control* wired = window.FindControl("ms_1_wired");
    return window.IsVisible() && wired != nullptr && wired->IsVisible();
  }));
  pump_until([] { return false; }, 0.5);  // let it paint
  save_screenshot("/main-window.png", window.ScreenRect());
  sim.Ctl("unplug wired");  // on the cable the mouse would be charging
  sim.Ctl("battery 57 discharging");
  toolkit::TrayIcon& icon = *window.tray_icon();
  EXPECT_TRUE(pump_until([&] { return icon.ToolTip() == "Vexel Gaming Mouse - 57 %"; }));
  EXPECT_EQ(icon.Icon(), "skins/tray/battery_half.svg");

  pump_until([] { return false; }, 1.0);  // let the tray paint
  const int width = QGuiApplication::primaryScreen()->geometry().width();
  save_screenshot("/tray-battery.png", {width - 420, 0, width, 110});

  sim.Ctl("unplug receiver");
  EXPECT_TRUE(pump_until([&] { return icon.ToolTip() == "Vexel Gaming Mouse - not connected"; }));
  EXPECT_TRUE(pump_until([&] { return !window.IsVisible(); }));  // into the tray

  // The tray's right click (posted as the tray does): the login entry, then "exit".
  const std::filesystem::path entry = data.path() / "autostart" / "vexel.desktop";
  window.SetAutostart(entry, "vexel-mouse --hidden");
  for (const char* item : {"autostart", "exit"}) {
    window.PostMessage(kMsgTrayIcon, 0, kTrayRightButtonUp);
    ASSERT_TRUE(pump_until([&] { return window.tray_menu() && window.tray_menu()->IsOpen(); }));
    ASSERT_TRUE(window.tray_menu()->Trigger(item));
  }
  EXPECT_EQ(qt.RunMessageLoop(), 0);
  EXPECT_TRUE(std::filesystem::exists(entry));
}

}  // namespace
}  // namespace vexel::testing
