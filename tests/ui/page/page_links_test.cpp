// The link half of the page in virtual time: start-up with each combination of
// links, arrivals and removals, teardown, and delivery through the libraries.
#include <gtest/gtest.h>

#include "support/main_window_harness.h"

namespace vexel::testing {
namespace {

struct StartupCase {
  bool wired;
  bool wireless;
  bool ble;
};

class PageStartup : public ::testing::TestWithParam<StartupCase> {};

TEST_P(PageStartup, FlagsIconsAndDeviceState) {
  const StartupCase c = GetParam();
  MainWindowHarness h;
  h.wired.open_result = c.wired;
  h.wireless.open_result = c.wireless;
  h.probe.present = c.ble;
  h.Start();
  CMS_1_Page& page = h.page();
  EXPECT_EQ(page.session().links().wired_link, c.wired ? 1 : 0);
  EXPECT_EQ(page.session().links().wireless_link, c.wireless ? 1 : 0);
  EXPECT_EQ(page.session().links().ble_link, c.ble ? 1 : 0);
  const bool present = c.wired || c.wireless || c.ble;
  EXPECT_EQ(page.device_present(), present ? 1 : 0);
  EXPECT_EQ(h.window->window_device_present(), present ? 1 : 0);  // 1128 arrived
  EXPECT_EQ(h.window->IsVisible(), present);
  // Applying is unblocked by the cable or BLE; the receiver waits for a battery report.
  EXPECT_EQ(page.session().apply_cycle().apply_blocked(), !(c.wired || c.ble));
  EXPECT_EQ(h.TimerSet(kTimerWirelessTimeout), c.wireless);
  EXPECT_EQ(h.Control("ms_1_wired").IsVisible(), c.wired);
  EXPECT_EQ(h.Control("ms_1_wireless").IsVisible(), c.wireless);
  EXPECT_EQ(h.Control("ms_1_BLE").IsVisible(), c.ble);
  EXPECT_EQ(h.Control("ms_1_sleep_label").IsVisible(), !(c.wired || c.ble));
  // Nothing BLE cannot carry is offered until the cable or a woken receiver can.
  const bool ble_only = c.ble && !c.wired;
  for (const char* check : {"ms_1_check_prate", "ms_1_check_key_debounce"}) {
    EXPECT_EQ(h.Control(check).IsVisible(), !ble_only) << check;
    EXPECT_FALSE(ble_only && h.Control(check).IsChecked()) << check;
  }
  EXPECT_FALSE(ble_only && h.Control("ms_1_ver_prate").IsVisible());
  EXPECT_FALSE(ble_only && h.Control("ms_1_hor_key_debounce").IsVisible());
  EXPECT_EQ(h.probe.asked_vendor, 0x045E);
  EXPECT_EQ(h.probe.asked_product, 0x0040);
  EXPECT_EQ(h.wired.Calls().at(0), "Set_VIDPID 7511 64097");
  EXPECT_EQ(h.wired.Calls().at(1), "Open_DevMonitor 1539 1540");
  EXPECT_EQ(h.wireless.Calls().at(0), "Set_VIDPID 7511 64096");
  EXPECT_EQ(h.wireless.Calls().at(1), "Open_DevMonitor 1537 1538");
}

INSTANTIATE_TEST_SUITE_P(
    AllLinkCombinations, PageStartup,
    ::testing::Values(StartupCase{false, false, false}, StartupCase{true, false, false},
                      StartupCase{false, true, false}, StartupCase{false, false, true},
                      StartupCase{true, true, false}, StartupCase{false, true, true},
                      StartupCase{true, true, true}));

TEST(PageLinks, WiredStartShowsChargingAnimation) {
  MainWindowHarness h;
  h.Start();
  toolkit::Control& label = h.Control("ms_1_label_power");
  EXPECT_EQ(label.GetTextMode(), toolkit::TextMode::kLanguageKey);
  EXPECT_EQ(label.Text(), "charging_text");
  std::vector<int> values;
  for (int i = 0; i < 3; ++i) {
    h.Advance(30);
    values.push_back(h.Control("ms_1_progress_power").Value());
  }
  EXPECT_EQ(values, (std::vector<int>{0, 2, 4}));
}

TEST(PageLinks, ArrivalsAndRemovals) {
  MainWindowHarness h;
  h.wired.open_result = 0;
  h.Start();  // receiver only
  CMS_1_Page& page = h.page();

  // A second arrival of an open link changes nothing and does not reopen it.
  h.wireless.PostConnection(true);
  h.toolkit.ProcessEvents();
  EXPECT_EQ(h.wireless.CountCalls("Open_FeatureDevice"), 1);

  // The cable arrives: a 1000 ms wait, then it opens and unblocks applying.
  h.wired.PostConnection(true);
  h.toolkit.ProcessEvents();
  h.Advance(999);
  EXPECT_EQ(page.session().links().wired_link, 0);
  h.Advance(1);
  EXPECT_EQ(page.session().links().wired_link, 1);
  EXPECT_EQ(h.wired.CountCalls("Open_FeatureDevice"), 2);
  EXPECT_FALSE(page.session().apply_cycle().apply_blocked());
  EXPECT_TRUE(h.ControlTimerSet("ms_1_progress_power", kTimerWiredChargingAnimation));

  // The cable goes while the receiver stays: blocked again, still present.
  h.wired.PostConnection(false);
  h.toolkit.ProcessEvents();
  EXPECT_EQ(page.session().links().wired_link, 2);
  EXPECT_TRUE(page.session().apply_cycle().apply_blocked());
  EXPECT_EQ(page.device_present(), 1);
  EXPECT_TRUE(h.window->IsVisible());
  EXPECT_EQ(h.Control("ms_1_label_power").Text(), "");
  EXPECT_FALSE(h.ControlTimerSet("ms_1_progress_power", kTimerWiredChargingAnimation));
  h.wired.PostConnection(false);  // repeated removal: ignored
  h.toolkit.ProcessEvents();
  EXPECT_EQ(h.wired.CountCalls("Close_FeatureDevice"), 1);

  // The receiver goes too: the device is gone and the window hides.
  h.wireless.PostConnection(false);
  h.toolkit.ProcessEvents();
  EXPECT_EQ(page.session().links().wireless_link, 2);
  EXPECT_FALSE(h.TimerSet(kTimerWirelessTimeout));
  EXPECT_EQ(page.device_present(), 0);
  EXPECT_FALSE(h.window->IsVisible());

  // A connection message with another wParam is ignored.
  h.wireless.target.post(h.wireless.target.ctx, kMsgWirelessConnection, 7, 0);
  h.toolkit.ProcessEvents();
  EXPECT_EQ(page.session().links().wireless_link, 2);
}

TEST(PageLinks, MissingLibraryMakesThatTransportAbsent) {
  MainWindowHarness h;
  h.loader.missing["hiddriver_2.so"] = true;
  h.Start();
  EXPECT_EQ(h.page().session().links().wired_link, 0);
  EXPECT_EQ(h.page().session().links().wireless_link, 1);
  EXPECT_TRUE(h.wired.Calls().empty());
}

TEST(PageLinks, TeardownClosesInOrderAfterTheWorker) {
  MainWindowHarness h;
  h.Start();
  h.window.reset();
  for (FakeDriverState* driver : {&h.wireless, &h.wired}) {
    EXPECT_EQ(std::vector<std::string>(driver->calls.end() - 3, driver->calls.end()),
              (std::vector<std::string>{"Close_FeatureDevice", "Close_DevMonitor", "unload"}));
  }
}

}  // namespace
}  // namespace vexel::testing
