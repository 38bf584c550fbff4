// The link half of the page in virtual time: start-up with each combination of
// links, arrivals and removals, teardown, and delivery through the libraries.
#include "page_test.h"

namespace vexel::testing {
namespace {

// Which of cable, receiver and Bluetooth the mouse is found on at start-up.
class PageStartup : public ::testing::TestWithParam<std::tuple<bool, bool, bool>> {};

TEST_P(PageStartup, FlagsIconsAndDeviceState) {
  const auto [wired, wireless, ble] = GetParam();
  Page h;
  h.wired.open_result = wired;
  h.wireless.open_result = wireless;
  h.probe.present = ble;
  h.Start();
  EXPECT_EQ(h.trace, std::vector<std::string>{}) << "every control looked up is in the skin";
  const auto& links = h.page().session().links();
  EXPECT_EQ((std::vector<int>{links.wired_link, links.wireless_link, links.ble_link}),
            (std::vector<int>{wired, wireless, ble}));
  EXPECT_EQ(h.window->IsVisible(), wired || wireless || ble);
  // Applying is unblocked by the cable or BLE; the receiver waits for a battery report.
  EXPECT_EQ(h.page().session().apply_cycle().apply_blocked(), !(wired || ble));
  EXPECT_EQ((std::vector<bool>{h.Visible("ms_1_wired"), h.Visible("ms_1_wireless"),
                               h.Visible("ms_1_BLE"), h.Visible("ms_1_sleep_label")}),
            (std::vector<bool>{wired, wireless, ble, !(wired || ble)}));
  // Nothing BLE cannot carry is offered until the cable or a woken receiver can.
  const bool ble_only = ble && !wired;
  for (const char* check : {"ms_1_check_prate", "ms_1_check_key_debounce"}) {
    EXPECT_EQ(h.Visible(check), !ble_only) << check;
    EXPECT_FALSE(ble_only && h.Control(check).IsChecked()) << check;
  }
}

INSTANTIATE_TEST_SUITE_P(AllLinkCombinations, PageStartup,
                         ::testing::Combine(::testing::Bool(), ::testing::Bool(),
                                            ::testing::Bool()));

TEST(PageLinks, ArrivalsAndRemovals) {
  Page h;
  h.wired.open_result = 0;
  h.Start();  // receiver only
  const auto& links = h.page().session().links();
  const auto connect = [&](FakeDriverState& driver, bool arrived) {
    driver.PostConnection(arrived);
    h.toolkit.ProcessEvents();
  };
  // The cable arrives (after the arrival wait the link's tests pin) and
  // unblocks applying.
  connect(h.wired, true);
  h.Advance(1000);
  EXPECT_EQ(links.wired_link, 1);
  EXPECT_FALSE(h.page().session().apply_cycle().apply_blocked());
  EXPECT_TRUE(h.ControlTimerSet("ms_1_progress_power", kTimerWiredChargingAnimation));
  // The cable goes while the receiver stays: blocked again, still present.
  connect(h.wired, false);
  EXPECT_TRUE(h.page().session().apply_cycle().apply_blocked());
  EXPECT_EQ(h.Control("ms_1_label_power").Text(), "");
  EXPECT_FALSE(h.ControlTimerSet("ms_1_progress_power", kTimerWiredChargingAnimation));
  connect(h.wired, false);  // repeated removal: ignored
  EXPECT_EQ(h.wired.CountCalls("Close_FeatureDevice"), 1);
  // The receiver goes too: the device is gone and the window hides.
  connect(h.wireless, false);
  EXPECT_FALSE(h.window->IsVisible());
}

TEST(PageLinks, LibrariesOpenTheirDevicesAndCloseInOrderAfterTheWorker) {
  Page h;
  h.Start();
  EXPECT_EQ(h.wired.Calls().at(1) + ", " + h.wireless.Calls().at(1),
            "Open_DevMonitor 1539 1540, Open_DevMonitor 1537 1538");
  h.window.reset();
  for (FakeDriverState* driver : {&h.wireless, &h.wired}) {
    EXPECT_EQ(std::vector<std::string>(driver->calls.end() - 3, driver->calls.end()),
              (std::vector<std::string>{"Close_FeatureDevice", "Close_DevMonitor", "unload"}));
  }
}

}  // namespace
}  // namespace vexel::testing
