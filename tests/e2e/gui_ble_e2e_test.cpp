// The main window on Qt with the virtual mouse on Bluetooth alone, over a
// private bus, with the real BlueZ platform and presence watcher: the first
// apply goes over "ble" without the polling rate, a DPI press reaches the
// page, and the window hides when the mouse goes and returns when it comes.
#include "messages/app_messages.h"
#include "platform/linux/bluez/bluez_gatt_platform.h"
#include "platform/linux/bluez/bluez_presence_watcher.h"
#include "platform/linux/bluez/private_bus.h"
#include "qt_window_fixture.h"
#include "support/accepted_reports.h"

namespace vexel::testing {
namespace {

class GuiBleE2E : public QtWindowFixture {
 protected:
  void SetUp() override {
    if (!StartToolkit()) GTEST_SKIP() << "needs an X display";
    ASSERT_TRUE(bus.running());
    ::setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    sim.emplace(true);
    ASSERT_TRUE(sim->ready());
    ::setenv("VEXEL_VIRTUAL_MOUSE", sim->socket().c_str(), 1);
    ASSERT_EQ(sim->Ctl("unplug wired"), "ok\n");
    ASSERT_EQ(sim->Ctl("unplug receiver"), "ok\n");
    gatt.emplace();
    PageServices services = Services();
    services.gatt_platform = &*gatt;
    window = std::make_unique<CMainWnd>(*toolkit, std::move(services), nullptr,
                                        std::make_unique<bluez::BluezPresenceWatcher>());
  }
  void TearDown() override {
    QtWindowFixture::TearDown();
    gatt.reset();
    sim.reset();
    ::unsetenv("VEXEL_VIRTUAL_MOUSE");
  }

  int EditedDpiStage() {
    auto access = window->page().store().Lock();
    return access->EditedProfile()->dpi_stage_current;
  }

  bluez::PrivateSystemBus bus;  // first: everything below uses it
  TempDir runtime;
  std::optional<test::SimProcess> sim;
  std::optional<bluez::BluezGattPlatform> gatt;  // outlives the window
};

TEST_F(GuiBleE2E, AppliedOverBluetoothFollowsTheMouseAndHidesWhenItGoes) {
  ASSERT_TRUE(window->Create());
  window->SetScreenRect({0, 0, kMainWindowWidth, kMainWindowHeight});
  window->CenterWindow();
  EXPECT_EQ(window->page().session().links().ble_link, 1);
  ASSERT_TRUE(PumpUntil([&] { return window->IsVisible(); }));
  EXPECT_TRUE(Visible("ms_1_BLE"));
  EXPECT_FALSE(Visible("ms_1_wired"));
  EXPECT_FALSE(Visible("ms_1_sleep_label"));

  // Apply, as the apply button asks for it: the first one after start-up is
  // full, all but the polling rate (their bytes are the session's and
  // vexelctl's business).
  window->PostMessage(kMsgApplyRequest);
  EXPECT_TRUE(PumpUntil([&] { return Accepted(*sim, "ble").size() >= 4; }, 15));
  std::vector<std::string> kinds;
  for (const std::string& hex : Accepted(*sim, "ble")) kinds.push_back(hex.substr(0, 2));
  EXPECT_EQ(kinds, (std::vector<std::string>{"0c", "04", "05", "08"}));
  PumpUntil([] { return false; }, 0.5);  // let it paint
  SaveScreenshot(std::string(VEXEL_BIN_DIR) + "/../gui-ble.png");

  // A DPI press on the mouse arrives as a notification.
  ASSERT_EQ(sim->Ctl("press-dpi 5"), "ok\n");
  EXPECT_TRUE(PumpUntil([&] { return EditedDpiStage() == 4; }));

  ASSERT_EQ(sim->Ctl("ble disconnect"), "ok\n");
  // Hidden into the tray; where there is none the no-mouse state shows instead.
  EXPECT_TRUE(PumpUntil(
      [&] { return window->HasTray() ? !window->IsVisible() : Visible("no_device_box"); }));
  EXPECT_EQ(window->page().session().links().ble_link, 0);
  EXPECT_EQ(window->window_device_present(), 0);

  ASSERT_EQ(sim->Ctl("ble connect"), "ok\n");
  EXPECT_TRUE(PumpUntil([&] { return window->IsVisible() && !Visible("no_device_box"); }));
  EXPECT_EQ(window->page().session().links().ble_link, 1);
}

}  // namespace
}  // namespace vexel::testing
