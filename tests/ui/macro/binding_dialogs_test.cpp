// The macro binding and shortcut dialogs on the headless toolkit.
#include <functional>

#include "macro_editor_fixture.h"
#include "ui/macro/select_macro_wnd.h"
#include "ui/macro/shortcut_wnd.h"

namespace vexel::testing {
namespace {

using Script = std::function<void(toolkit::Window&)>;

// The real skins and language file of the editor's fixture, and its fake hook.
class BindingDialogs : public Recording {
 protected:
  BindingDialogs() {
    layout->SetKey(16, 'A', "a");  // the key at the position of Q types A
    layout->SetKey(30, 'Q', "q");
  }
  int Run(toolkit::Window& dialog, Script script) {
    toolkit.ScriptModal(std::move(script));
    EXPECT_TRUE(dialog.Create(nullptr, {.visible = false}));
    return dialog.ShowModal();
  }
  void Click(toolkit::Window& w, const char* name) { toolkit.Input().Click(C(w, name)); }
  void Leave(toolkit::Window& w, const char* edit) {  // focus leaves the dialog's only edit
    toolkit::Notification left;
    left.type = toolkit::kNotifyKillFocus;
    left.sender = &C(w, edit);
    w.Notify(left);
  }
  static toolkit::Control& C(toolkit::Window& w, const char* name) { return *w.FindControl(name); }
  MacroEditorHost Host() { return MacroEditorHost{&hook.entries, nullptr, layout}; }

  std::shared_ptr<FakeKeyboardLayout> layout = std::make_shared<FakeKeyboardLayout>();
};

TEST_F(BindingDialogs, SelectMacroStartsFromTheSlotAndReturnsTheChoice) {
  struct Case {
    int32_t selection, mode;  // start values (count 4)
    const char* shown;        // selected row, checked option, count row visible
    Script user;
    int code;
    int32_t selection_after, mode_after;
  };
  const Case cases[] = {
      {-1, 0, "-1 repeat_1 1", [&](auto& w) { Click(w, "btn_ok"); }, 1, -1, 0},
      {1, 2, "1 repeat_3 0", [&](auto& w) { Click(w, "btn_cancel"); }, 0, 1, 2},
      {1, 5, "1 - 0", [&](auto& w) { Click(w, "btn_exit"); }, 0, 1, 5},         // unknown mode
      {9, 0, "-1 repeat_1 1", [&](auto& w) { Click(w, "btn_ok"); }, 1, -1, 0},  // gone row
      {-1, 0, "-1 repeat_1 1",
       [&](auto& w) {
         toolkit.Input().ChooseItem(C(w, "list_macro"), 1);
         Click(w, "repeat_2");  // hides the count row, keeps the count
         EXPECT_FALSE(C(w, "hor_loop_time").IsVisible());
         Click(w, "btn_ok");
       },
       1, 1, 1},
  };
  for (const Case& c : cases) {
    CMS_1_SelectMacro dialog(toolkit, {"Reload", "Jump"});
    dialog.macro_selection = c.selection;
    dialog.repeat_mode = c.mode;
    dialog.loop_count = 4;
    std::string shown;
    const int code = Run(dialog, [&](toolkit::Window& w) {
      std::string option = "-";
      for (const char* name : {"repeat_1", "repeat_2", "repeat_3"}) {
        if (C(w, name).IsChecked()) option = name;
      }
      shown = std::to_string(C(w, "list_macro").SelectedItem()) + " " + option + " " +
              std::to_string(C(w, "hor_loop_time").IsVisible());
      EXPECT_EQ(C(w, "edit_loop_time").Text(), "4");
      c.user(w);
    });
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(code, c.code) << c.shown;
    EXPECT_EQ(dialog.macro_selection, c.selection_after) << c.shown;
    EXPECT_EQ(dialog.repeat_mode, c.mode_after) << c.shown;
    EXPECT_EQ(dialog.loop_count, 4) << c.shown;
  }
}

TEST_F(BindingDialogs, SelectMacroCountIsCorrectedInTheField) {
  struct Case {
    const char* typed;
    const char* shown;
    bool leave_field;  // false: OK straight after typing
  };
  // clang-format off
  const Case cases[] = {{"0", "1", true}, {"300", "255", true}, {"12a", "12", true}, {"", "1", true},
                        {"99999999999999999999", "255", true}, {"42", "42", false}};
  // clang-format on
  for (const Case& c : cases) {
    CMS_1_SelectMacro dialog(toolkit, {"Reload"});
    std::string shown;
    Run(dialog, [&](toolkit::Window& w) {
      toolkit.Input().Type(C(w, "edit_loop_time"), c.typed);
      if (c.leave_field) Leave(w, "edit_loop_time");
      shown = C(w, "edit_loop_time").Text();
      Click(w, "btn_ok");
    });
    EXPECT_EQ(shown, c.leave_field ? c.shown : c.typed) << c.typed;
    EXPECT_EQ(std::to_string(dialog.loop_count), c.shown) << c.typed;
  }
}

TEST_F(BindingDialogs, ShortcutTakesTheLastKeyAndTheLastStateOfEachBox) {
  struct Case {
    std::string reports;             // as Recording::Play takes them
    std::vector<const char*> boxes;  // clicked in order
    uint8_t key;
    const char* shown;
    std::vector<int> flags;  // Ctrl, Shift, Alt, Win
  };
  const Case cases[] = {
      {"A+ A- B+ B-", {}, 5, "B", {0, 0, 1, 0}},
      {"\xa2+", {"check_flag_1", "check_flag_3"}, 224, "Left Ctrl", {1, 0, 0, 0}},
      {"A+", {"check_flag_2", "check_flag_2", "check_flag_4"}, 20, "A", {0, 0, 1, 1}},
      {"\xff+", {}, 0, "", {0, 0, 1, 0}},  // a key without a row
  };
  for (const Case& c : cases) {
    CShortcutWnd dialog(toolkit, Host());
    dialog.shortcut_key = 4;
    dialog.alt_flag = 1;
    std::string shown;
    Run(dialog, [&](toolkit::Window& w) {
      EXPECT_EQ(C(w, "edit_key").Text(), "Q");  // usage 4 sits where this layout types Q
      EXPECT_TRUE(C(w, "check_flag_3").IsChecked());
      toolkit.Input().Focus(C(w, "edit_key"));
      Play(c.reports);
      for (const char* box : c.boxes) Click(w, box);
      shown = C(w, "edit_key").Text();
      Click(w, "btn_ok");
    });
    EXPECT_EQ(dialog.shortcut_key, c.key) << c.shown;
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(
        (std::vector<int>{dialog.ctrl_flag, dialog.shift_flag, dialog.alt_flag, dialog.win_flag}),
        c.flags)
        << c.shown;
  }
}

TEST_F(BindingDialogs, NoKeyboardHookOutlivesTheDialog) {
  const std::vector<Script> endings = {
      [&](auto& w) { Leave(w, "edit_key"), Click(w, "btn_ok"); },
      [&](auto& w) { Click(w, "btn_ok"); },
      [&](auto& w) { Click(w, "btn_cancel"); },
      [&](auto& w) { toolkit.Input().CloseWindow(w); },
  };
  for (const Script& end : endings) {
    hook.calls.clear();
    CShortcutWnd dialog(toolkit, Host());
    Run(dialog, [&](toolkit::Window& w) {
      toolkit.Input().Focus(C(w, "edit_key"));
      hook.window->post(hook.window->ctx, kMsgHookEvent, 'B', 0);  // queued when capture ends
      end(w);
    });
    EXPECT_FALSE(hook.window);
    EXPECT_EQ(hook.calls, "i e1 r e0 ");
  }
}

}  // namespace
}  // namespace vexel::testing
