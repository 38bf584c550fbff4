// Button assignment on the page: the menu, the left-click rule, the two
// binding dialogs, the labels and the upkeep of macro bindings.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/fake_keyboard_layout.h"
#include "store/macro_record.h"
#include "store/utf16_name.h"
#include "support/main_window_harness.h"
#include "toolkit/menu.h"

namespace vexel::testing {
namespace {

using Slots = std::vector<std::pair<int, uint8_t>>;  // slot, function code

class PageButtons : public ::testing::Test {
 protected:
  void SetUp() override {
    h.Start();
    h.page().SetMacroKeyboardLayout(std::make_shared<FakeKeyboardLayout>());
    h.Settle();
  }
  ButtonSlot& Slot(StoreState& state, int profile, int k) {
    return state.profiles.at(profile)->button[k];
  }
  void SetCodes(const Slots& codes) {
    auto access = h.page().store().Lock();
    for (const auto& [k, code] : codes) access->EditedProfile()->button[k].function_code = code;
  }
  // Opens the menu of button `number` and chooses `item`; true when a menu opened.
  bool Choose(int number, const std::string& item) {
    if (!h.toolkit.Input().Click(h.Control("ms_1_btn_key_" + std::to_string(number)))) return false;
    toolkit::Menu* menu = h.toolkit.OpenMenu();
    if (menu == nullptr) return false;
    // Items the skin does not have arrive as commands all the same.
    if (!menu->Trigger(item)) {
      toolkit::Message message;
      message.id = kMsgMenuCommand;
      message.menu_command =
          std::make_shared<toolkit::MenuCommand>(toolkit::MenuCommand{item, "", ""});
      h.window->PostMessage(message);
    }
    h.Settle();
    return true;
  }
  std::string Label(int number) {
    return h.Control("ms_1_btn_key_" + std::to_string(number)).ShownText();
  }
  bool Shown(const char* window_class) {
    const auto& log = h.toolkit.ModalLog();
    return std::find(log.begin(), log.end(), window_class) != log.end();
  }
  void AddMacro(const char16_t* name, std::vector<MacroAction> steps) {
    auto macro = MakeZeroMacro();
    SetName(macro->name, name);
    macro->action_count = static_cast<int32_t>(steps.size());
    std::copy(steps.begin(), steps.end(), macro->actions);
    h.page().store().Lock()->macros.push_back(std::move(macro));
  }

  MainWindowHarness h;
};

TEST_F(PageButtons, OneButtonKeepsTheLeftClick) {
  struct Case {
    Slots before;
    int button;
    const char* item;
    uint8_t code_after;  // of the button's slot
    bool refused;
  };
  const Case cases[] = {
      {{}, 1, "ms_1_forward", 1, true},
      {{}, 1, "ms_1_shortcut", 1, true},  // refused before the dialog opens
      {{}, 1, "ms_1_select_macro", 1, true},
      {{}, 1, "ms_1_click", 1, false},
      {{{0, 2}, {16, 1}}, 4, "ms_1_copy", 6, true},  // slot 16 does not count
      {{{0, 2}, {17, 1}}, 12, "ms_1_mute", 0, true},
      {{{0, 2}, {16, 1}}, 4, "ms_1_click", 1, false},
      {{}, 9, "ms_1_copy", 33, false},
      {{}, 5, "ms_1_not_in_the_menu", 1, false},  // unknown "ms_1" names are left click
  };
  for (const Case& c : cases) {
    SetCodes({{0, 1}, {3, 6}, {4, 6}, {8, 0}, {11, 0}, {16, 12}, {17, 11}});
    SetCodes(c.before);
    const std::size_t boxes = h.toolkit.ModalLog().size();
    const std::size_t sent = h.wired.Sent().size();
    ASSERT_TRUE(Choose(c.button, c.item)) << c.item;
    EXPECT_EQ(h.Edited().button[c.button - 1].function_code, c.code_after) << c.item;
    const auto& log = h.toolkit.ModalLog();
    EXPECT_EQ(log.size(), boxes + (c.refused ? 1 : 0)) << c.item;
    if (c.refused) {
      EXPECT_EQ(log.back(), "MsgWnd") << c.item;
    } else {
      EXPECT_GT(h.wired.Sent().size(), sent) << c.item;
    }
  }
}

TEST_F(PageButtons, ShortcutDialogStoresWhatTheUserLeftIn) {
  static const VexelPostTarget* hook = nullptr;
  static HookEntries hooks;
  hooks.installhook = [](const VexelPostTarget* t) { return hook = t, 1; };
  hooks.removehook = [] { return hook = nullptr, 1; };
  h.page().SetMacroEditorHost({&hooks, nullptr, std::make_shared<FakeKeyboardLayout>()});
  struct Case {
    const char* name;
    std::function<void(toolkit::Window&)> user;
    uint8_t code, key, modifiers;
    const char* label;
  };
  auto click = [this](toolkit::Window& w, const char* control) {
    h.toolkit.Input().Click(*w.FindControl(control));
  };
  const Case cases[] = {
      {"no modifier and no key keeps the function",
       [&](toolkit::Window& w) {
         click(w, "check_flag_1");  // clears the Ctrl the slot held
         click(w, "btn_ok");
       },
       8, 0, 0, "DPI down"},
      {"Ctrl+Shift+B",
       [&](toolkit::Window& w) {
         click(w, "check_flag_1");
         click(w, "check_flag_2");
         h.toolkit.Input().Focus(*w.FindControl("edit_key"));
         hook->post(hook->ctx, kMsgHookEvent, 'B', kKeyPressed);
         h.toolkit.ProcessEvents();
         click(w, "btn_ok");
       },
       16, 5, 3, "Ctrl+Shift+B"},
      {"kept as it started", [&](toolkit::Window& w) { click(w, "btn_ok"); }, 16, 5, 3,
       "Ctrl+Shift+B"},
      {"cancelled", [&](toolkit::Window& w) { click(w, "btn_cancel"); }, 16, 5, 3, "Ctrl+Shift+B"},
  };
  {
    auto access = h.page().store().Lock();
    access->EditedProfile()->button[5].modifiers = 1;  // left by an older binding
    access->EditedProfile()->button[5].key_usage = 9;
  }
  for (const Case& c : cases) {
    h.toolkit.ScriptModal(c.user);
    ASSERT_TRUE(Choose(6, "ms_1_shortcut"));
    const ButtonSlot slot = h.Edited().button[5];
    EXPECT_EQ(h.toolkit.ModalLog().back(), "ShortcutWnd");
    EXPECT_EQ(slot.function_code, c.code) << c.name;
    EXPECT_EQ(slot.key_usage, c.key) << c.name;
    EXPECT_EQ(slot.modifiers, c.modifiers) << c.name;
    EXPECT_EQ(Label(6), c.label) << c.name;
    EXPECT_EQ(h.Control("ms_1_btn_key_6").AccessibleDescription(), c.label) << c.name;
  }
}

TEST_F(PageButtons, MacroBindingCopiesTheMacro) {
  AddMacro(u"Reload", {{4, kActionPress, 10}});
  AddMacro(u"Jump", {{44, kActionPress, 5}, {44, kActionRelease, 0}});
  h.toolkit.ScriptModal([&](toolkit::Window& w) {
    h.toolkit.Input().ChooseItem(*w.FindControl("list_macro"), 1);
    h.toolkit.Input().Click(*w.FindControl("repeat_3"));
    h.toolkit.Input().Click(*w.FindControl("btn_ok"));
  });
  ASSERT_TRUE(Choose(7, "ms_1_select_macro"));
  const ButtonSlot slot = h.Edited().button[6];
  EXPECT_EQ(slot.function_code, kFunctionMacro);
  EXPECT_EQ(NameView(slot.macro_name), u"Jump");
  EXPECT_EQ(slot.macro_index, 1);
  EXPECT_EQ(slot.macro_mode, 2);
  EXPECT_EQ(slot.macro_repeat, 1);
  EXPECT_EQ(slot.macro_action_count, 2);
  EXPECT_EQ(slot.macro_actions[1], (MacroAction{44, kActionRelease, 0}));
  EXPECT_EQ(Label(7), "Macro: Jump");
  // OK with no macro chosen changes nothing.
  h.toolkit.ScriptModalClick("btn_ok");
  ASSERT_TRUE(Choose(8, "ms_1_select_macro"));
  EXPECT_EQ(h.Edited().button[7].function_code, 5);
}

TEST_F(PageButtons, BindingsFollowTheLibraryWhenTheEditorCloses) {
  struct Case {
    const char* name;
    std::function<void(MacroLibrary&)> edit;
    uint8_t code;      // of slot 6 in both profiles afterwards
    uint16_t actions;  // its action count
    const char* label;
  };
  const Case cases[] = {
      {"deleted", [](MacroLibrary& l) { l.pop_back(); }, 4, 0, "Forward"},
      {"renamed", [](MacroLibrary& l) { SetName(l.back()->name, u"Hop"); }, 4, 0, "Forward"},
      {"steps edited", [](MacroLibrary& l) { l.back()->action_count = 1; }, kFunctionMacro, 1,
       "Macro: Jump"},
  };
  for (const Case& c : cases) {
    h.page().store().Lock()->macros.clear();
    AddMacro(u"Jump", {{44, kActionPress, 5}, {44, kActionRelease, 0}});
    {
      auto access = h.page().store().Lock();
      access->profiles.push_back(std::make_unique<ProfileRecord>(*access->EditedProfile()));
      for (auto& profile : access->profiles)
        BindMacroCopy(profile->button[6], *access->macros[0], 0);
      for (auto& profile : access->profiles) profile->button[6].function_code = kFunctionMacro;
      // A button given another function since still names the macro.
      BindMacroCopy(access->profiles[0]->button[9], *access->macros[0], 0);
      access->profiles[0]->button[9].function_code = 33;
    }
    h.toolkit.ScriptModal([&](toolkit::Window& editor) {
      c.edit(h.page().store().Lock()->macros);
      editor.Close(0);
    });
    ASSERT_TRUE(h.toolkit.Input().Click(h.Control("ms_1_btn_macro")));
    h.Settle();
    auto access = h.page().store().Lock();
    for (auto& profile : access->profiles) {
      EXPECT_EQ(profile->button[6].function_code, c.code) << c.name;
      EXPECT_EQ(profile->button[6].macro_action_count, c.actions) << c.name;
      EXPECT_EQ(profile->button[6].button_index, 6) << c.name;
      EXPECT_EQ(profile->button[6].macro_index, c.code == kFunctionMacro ? 0 : -1) << c.name;
    }
    EXPECT_EQ(access->profiles[0]->button[9].function_code, 33) << c.name;
    EXPECT_EQ(Label(7), c.label) << c.name;
    access->profiles.pop_back();
  }
}

TEST_F(PageButtons, MenuOpensUpwardsNearTheScreenBottom) {
  const toolkit::Rect window = h.window->ScreenRect();
  const toolkit::Rect button = h.Control("ms_1_btn_key_5").Position();
  const toolkit::Point anchor{window.left + button.right, window.top + button.top};
  for (const int room : {400, 100}) {  // screen height below the button's top
    h.toolkit.SetScreen({0, 0, 1920, anchor.y + room}, {0, 0, 1920, anchor.y + room});
    ASSERT_TRUE(h.toolkit.Input().Click(h.Control("ms_1_btn_key_5")));
    toolkit::Menu* menu = h.toolkit.OpenMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(h.page().button_menu(), menu);
    const int height = 22 * menu->VisibleItemCount() + 4;
    const int top = room > height ? anchor.y : anchor.y + 25 - height;
    EXPECT_EQ(menu->Position(), (toolkit::Point{anchor.x, top})) << room;
    EXPECT_EQ(h.page().selected_button(), 4);
  }
}

TEST_F(PageButtons, ButtonsShowAndSayTheirFunction) {
  SetCodes({{8, 39}, {9, 15}});
  h.page().RefreshPage();
  for (int number = 1; number <= 18; ++number) {
    toolkit::Control& button = h.Control("ms_1_btn_key_" + std::to_string(number));
    EXPECT_EQ(button.AccessibleName(), "Button " + std::to_string(number));
    EXPECT_EQ(button.AccessibleDescription(), button.ShownText()) << number;
    toolkit::Control& mark = h.Control("ms_1_key_control_" + std::to_string(number));
    button.SetVisible(true);
    h.toolkit.Input().Hover(button, true);
    EXPECT_TRUE(mark.IsVisible()) << number;
    h.toolkit.Input().Hover(button, false);
    EXPECT_FALSE(mark.IsVisible()) << number;
  }
  EXPECT_EQ(Label(9), "Undo");
  EXPECT_EQ(Label(10), "");
  EXPECT_EQ(Label(17), "Scroll down");
  // Buttons 13-18 show a label but open no menu.
  h.toolkit.Input().Click(h.Control("ms_1_btn_key_13"));
  EXPECT_EQ(h.toolkit.OpenMenu(), nullptr);
}

}  // namespace
}  // namespace vexel::testing
