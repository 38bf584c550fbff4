// Button assignment on the page: the menu, the left-click rule, the two
// binding dialogs, the labels and the upkeep of macro bindings.
#include <functional>

#include "page_test.h"
#include "platform/fake_keyboard_layout.h"
#include "store/macro_record.h"
#include "toolkit/menu.h"

namespace vexel::testing {
namespace {

using Script = std::function<void(toolkit::Window&)>;

class PageButtons : public ::testing::Test {
 protected:
  void SetUp() override {
    h.Start();
    h.page().SetMacroKeyboardLayout(std::make_shared<FakeKeyboardLayout>());
    h.Settle();
  }
  ProfileRecord& Edited() { return *h.page().store().Lock()->EditedProfile(); }
  toolkit::Control& Button(int number) {
    return h.Control("ms_1_btn_key_" + std::to_string(number));
  }
  // Opens the menu of button `number` and sends `item` as its command.
  void Choose(int number, const std::string& item) {
    ASSERT_TRUE(h.Click("ms_1_btn_key_" + std::to_string(number)));
    ASSERT_NE(h.toolkit.OpenMenu(), nullptr);
    toolkit::Message command;
    command.id = kMsgMenuCommand;
    command.menu_command =
        std::make_shared<toolkit::MenuCommand>(toolkit::MenuCommand{item, "", ""});
    if (!h.toolkit.OpenMenu()->Trigger(item)) h.window->PostMessage(command);  // not in the skin
    h.Settle();
  }
  void Click(toolkit::Window& w, const char* name) {
    h.toolkit.Input().Click(*w.FindControl(name));
  }
  void AddMacro(const char16_t* name, int steps) {
    auto macro = MakeZeroMacro();
    SetName(macro->name, name);
    macro->action_count = steps;
    macro->actions[steps - 1] = {44, kActionRelease, 7};
    h.page().store().Lock()->macros.push_back(std::move(macro));
  }

  Page h;
};

TEST_F(PageButtons, OneOfButtons1To16KeepsTheLeftClick) {
  // Functions in slots (slot, code) before; the button, the item chosen, and
  // the button's code afterwards.
  const std::tuple<std::vector<std::pair<int, uint8_t>>, int, const char*, uint8_t> cases[] = {
      {{}, 1, "ms_1_forward", 1},
      {{}, 1, "ms_1_shortcut", 1},  // refused before the dialog
      {{}, 1, "ms_1_select_macro", 1},
      {{}, 1, "ms_1_click", 1},
      {{{0, 2}, {16, 1}}, 4, "ms_1_copy", 6},  // slots 16 and 17 do not count
      {{{0, 2}, {17, 1}}, 12, "ms_1_mute", 0},
      {{{0, 2}, {16, 1}}, 4, "ms_1_click", 1},
      {{}, 9, "ms_1_copy", 33},
      {{}, 5, "ms_1_not_in_the_menu", 1},  // left click
  };
  for (const auto& [slots, button, item, code_after] : cases) {
    SCOPED_TRACE(item);
    ApplyProfileDefaults(Edited());
    for (const auto& [k, code] : slots) Edited().button[k].function_code = code;
    const uint8_t before = Edited().button[button - 1].function_code;
    const std::size_t windows = h.toolkit.ModalLog().size();
    const std::size_t sent = h.SentCount();
    Choose(button, item);
    EXPECT_EQ(Edited().button[button - 1].function_code, code_after);
    const bool refused = code_after == before && std::string(item) != "ms_1_click";
    EXPECT_EQ(h.toolkit.ModalLog().size(), windows + refused);
    EXPECT_EQ(h.SentCount() > sent, !refused);
  }
}

TEST_F(PageButtons, ShortcutDialogStoresWhatTheUserLeftIn) {
  static const VexelPostTarget* hook = nullptr;
  static HookEntries hooks;
  hooks.installhook = [](const VexelPostTarget* t) { return hook = t, 1; };
  h.page().SetMacroEditorHost({&hooks, nullptr, std::make_shared<FakeKeyboardLayout>()});
  const Script press_ctrl_shift_b = [&](auto& w) {
    Click(w, "check_flag_1"), Click(w, "check_flag_2");
    h.toolkit.Input().Focus(*w.FindControl("edit_key"));
    hook->post(hook->ctx, kMsgHookEvent, 'B', kKeyPressed);
    h.toolkit.ProcessEvents();
    Click(w, "btn_ok");
  };
  const std::pair<Script, std::vector<int>> cases[] = {
      // what the user does, then code, key, modifiers and the label
      {[&](auto& w) { Click(w, "check_flag_1"), Click(w, "btn_ok"); }, {8, 0, 0}},  // DPI down
      {press_ctrl_shift_b, {16, 5, 3}},
      {[&](auto& w) { Click(w, "btn_ok"); }, {16, 5, 3}},  // start values kept
      {[&](auto& w) { Click(w, "btn_cancel"); }, {16, 5, 3}},
  };
  Edited().button[5].modifiers = 1;  // left by an older binding
  Edited().button[5].key_usage = 9;
  for (const auto& [user, stored] : cases) {
    h.toolkit.ScriptModal(user);
    Choose(6, "ms_1_shortcut");
    const ButtonSlot slot = Edited().button[5];
    EXPECT_EQ(h.toolkit.ModalLog().back(), "ShortcutWnd");
    EXPECT_EQ((std::vector<int>{slot.function_code, slot.key_usage, slot.modifiers}), stored);
    EXPECT_EQ(Button(6).ShownText(), stored[0] == 8 ? "DPI down" : "Ctrl+Shift+B");
  }
}

TEST_F(PageButtons, MacroBindingCopiesTheChosenMacro) {
  AddMacro(u"Reload", 1);
  AddMacro(u"Jump", 2);
  h.toolkit.ScriptModal([&](toolkit::Window& w) {
    h.toolkit.Input().ChooseItem(*w.FindControl("list_macro"), 1);
    Click(w, "repeat_3"), Click(w, "btn_ok");
  });
  Choose(7, "ms_1_select_macro");
  const ButtonSlot slot = Edited().button[6];
  EXPECT_EQ((std::vector<int>{slot.function_code, slot.macro_index, slot.macro_mode,
                              slot.macro_repeat, slot.macro_action_count}),
            (std::vector<int>{kFunctionMacro, 1, 2, 1, 2}));
  EXPECT_EQ(slot.macro_actions[1], (MacroAction{44, kActionRelease, 7}));
  EXPECT_EQ(Button(7).ShownText(), "Macro: Jump");
  h.toolkit.ScriptModalClick("btn_ok");  // OK with no macro chosen changes nothing
  Choose(8, "ms_1_select_macro");
  EXPECT_EQ(Edited().button[7].function_code, 5);
  Edited().button[8].function_code = 39;  // changed elsewhere: shown once the page refreshes
  h.page().RefreshPage();
  EXPECT_EQ(Button(9).ShownText(), "Undo");
}

TEST_F(PageButtons, BindingsFollowTheLibraryWhenTheEditorCloses) {
  struct Case {
    std::function<void(MacroLibrary&)> edit;
    std::vector<int> slot;  // code, actions, index of slot 6 in both profiles afterwards
    const char* label;
  };
  const Case cases[] = {
      {[](MacroLibrary& l) { l.clear(); }, {4, 0, -1}, "Forward"},  // deleted
      {[](MacroLibrary& l) { SetName(l[0]->name, u"Hop"); }, {4, 0, -1}, "Forward"},
      {[](MacroLibrary& l) { l[0]->action_count = 1; }, {kFunctionMacro, 1, 0}, "Macro: Jump"},
  };
  for (const Case& c : cases) {
    h.page().store().Lock()->macros.clear();
    AddMacro(u"Jump", 2);
    {
      auto access = h.page().store().Lock();
      access->profiles.push_back(std::make_unique<ProfileRecord>(*access->EditedProfile()));
      for (auto& profile : access->profiles) {
        BindMacroCopy(profile->button[6], *access->macros[0], 0);
        BindMacroCopy(profile->button[9], *access->macros[0], 0);
        profile->button[6].function_code = kFunctionMacro;
        profile->button[9].function_code = 33;  // given another function since
      }
    }
    h.toolkit.ScriptModal([&](toolkit::Window& editor) {
      c.edit(h.page().store().Lock()->macros);
      editor.Close(0);
    });
    ASSERT_TRUE(h.Click("ms_1_btn_macro"));
    h.Settle();
    auto access = h.page().store().Lock();
    for (auto& profile : access->profiles) {
      const ButtonSlot& slot = profile->button[6];
      EXPECT_EQ((std::vector<int>{slot.function_code, slot.macro_action_count, slot.macro_index,
                                  slot.button_index, profile->button[9].function_code}),
                (std::vector<int>{c.slot[0], c.slot[1], c.slot[2], 6, 33}))
          << c.label;
    }
    EXPECT_EQ(Button(7).ShownText(), c.label);
    access->profiles.pop_back();
  }
}

// The menu opens at the button's right edge, upwards where the screen ends
// below it; buttons 13-18 open none.
TEST_F(PageButtons, MenuOpensUpwardsNearTheScreenBottom) {
  const toolkit::Rect window = h.window->ScreenRect();
  const toolkit::Point at{window.left + Button(5).Position().right,
                          window.top + Button(5).Position().top};
  for (const int room : {400, 100}) {  // screen height below the button's top
    h.toolkit.SetScreen({0, 0, 1920, at.y + room}, {0, 0, 1920, at.y + room});
    ASSERT_TRUE(h.toolkit.Input().Click(Button(5)));
    const int height = 22 * h.toolkit.OpenMenu()->VisibleItemCount() + 4;
    EXPECT_EQ(h.toolkit.OpenMenu()->Position(),
              (toolkit::Point{at.x, room > height ? at.y : at.y + 25 - height}));
  }
  h.toolkit.OpenMenu()->Close();
  Button(13).SetVisible(true);
  ASSERT_TRUE(h.toolkit.Input().Click(Button(13)));
  EXPECT_EQ(h.toolkit.OpenMenu(), nullptr);
}

}  // namespace
}  // namespace vexel::testing
