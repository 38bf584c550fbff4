// The main window's routing of messages, timers, tray clicks and menu
// commands, on the headless toolkit in virtual time.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/dpi_msg.h"
#include "store/utf16_name.h"
#include "support/main_window_harness.h"
#include "toolkit/headless/headless_menu.h"

namespace vexel::testing {
namespace {

class MainWindow : public ::testing::Test {
 protected:
  void StartWithoutDevice() {
    h.wired.open_result = 0;
    h.wireless.open_result = 0;
    h.Start();
  }
  void Post(uint32_t id, uintptr_t wparam = 0, intptr_t lparam = 0) {
    h.window->PostMessage(id, wparam, lparam);
    h.toolkit.ProcessEvents();
  }
  MainWindowHarness h;
};

TEST_F(MainWindow, StartsCentredWithTitleTrayAndStore) {
  h.Start();
  EXPECT_EQ(h.window->Title(), h.window->language().Text("mouse_name_text"));
  ASSERT_NE(h.window->tray_icon(), nullptr);
  EXPECT_TRUE(std::filesystem::exists(h.toolkit.ResourcePath(CMainWnd::kIcon)));
  EXPECT_EQ(h.Control("ms_1_list_profile").ItemCount(), 1);
  EXPECT_EQ(h.Control("ms_1_list_profile").SelectedItem(), 0);
  EXPECT_EQ(h.Control("device_tab_switch").SelectedPage(), 0);
  // The hook library is missing here: the program goes on without it.
  EXPECT_EQ(h.window->hook_entries().installhook, nullptr);
  ASSERT_FALSE(h.debug.empty());
  EXPECT_EQ(h.debug.front().rfind("GetError:", 0), 0u);
}

// With a mouse the window minimises and hides into the tray, and a tray click
// or a second start brings it back without a box.
TEST_F(MainWindow, ButtonsTrayClickAndShowRequestWithADevice) {
  h.Start();
  h.toolkit.Input().Click(h.Control("min_btn"));
  EXPECT_TRUE(h.window->IsMinimized());
  h.toolkit.Input().ClickTrayIcon(*h.window->tray_icon(), false);
  h.toolkit.ProcessEvents();
  EXPECT_FALSE(h.window->IsMinimized());
  h.toolkit.Input().Click(h.Control("exit_btn"));
  EXPECT_FALSE(h.window->IsVisible());
  EXPECT_FALSE(h.toolkit.quit_code().has_value());  // still running in the tray
  Post(kMsgShowInstance);
  EXPECT_TRUE(h.window->IsVisible());
  EXPECT_TRUE(h.toolkit.ModalLog().empty());
}

TEST_F(MainWindow, WithoutADeviceTheBoxOpensInsteadOnceAtATime) {
  StartWithoutDevice();
  EXPECT_FALSE(h.window->IsVisible());
  // While the first box is open a second request arrives: no second box.
  h.toolkit.ScriptModal([&](toolkit::Window& box) {
    h.window->PostMessage(kMsgShowInstance);
    h.toolkit.ProcessEvents();
    box.Close(1);
  });
  Post(kMsgShowInstance);
  h.toolkit.ScriptModalClick("btn_ok");
  h.toolkit.Input().ClickTrayIcon(*h.window->tray_icon(), false);
  h.toolkit.ProcessEvents();
  EXPECT_EQ(h.toolkit.ModalLog(), (std::vector<std::string>{"MsgWnd", "MsgWnd"}));
  EXPECT_FALSE(h.window->IsVisible());
}

TEST_F(MainWindow, TrayMenuCommands) {
  h.Start();
  h.toolkit.SetCursorPosition({1500, 1000});
  h.toolkit.Input().ClickTrayIcon(*h.window->tray_icon(), true);
  h.toolkit.ProcessEvents();
  toolkit::Menu* menu = h.window->tray_menu();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->Position(), (toolkit::Point{1500, 950}));
  // A second right-click replaces the menu.
  h.toolkit.Input().ClickTrayIcon(*h.window->tray_icon(), true);
  h.toolkit.ProcessEvents();
  EXPECT_FALSE(menu == h.window->tray_menu() && !menu->IsOpen());
  menu = h.window->tray_menu();

  h.window->Show(false);
  ASSERT_TRUE(menu->Trigger("configuration"));
  h.toolkit.ProcessEvents();
  EXPECT_TRUE(h.window->IsVisible());

  // "Profiles": a check item per profile, the selected one checked; choosing
  // one selects it as the page's list does.
  {
    auto access = h.page().store().Lock();
    SetName(access->profiles.emplace_back(MakeZeroProfile())->name, u"Office");
  }
  h.toolkit.Input().ClickTrayIcon(*h.window->tray_icon(), true);
  h.toolkit.ProcessEvents();
  const auto& tray = static_cast<toolkit::headless::HeadlessMenu*>(h.window->tray_menu())->layout();
  const auto profiles = std::find_if(tray.items.begin(), tray.items.end(),
                                     [](const auto& item) { return item.name == "profiles"; });
  ASSERT_NE(profiles, tray.items.end());
  ASSERT_EQ(profiles->children.size(), 2u);
  EXPECT_EQ(profiles->children[1].text, "Office");
  EXPECT_TRUE(profiles->children[0].checked && !profiles->children[1].checked);
  h.window->PostMessage({kMsgMenuCommand, 0, 0,
                         std::make_shared<toolkit::MenuCommand>(
                             toolkit::MenuCommand{kTrayProfileItem, "Office", "1"})});
  h.toolkit.ProcessEvents();
  EXPECT_EQ(h.page().store().Lock()->header->selected_profile, 1);

  // Names starting with "ms_1" belong to the page's button menu, "ms_1" itself
  // included; anything else does nothing.
  auto command = [&](const char* name) {
    toolkit::Message message;
    message.id = kMsgMenuCommand;
    message.menu_command =
        std::make_shared<toolkit::MenuCommand>(toolkit::MenuCommand{name, "", ""});
    h.window->PostMessage(message);
    h.toolkit.ProcessEvents();
    return h.page().last_button_command();
  };
  EXPECT_EQ(command("ms_1"), "ms_1");
  EXPECT_EQ(command("ms_"), "ms_1");
  EXPECT_EQ(command("ms_1_btn_key_3"), "ms_1_btn_key_3");
  EXPECT_EQ(command("other"), "ms_1_btn_key_3");
  EXPECT_TRUE(h.window->IsVisible());

  h.toolkit.Input().ClickTrayIcon(*h.window->tray_icon(), true);
  h.toolkit.ProcessEvents();
  ASSERT_TRUE(h.window->tray_menu()->Trigger("exit"));
  h.toolkit.ProcessEvents();
  EXPECT_EQ(h.toolkit.quit_code(), 0);
}

TEST_F(MainWindow, DpiIndicator) {
  h.Start();
  Post(kMsgDpiIndicator, 0, 16);
  CDPIMsg* indicator = h.window->dpi_indicator();
  ASSERT_NE(indicator, nullptr);
  EXPECT_EQ(indicator->text(), "DPI :1600");
  // Bottom-right corner of a 1920 x 1040 work area.
  EXPECT_EQ(indicator->ScreenRect(), (toolkit::Rect{1710, 980, 1910, 1030}));

  // A second report 1.5 s later updates the same window; the two seconds count
  // from it.
  h.Advance(1500);
  Post(kMsgDpiIndicator, 2, 4);
  EXPECT_EQ(h.window->dpi_indicator(), indicator);
  EXPECT_EQ(indicator->text(), "DPI :400");
  h.Advance(1999);
  EXPECT_NE(h.window->dpi_indicator(), nullptr);
  h.Advance(1);
  EXPECT_EQ(h.window->dpi_indicator(), nullptr);

  // wParam 3 shows no number and still arms the time-out.
  Post(kMsgDpiIndicator, 3, 16);
  ASSERT_NE(h.window->dpi_indicator(), nullptr);
  EXPECT_EQ(h.window->dpi_indicator()->text(), "DPI :");
  h.Advance(2000);
  EXPECT_EQ(h.window->dpi_indicator(), nullptr);
}

// A warning raised inside the name dialog opens over the dialog, where the
// user is looking, not over the main window behind it.
TEST_F(MainWindow, NameDialogWarningOpensOverTheDialog) {
  h.Start();
  const toolkit::Rect moved{1400, 700, 1700, 900};
  toolkit::Rect box;
  h.toolkit.ScriptModal([&](toolkit::Window& dialog) {
    dialog.SetScreenRect(moved);
    h.toolkit.Input().Click(*dialog.FindControl("btn_ok"));  // empty name: warned
    h.toolkit.Input().Click(*dialog.FindControl("btn_cancel"));
  });
  h.toolkit.ScriptModal([&](toolkit::Window& warning) {
    box = warning.ScreenRect();
    warning.Close(1);
  });
  h.toolkit.Input().Click(h.Control("ms_1_profile_add_btn"));
  EXPECT_EQ(h.toolkit.ModalLog(), (std::vector<std::string>{"MS_1_ProfileName", "MsgWnd"}));
  EXPECT_EQ((box.left + box.right) / 2, (moved.left + moved.right) / 2);
  EXPECT_EQ((box.top + box.bottom) / 2, (moved.top + moved.bottom) / 2);
}

TEST_F(MainWindow, TimersAndIgnoredMessages) {
  h.Start();
  // 513 turns into one apply request.
  h.page().RequestApply(500);
  h.page().RequestApply(500);
  EXPECT_TRUE(h.TimerSet(kTimerDelayedApply));
  h.Advance(500);
  h.Settle();
  EXPECT_FALSE(h.TimerSet(kTimerDelayedApply));
  EXPECT_EQ(h.wired.Sent().size(), 5u);  // the full apply after start-up

  // 514 scrolls the settings column once.
  h.toolkit.Input().Click(h.Control("ms_1_check_key_debounce"));
  EXPECT_TRUE(h.TimerSet(kTimerScrollSettings));
  h.Advance(10);
  EXPECT_FALSE(h.TimerSet(kTimerScrollSettings));

  for (uint32_t id : {kMsgHookEvent, kMsgIgnored1130, kMsgIgnored1542, kMsgIgnored5121,
                      kMsgDeviceChange, kMsgShowInstance}) {
    EXPECT_TRUE(h.window->SendMessage(id)) << id;
  }
  EXPECT_FALSE(h.window->SendMessage(kMsgUser + 999));
}

TEST_F(MainWindow, ChargingAnimationTimer) {
  h.wired.open_result = 0;  // no cable: the page's own animation timer is off
  h.Start();
  h.window->SetTimer(kTimerChargingAnimation, 30);
  std::vector<int> values;
  for (int i = 0; i < 3; ++i) {
    h.Advance(30);
    values.push_back(h.Control("ms_1_progress_power").Value());
  }
  EXPECT_EQ(values, (std::vector<int>{0, 2, 4}));
  EXPECT_TRUE(h.TimerSet(kTimerChargingAnimation));  // runs until the status handling kills it
}

}  // namespace
}  // namespace vexel::testing
