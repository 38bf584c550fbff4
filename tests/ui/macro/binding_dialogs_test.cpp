// The macro binding and shortcut dialogs on the headless toolkit.
#include <functional>

#include "macro_editor_fixture.h"
#include "ui/macro/select_macro_wnd.h"
#include "ui/macro/shortcut_wnd.h"

namespace vexel::testing {
namespace {

using Script = std::function<void(toolkit::Window&)>;

// The real skins and language file of the editor's fixture, and its fake hook.
// What the shortcut dialog stores, the page's button tests see.
class BindingDialogs : public Recording {
 protected:
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
  Script Clicks(const char* name) {
    return [this, name](toolkit::Window& w) { Click(w, name); };
  }
};

// The dialog starts from the slot's choice; a row or mode it does not have
// starts as none and as the first; leaving without OK returns what it got.
TEST_F(BindingDialogs, SelectMacroStartsFromTheSlotAndReturnsTheChoice) {
  struct Case {
    int32_t selection, mode;  // start values
    const char* shown;        // selected row, checked option, count row visible (count 4)
    const char* button;
    std::vector<int> result;  // code, selection, mode
  };
  const Case cases[] = {
      {1, 2, "1 repeat_3 0", "btn_cancel", {0, 1, 2}},
      {1, 5, "1 - 0", "btn_exit", {0, 1, 5}},
      {9, 0, "-1 repeat_1 1", "btn_ok", {1, -1, 0}},
      {-1, 0, "1 repeat_2 0", "btn_ok", {1, 1, 1}},  // chosen: the count row hides
  };
  for (const Case& c : cases) {
    CMS_1_SelectMacro dialog(toolkit, {"Reload", "Jump"});
    dialog.macro_selection = c.selection;
    dialog.repeat_mode = c.mode;
    dialog.loop_count = 4;
    std::string shown;
    const int code = Run(dialog, [&](toolkit::Window& w) {
      if (c.selection < 0) toolkit.Input().ChooseItem(C(w, "list_macro"), 1), Click(w, "repeat_2");
      std::string option = "-";
      for (const char* name : {"repeat_1", "repeat_2", "repeat_3"}) {
        if (C(w, name).IsChecked()) option = name;
      }
      shown = std::to_string(C(w, "list_macro").SelectedItem()) + " " + option + " " +
              std::to_string(C(w, "hor_loop_time").IsVisible()) + " " +
              C(w, "edit_loop_time").Text();
      Click(w, c.button);
    });
    EXPECT_EQ(shown, c.shown + std::string(" 4"));
    EXPECT_EQ(
        (std::vector<int>{code, dialog.macro_selection, dialog.repeat_mode, dialog.loop_count}),
        (std::vector<int>{c.result[0], c.result[1], c.result[2], 4}))
        << c.shown;
  }
}

TEST_F(BindingDialogs, SelectMacroCountIsCorrectedInTheField) {
  const std::pair<const char*, const char*> cases[] = {
      // typed, shown once the field is left and taken
      {"0", "1"},     {"300", "255"}, {"12a", "12"}, {"", "1"}, {"99999999999999999999", "255"},
      {"42", nullptr}};  // OK straight after typing
  for (const auto& [typed, corrected] : cases) {
    CMS_1_SelectMacro dialog(toolkit, {"Reload"});
    std::string shown;
    Run(dialog, [&](toolkit::Window& w) {
      toolkit.Input().Type(C(w, "edit_loop_time"), typed);
      if (corrected) Leave(w, "edit_loop_time");
      shown = C(w, "edit_loop_time").Text();
      Click(w, "btn_ok");
    });
    EXPECT_EQ(shown, corrected ? corrected : typed);
    EXPECT_EQ(std::to_string(dialog.loop_count), corrected ? corrected : typed);
  }
}

TEST_F(BindingDialogs, NoKeyboardHookOutlivesTheDialog) {
  const Script endings[] = {
      [&](auto& w) { Leave(w, "edit_key"), Click(w, "btn_ok"); },
      Clicks("btn_ok"),
      Clicks("btn_cancel"),
      [&](auto& w) { toolkit.Input().CloseWindow(w); },
  };
  for (const Script& end : endings) {
    hook.calls.clear();
    CShortcutWnd dialog(
        toolkit, MacroEditorHost{&hook.entries, nullptr, std::make_shared<FakeKeyboardLayout>()});
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
