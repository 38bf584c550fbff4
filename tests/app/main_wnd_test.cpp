// The main window on the headless toolkit in virtual time, with the real page
// and session and the mouse played by the fake driver libraries: its routing of
// messages, timers, tray clicks and menu commands, the tray battery and its
// notifications, the ways back with and without a tray, and the saves.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "app/autostart.h"
#include "app/dpi_msg.h"
#include "app/tray_battery.h"
#include "protocol/status_codes.h"
#include "store/store_folder.h"
#include "store/utf16_name.h"
#include "support/main_window_harness.h"
#include "toolkit/headless/headless_menu.h"

namespace vexel::testing {
namespace {

using enum protocol::BatteryState;

class MainWindow : public ::testing::Test {
 protected:
  void Pump() { h.toolkit.ProcessEvents(); }
  void Post(uint32_t id, uintptr_t wparam = 0, intptr_t lparam = 0) {
    h.window->PostMessage(id, wparam, lparam);
    Pump();
  }
  void TrayClick(bool right) {
    h.toolkit.Input().ClickTrayIcon(*h.window->tray_icon(), right);
    Pump();
  }
  const toolkit::MenuLayout& TrayMenu() {
    TrayClick(true);
    return static_cast<toolkit::headless::HeadlessMenu*>(h.window->tray_menu())->layout();
  }
  void Choose(const char* tray_item) {
    TrayClick(true);
    ASSERT_TRUE(h.window->tray_menu()->Trigger(tray_item));
    Pump();
  }
  // A menu command as the tray or the page's button menu sends it.
  void Command(const std::string& name, const std::string& data = "") {
    auto command = std::make_shared<toolkit::MenuCommand>(toolkit::MenuCommand{name, "", data});
    h.window->PostMessage({kMsgMenuCommand, 0, 0, command});
    Pump();
  }
  void Status(FakeDriverState& link, uint16_t code, uint16_t value) {
    link.PostStatus(code, value);
    Pump();
  }
  int StoredStage() {
    ProfileList profiles;
    auto header = MakeZeroHeader();
    (void)LoadProfiles(StorePaths{h.data.path()}, profiles, *header, u"x",
                       {.save_new_store = false});
    return profiles.empty() ? -1 : profiles[0]->dpi_stage_current;
  }
  MainWindowHarness h;
};

// With a mouse the window minimises and hides into the tray, and a tray click
// or a second start brings it back without a box. The hook library is missing
// here: the program goes on without it.
TEST_F(MainWindow, StartsWithTheStoreAndComesBackFromTheTray) {
  h.Start();
  EXPECT_EQ(h.window->Title(), h.window->language().Text("mouse_name_text"));
  EXPECT_EQ(h.Control("device_tab_switch").SelectedPage(), 0);
  EXPECT_EQ(h.window->hook_entries().installhook, nullptr);
  h.toolkit.Input().Click(h.Control("min_btn"));
  EXPECT_TRUE(h.window->IsMinimized());
  TrayClick(false);
  EXPECT_FALSE(h.window->IsMinimized());
  h.toolkit.Input().Click(h.Control("exit_btn"));
  EXPECT_FALSE(h.window->IsVisible());
  EXPECT_FALSE(h.toolkit.quit_code().has_value());  // still running in the tray
  Post(kMsgShowInstance);
  EXPECT_TRUE(h.window->IsVisible());
  EXPECT_TRUE(h.toolkit.ModalLog().empty());
  EXPECT_FALSE(h.window->SendMessage(kMsgUser + 999)) << "unknown messages go to the toolkit";
}

// While the first box is open a second request arrives: no second box.
TEST_F(MainWindow, WithoutADeviceTheBoxOpensInsteadOnceAtATime) {
  h.wired.open_result = 0;
  h.wireless.open_result = 0;
  h.Start();
  EXPECT_FALSE(h.window->IsVisible());
  h.toolkit.ScriptModal([&](toolkit::Window& box) {
    Post(kMsgShowInstance);
    box.Close(1);
  });
  Post(kMsgShowInstance);
  h.toolkit.ScriptModalClick("btn_ok");
  TrayClick(false);
  EXPECT_EQ(h.toolkit.ModalLog(), (std::vector<std::string>{"MsgWnd", "MsgWnd"}));
  EXPECT_FALSE(h.window->IsVisible());
}

// "Profiles" has a check item per profile, the selected one checked; choosing
// one selects it as the page's list does. Names starting with "ms_1" belong to
// the page's button menu (whose tests send them), "ms_1" itself included;
// anything else does nothing.
TEST_F(MainWindow, TrayMenuCommands) {
  h.Start();
  SetName(h.page().store().Lock()->profiles.emplace_back(MakeZeroProfile())->name, u"Office");
  h.toolkit.SetCursorPosition({1500, 1000});
  const auto& tray = TrayMenu();
  EXPECT_EQ(h.window->tray_menu()->Position(), (toolkit::Point{1500, 950}));
  const auto profiles = std::ranges::find(tray.items, "profiles", &toolkit::MenuItem::name);
  ASSERT_NE(profiles, tray.items.end());
  std::string names;
  for (const auto& item : profiles->children) names += item.text + (item.checked ? "* " : " ");
  EXPECT_EQ(names, "Profile1* Office ");
  h.window->Show(false);
  Choose("configuration");
  EXPECT_TRUE(h.window->IsVisible());
  Command(kTrayProfileItem, "1");
  EXPECT_EQ(h.page().store().Lock()->header->selected_profile, 1);
  for (const char* name : {"ms_1", "ms_", "other"}) Command(name);
  EXPECT_EQ(h.page().last_button_command(), "ms_1");
}

// Shown at the bottom right of the work area; a second report updates the
// same window, and the two seconds count from it; wParam 3 shows no number.
TEST_F(MainWindow, DpiIndicator) {
  h.Start();
  Post(kMsgDpiIndicator, 0, 16);
  CDPIMsg* indicator = h.window->dpi_indicator();
  ASSERT_NE(indicator, nullptr);
  EXPECT_EQ(indicator->ScreenRect(), (toolkit::Rect{1710, 980, 1910, 1030}));
  h.Advance(1500);
  Post(kMsgDpiIndicator, 3, 4);
  EXPECT_EQ(h.window->dpi_indicator(), indicator);
  EXPECT_EQ(indicator->text(), "DPI :");
  h.Advance(1999);
  EXPECT_NE(h.window->dpi_indicator(), nullptr);
  h.Advance(1);
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
  h.toolkit.ScriptModal([&](toolkit::Window& warning) { box = warning.ScreenRect(); });
  h.toolkit.Input().Click(h.Control("ms_1_profile_add_btn"));
  EXPECT_EQ(h.toolkit.ModalLog(), (std::vector<std::string>{"MS_1_ProfileName", "MsgWnd"}));
  EXPECT_EQ(box.left + box.right, moved.left + moved.right);
  EXPECT_EQ(box.top + box.bottom, moved.top + moved.bottom);
}

// The readings reach the tray and the low-battery notification (what is due
// when is the tray battery's own table).
TEST_F(MainWindow, BatteryReportsAndDeviceStateReachTheTray) {
  h.wired.open_result = 0;  // on the cable the mouse would be charging
  h.Start();
  const std::pair<int, std::string> steps[] = {
      {60 << 8, "Vexel Gaming Mouse - 60 % skins/tray/battery_full.svg"},
      {59 << 8, "Vexel Gaming Mouse - 59 % skins/tray/battery_half.svg"},
      {15 << 8, "Vexel Gaming Mouse - 15 % skins/tray/battery_half.svg"},
      {200 << 8, "Vexel Gaming Mouse - 15 % skins/tray/battery_half.svg"},
      {14 << 8, "Vexel Gaming Mouse - 14 % skins/tray/battery_low.svg"},
      {90 << 8 | int(kCharging), "Vexel Gaming Mouse - charging skins/tray/battery_charging.svg"},
      {13 << 8, "Vexel Gaming Mouse - 13 % skins/tray/battery_low.svg"},
  };
  const auto shown = [&] {
    return h.window->tray_icon()->ToolTip() + " " + h.window->tray_icon()->Icon();
  };
  EXPECT_EQ(shown(), "Vexel Gaming Mouse skins/main/logo.svg") << "no reading yet";
  for (const auto& [value, expected] : steps) {
    Status(h.wireless, protocol::kStatusBattery, static_cast<uint16_t>(value));
    EXPECT_EQ(shown(), expected);
  }
  ASSERT_EQ(h.notifier.shown.size(), 2u);
  EXPECT_EQ(h.notifier.shown[1].summary + " / " + h.notifier.shown[1].body,
            "Vexel Gaming Mouse - 13 % / " + h.window->language().Text("battery_low_text"));
  EXPECT_TRUE(std::filesystem::exists(h.notifier.shown[1].icon));
  h.wireless.PostConnection(false);
  Pump();
  EXPECT_EQ(shown(), "Vexel Gaming Mouse - not connected skins/tray/disconnected.svg");
  EXPECT_EQ(h.notifier.shown.size(), 2u) << "a mouse that goes later is not announced";
}

// Without a tray nothing may hide the window: it shows the no-mouse state in
// place of the page, a start from the menu brings it forward without a box, and
// closing it ends the program. Only a start without a mouse is announced, once.
TEST_F(MainWindow, WithoutATrayTheWindowStaysAndClosingEnds) {
  h.toolkit.SetTrayAvailable(false);
  h.wired.open_result = 0;
  h.wireless.open_result = 0;
  h.Start();
  h.window->Show();
  h.wired.PostConnection(false);
  Post(kMsgDeviceState);  // a mouse that goes later is not announced again
  const auto no_mouse_shown = [&] {
    return h.Control("no_device_box").IsVisible() && !h.Control("device_tab_switch").IsVisible();
  };
  EXPECT_TRUE(no_mouse_shown());
  EXPECT_EQ(h.Control("device_tab_switch").SelectedPage(), -1);
  h.window->Minimize();
  Post(kMsgShowInstance);  // a start from the menu
  EXPECT_TRUE(h.window->IsVisible() && !h.window->IsMinimized());
  EXPECT_TRUE(h.toolkit.ModalLog().empty());
  h.wired.PostConnection(true);  // the mouse is back: so is the page
  Pump();
  EXPECT_TRUE(h.TimerSet(kTimerWiredArrivalWait));
  h.Advance(1000);  // after the arrival wait
  EXPECT_FALSE(no_mouse_shown());
  EXPECT_EQ(h.Control("device_tab_switch").SelectedPage(), 0);
  ASSERT_EQ(h.notifier.shown.size(), 1u);
  EXPECT_EQ(h.notifier.shown[0].summary + " / " + h.notifier.shown[0].body,
            "Vexel Gaming Mouse - not connected / " +
                h.window->language().Text("waiting_for_mouse_text"));
  h.toolkit.Input().Click(h.Control("exit_btn"));
  Pump();
  EXPECT_FALSE(h.window->IsVisible());
  EXPECT_EQ(h.toolkit.quit_code(), 0);
}

TEST_F(MainWindow, StartWithTheDesktopWritesAndRemovesTheLoginEntry) {
  const std::filesystem::path entry = h.data.path() / "config/autostart/vexel.desktop";
  h.Start();
  h.window->SetAutostart(entry, "vexel-mouse --hidden");
  for (bool on : {true, false}) {
    EXPECT_EQ(TrayMenu().Find("autostart")->checked, !on);
    Choose("autostart");
    std::ifstream in(entry);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(text.find("\nExec=vexel-mouse --hidden\n") != std::string::npos, on);
  }
  EXPECT_FALSE(TrayMenu().Find("autostart")->checked);
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

// Presses on the mouse are written by the writer thread; a failed save reaches
// the user (a folder where pro.data belongs: no save can replace it, root or
// not); what is still queued when the program is left is on disk when the
// window is destroyed.
TEST_F(MainWindow, APressOnTheMouseIsWrittenInTheBackgroundAndOnLeaving) {
  h.background_saves = true;
  h.Start();
  for (uint16_t stage = 2; stage <= 6; ++stage) Status(h.wired, protocol::kStatusDpiStage, stage);
  h.window->FlushSaves();
  EXPECT_EQ(StoredStage(), 5);
  const std::filesystem::path file = h.page().store().paths().ProfilesFile();
  std::filesystem::rename(file, file.string() + ".away");
  std::filesystem::create_directories(file / "blocker");
  Status(h.wired, protocol::kStatusDpiStage, 7);
  h.window->FlushSaves();
  Pump();  // the result comes back as a message
  EXPECT_EQ(h.toolkit.ModalLog(), std::vector<std::string>{"MsgWnd"});
  std::filesystem::remove_all(file);
  Status(h.wired, protocol::kStatusDpiStage, 8);
  Choose("exit");
  ASSERT_EQ(h.toolkit.quit_code(), 0);
  EXPECT_EQ(StoredStage(), 7);
}

// The next start comes back at the size the window had and with the same
// sections open; what the state file says is clamped to what fits.
TEST_F(MainWindow, SizeAndOpenSectionsComeBackWithinLimits) {
  h.Start();
  h.window->PlaceOnScreen();
  h.window->SetScreenRect({0, 0, 900, 700});
  h.toolkit.Input().Click(h.Control("ms_1_check_light"));
  h.toolkit.Input().Click(h.Control("ms_1_check_dpi"));
  h.window->Close(0);
  Pump();
  const std::pair<std::string, std::string> rows[] = {
      {"", "510 900x700 light light-shown"},  // as the window left it
      {"size 10 10\nopen ms_1_check_dpi\nopen ../x\n", "560 800x572 dpi-shown"},
      {"size 5000 4000\n", "0 1920x1040"},
      {"size -1 x9\nopen", "560 800x572"},
  };
  for (const auto& [text, expected] : rows) {
    h.window.reset();
    if (!text.empty()) std::ofstream(h.data.path() / kWindowStateFile) << text;
    h.Start();
    h.window->PlaceOnScreen();
    const toolkit::Rect r = h.window->ScreenRect();
    EXPECT_EQ(std::to_string(r.left) + " " + std::to_string(r.Width()) + "x" +
                  std::to_string(r.Height()) +
                  (h.Control("ms_1_check_light").IsChecked() ? " light" : "") +
                  (h.Control("ms_1_ver_light").IsVisible() ? " light-shown" : "") +
                  (h.Control("ms_1_ver_dpi").IsVisible() ? " dpi-shown" : ""),
              expected)
        << text;
  }
}

}  // namespace

TEST(TrayBattery, LowBatteryWarningIsDueOncePerDischarge) {
  const std::pair<BatteryReading, bool> steps[] = {
      {{true, false, -1}, false},                               // no level yet
      {{true, false, 20}, false}, {{true, false, 14}, true},    // first below 15 %
      {{true, false, 12}, false}, {{false, false, 12}, false},  // same discharge, dropped out
      {{true, false, 12}, false}, {{true, true, 12}, false},    // back; charging re-arms
      {{true, false, 13}, true},  {{true, false, 15}, false},   // 15 % re-arms
      {{true, false, 9}, true},
  };
  LowBatteryWarning warning;
  int step = 0;
  for (const auto& [reading, due] : steps) EXPECT_EQ(warning.Update(reading), due) << step++;
}

}  // namespace vexel::testing
