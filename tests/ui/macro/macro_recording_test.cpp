// Recording from a fake hook library on a manual clock: the steps and pauses
// that hook reports become, and that no hook outlives the editor or the
// shortcut dialog; the macro binding dialog.
#include <functional>
#include <sstream>

#include "macro_editor_fixture.h"
#include "ui/macro/select_macro_wnd.h"
#include "ui/macro/shortcut_wnd.h"

namespace vexel::testing {
namespace {

constexpr uint8_t P = kActionPress, R = kActionRelease;

// Steps written as "4P30 4R10": code, press or release, delay.
std::vector<MacroAction> S(const std::string& text) {
  std::istringstream in(text);
  std::vector<MacroAction> steps;
  for (std::string t; in >> t;) {
    const size_t kind = t.find_first_of("PR");
    steps.push_back(Step(std::stoi(t), t[kind] == 'P' ? P : R, std::stoi(t.substr(kind + 1))));
  }
  return steps;
}

TEST_F(Recording, StoresTheReportsWithTheirPauses) {
  const char* const rec = "ms_1_record_delay_btn";
  const char* const none = "ms_1_no_delay_btn";
  const std::string five = "30P1 30R2 31P3 31R4 32P5";
  std::string forty_four;
  for (int i = 0; i < 44; ++i) forty_four += "4P20 ";
  struct Case {
    std::string before;
    int selected;  // -1: replace the steps
    const char* delay_option;
    std::string script, after;
  };
  // clang-format off
  const Case cases[] = {
      {five, -1, rec, "w90 A+ w1000 A+ w500 A-", "4P1500 4R10"},  // a held key
      {"", -1, rec, "A+ w30 A- w40 A+ w50 A-", "4P30 4R40 4P50 4R10"},
      {five, 2, rec, "w70 B+ w20 B-", "30P1 30R2 31P3 5P20 5R10 31R4 32P5"},
      {"", -1, rec, "A+ w30 A- s500 B+", "4P30 4R500 5P10"},  // pauses end at arrival
      {"", -1, "ms_1_default_delay_btn", "A+ w30 A- w40 B+", "4P250 4R250 5P10"},
      {"", -1, none, "A+ w30 A-", "4P10 4R10"},
      {"", -1, rec, "A+ w70000 A-", "4P65535 4R10"},
      {"", -1, rec, "w4294967290 A+ w25 A-", "4P25 4R10"},  // the tick wraps at 32 bits
      {"", -1, none, "m513.0 m514.0 m523.1 m524.1 m523.2 m524.2",
       "241P10 241R10 245P10 245R10 244P10 244R10"},
      {forty_four, 43, rec, "A+ w5 A- w5 B+", forty_four + "4P5 4R10"},  // two more fit
      {"5P2000 " + forty_four, 44, rec, "A+ A-", "5P2000 " + forty_four},  // 46 units: full
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    OpenWith(S(c.before));
    C("ms_1_macro_action_list").SelectItem(c.selected, true);
    Click(c.delay_option);
    Enter("ms_1_default_delay_edit", "250");
    Record(c.script);
    EXPECT_EQ(StoredSteps(0), S(c.after));
    EXPECT_FALSE(editor->recording());
    EXPECT_EQ(C("ms_1_macro_record_btn").ShownText(), "Start recording");
  }
}

TEST_F(Recording, AsksTheHooksInOrderAndClosingCommitsAndRemovesThem) {
  OpenWith({});
  Click("ms_1_macro_record_btn");
  Play("m513.0 A+");  // the pointer is still on the record button
  Hover(false);
  Play("w20 A- m516.0");
  toolkit.Input().CloseWindow(*editor);
  toolkit.ProcessEvents();
  EXPECT_EQ(hook.calls, "i e1 w0 em1 r rm em0 e0 w0 ");
  EXPECT_EQ(StoredSteps(0), S("4P10 4R10 242P10"));
}

TEST_F(Recording, KeyCaptureSetsTheKeyAndGivesTheKeyboardBack) {
  OpenWith({Step(4, P, 100), Step(5, P, 200)});
  Choose("ms_1_macro_action_list", 0);
  Click("ms_1_macro_action_edit_check");
  Click("ms_1_macro_record_btn");
  ASSERT_TRUE(toolkit.Input().Focus(C("ms_1_macro_action_edit")));
  Hover(false);
  Play("\xa0+ m513.0");  // left Shift, virtual key 160
  EXPECT_EQ(StoredSteps(0)[0], Step(225, P, 100));
  ASSERT_TRUE(toolkit.Input().Focus(C("ms_1_macro_delay_edit")));
  Play("m513.0 C+");  // buttons and keys are both recorded again
  ASSERT_TRUE(toolkit.Input().Focus(C("ms_1_macro_action_edit")));
  toolkit.Input().CloseWindow(*editor);
  toolkit.ProcessEvents();
  EXPECT_FALSE(hook.window);
  EXPECT_EQ(StoredSteps(0).size(), 4u);
}

TEST_F(Recording, ChoosingAnotherMacroEndsTheRecordingInTheFirst) {
  Open({{u"Macro1", {}}, {u"Macro2", Steps(1)}});
  Choose("ms_1_macro_list", 0);
  Click("ms_1_macro_record_btn");
  Play("A+ w5 A-");
  Choose("ms_1_macro_list", 1);
  Play("B+");
  EXPECT_EQ(StoredSteps(0), S("4P10 4R10"));
  EXPECT_EQ(StoredSteps(1), Steps(1));
  EXPECT_FALSE(hook.window);
}

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
