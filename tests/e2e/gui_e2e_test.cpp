// The program's main window on the real Qt toolkit under X, with the real
// driver libraries and the virtual mouse: connected, hidden when the mouse
// goes away, back when the cable returns, and ended from the tray menu.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <chrono>
#include <thread>

#include "app/main_wnd.h"
#include "messages/app_messages.h"
#include "drivers/sim_process.h"
#include "platform/posix/dl_library_loader.h"
#include "platform/posix/hidapi_probe.h"
#include "support/run_command.h"
#include "toolkit/control.h"
#include "toolkit/qt/qt_toolkit.h"

namespace vexel::testing {
namespace {

class GuiE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "needs an X display";
    ASSERT_TRUE(sim.ready());
    ::setenv("VEXEL_VIRTUAL_MOUSE", sim.socket().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    toolkit = std::make_unique<toolkit::qt::QtToolkit>(clock);
    toolkit->SetResourceFolder(std::string(VEXEL_BIN_DIR) + "/res");
    window = std::make_unique<CMainWnd>(
        *toolkit, PageServices{clock, loader, probe, VEXEL_BIN_DIR, StorePaths{data.path()}, {}});
  }
  void TearDown() override {
    window.reset();
    toolkit.reset();
    ::unsetenv("VEXEL_VIRTUAL_MOUSE");
  }

  // Runs the UI until `done` holds or `seconds` pass.
  template <typename Done>
  bool PumpUntil(Done done, double seconds = 5) {
    const auto end = std::chrono::steady_clock::now() +
                     std::chrono::milliseconds(static_cast<int>(seconds * 1000));
    while (std::chrono::steady_clock::now() < end) {
      toolkit->ProcessEvents();
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
  }

  bool Visible(const char* control) {
    toolkit::Control* found = window->FindControl(control);
    return found != nullptr && found->IsVisible();
  }

  void SaveScreenshot(const std::string& path) {
    const toolkit::Rect rect = window->ScreenRect();
    QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0, rect.left, rect.top,
                                                                rect.Width(), rect.Height());
    ASSERT_FALSE(shot.isNull());
    ASSERT_TRUE(shot.save(QString::fromStdString(path), "PNG"));
  }

  test::SimProcess sim;
  TempDir data;
  SteadyClock clock;
  DlLibraryLoader loader;
  HidapiProbe probe;
  std::unique_ptr<toolkit::qt::QtToolkit> toolkit;
  std::unique_ptr<CMainWnd> window;
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
  SaveScreenshot(std::string(VEXEL_SOURCE_DIR) + "/docs/screenshots/main-window.png");

  sim.Ctl("unplug wired");
  sim.Ctl("unplug receiver");
  // Into the tray; where there is none (a bare X server) minimised instead,
  // showing the no-device text.
  const bool tray = window->HasTray();
  EXPECT_TRUE(PumpUntil([&] { return tray ? !window->IsVisible() : window->IsMinimized(); }));
  EXPECT_EQ(window->window_device_present(), 0);
  EXPECT_TRUE(Visible("no_device_label"));

  sim.Ctl("plug wired");
  EXPECT_TRUE(PumpUntil([&] { return window->IsVisible() && !window->IsMinimized(); }));
  EXPECT_TRUE(Visible("ms_1_wired"));

  // The tray's right click (posted as the tray does), then "exit".
  window->PostMessage(kMsgTrayIcon, 0, kTrayRightButtonUp);
  ASSERT_TRUE(PumpUntil([&] { return window->tray_menu() != nullptr; }));
  ASSERT_TRUE(window->tray_menu()->Trigger("exit"));
  EXPECT_EQ(toolkit->RunMessageLoop(), 0);
}

}  // namespace
}  // namespace vexel::testing
