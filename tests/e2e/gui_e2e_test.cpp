// The program's main window on the real Qt toolkit under X, with the real
// driver libraries and the virtual mouse: connected, hidden when the mouse
// goes away, back when the cable returns, and ended from the tray menu.
#include "drivers/sim_process.h"
#include "messages/app_messages.h"
#include "qt_window_fixture.h"

namespace vexel::testing {
namespace {

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
  SaveScreenshot(std::string(VEXEL_SOURCE_DIR) + "/docs/screenshots/main-window.png");

  sim.Ctl("unplug wired");
  sim.Ctl("unplug receiver");
  EXPECT_TRUE(PumpUntil([&] { return !window->IsVisible(); }));
  EXPECT_EQ(window->window_device_present(), 0);

  sim.Ctl("plug wired");
  EXPECT_TRUE(PumpUntil([&] { return window->IsVisible(); }));
  EXPECT_TRUE(Visible("ms_1_wired"));

  // The tray's right click (posted as the tray does), then "exit".
  window->PostMessage(kMsgTrayIcon, 0, kTrayRightButtonUp);
  ASSERT_TRUE(PumpUntil([&] { return window->tray_menu() != nullptr; }));
  ASSERT_TRUE(window->tray_menu()->Trigger("exit"));
  EXPECT_EQ(toolkit->RunMessageLoop(), 0);
}

}  // namespace
}  // namespace vexel::testing
