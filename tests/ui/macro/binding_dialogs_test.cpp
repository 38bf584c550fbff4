// The macro binding dialog and the shortcut dialog on the headless toolkit,
// with the real skins and language file and a recording fake of the hook
// library.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "messages/app_messages.h"
#include "platform/clock.h"
#include "platform/fake_keyboard_layout.h"
#include "toolkit/control.h"
#include "toolkit/headless/headless_toolkit.h"
#include "toolkit/user_input.h"
#include "ui/macro/select_macro_wnd.h"
#include "ui/macro/shortcut_wnd.h"

namespace vexel::testing {
namespace {

// The hook library as the dialog sees it: one key window at a time.
struct FakeHook {
  static inline const VexelPostTarget* window = nullptr;
  static inline int enabled = 0;
  static inline std::vector<std::string> calls;

  static int32_t Install(const VexelPostTarget* target) {
    window = target;
    calls.push_back("installhook");
    return 1;
  }
  static int32_t Remove() {
    window = nullptr;
    enabled = 0;
    calls.push_back("removehook");
    return 1;
  }
  static int32_t Enable(int32_t on) {
    enabled = on;
    calls.push_back("enablehook(" + std::to_string(on) + ")");
    return 1;
  }
  // A key report as the hook thread sends it.
  static void Key(uint32_t virtual_key, intptr_t lparam = kKeyPressed) {
    if (window != nullptr && enabled) window->post(window->ctx, kMsgHookEvent, virtual_key, lparam);
  }
  static HookEntries Entries() {
    HookEntries e;
    e.installhook = &Install;
    e.removehook = &Remove;
    e.enablehook = &Enable;
    return e;
  }
};

class BindingDialogs : public ::testing::Test {
 protected:
  BindingDialogs() {
    toolkit.SetResourceFolder(std::string(VEXEL_SOURCE_DIR) + "/res");
    EXPECT_TRUE(language.LoadFile(std::string(VEXEL_SOURCE_DIR) + "/res/lan.xml"));
    toolkit.SetLanguageTable(language);
    FakeHook::window = nullptr;
    FakeHook::enabled = 0;
    FakeHook::calls.clear();
  }

  // Runs `dialog` modally with `script` as the user; the close code.
  int Run(toolkit::Window& dialog, std::function<void(toolkit::Window&)> script) {
    toolkit.ScriptModal(std::move(script));
    EXPECT_TRUE(dialog.Create(nullptr, {.tool_window = true, .visible = false}));
    return dialog.ShowModal();
  }

 public:
  toolkit::UserInput& user() { return toolkit.Input(); }
  // Focus leaves the field (the dialogs have one edit each, so no other edit
  // can take it from there).
  static void LeaveField(toolkit::Window& w, const char* name) {
    toolkit::Notification left;
    left.type = toolkit::kNotifyKillFocus;
    left.sender = &C(w, name);
    w.Notify(left);
  }
  static toolkit::Control& C(toolkit::Window& w, const char* name) {
    toolkit::Control* control = w.FindControl(name);
    if (control == nullptr) throw std::runtime_error(std::string("no control ") + name);
    return *control;
  }

  ManualClock clock;
  toolkit::headless::HeadlessToolkit toolkit{clock};
  LanguageTable language;
  HookEntries hooks = FakeHook::Entries();
  std::shared_ptr<FakeKeyboardLayout> layout = std::make_shared<FakeKeyboardLayout>();
};

TEST_F(BindingDialogs, SelectMacroShowsItsStartValues) {
  struct Case {
    int32_t selection, mode, count;
    int listed;          // row shown selected
    const char* option;  // checked option, or null
    bool count_row;
    const char* count_text;
  };
  const Case cases[] = {
      {-1, 0, 1, -1, "repeat_1", true, "1"},  // a slot that holds no macro
      {1, 2, 7, 1, "repeat_3", false, "7"},
      {1, 5, 3, 1, nullptr, false, "3"},      // unknown mode: no option, no count row
      {9, 1, 1, -1, "repeat_2", false, "1"},  // a row the library no longer has
  };
  for (const Case& c : cases) {
    CMS_1_SelectMacro dialog(toolkit, {"Reload", "Jump"});
    dialog.macro_selection = c.selection;
    dialog.repeat_mode = c.mode;
    dialog.loop_count = c.count;
    Run(dialog, [&](toolkit::Window& w) {
      EXPECT_EQ(C(w, "list_macro").ItemCount(), 2);
      EXPECT_EQ(C(w, "list_macro").SelectedItem(), c.listed);
      for (const char* option : {"repeat_1", "repeat_2", "repeat_3"}) {
        EXPECT_EQ(C(w, option).IsChecked(), c.option != nullptr && std::string(option) == c.option)
            << option;
      }
      EXPECT_EQ(C(w, "hor_loop_time").IsVisible(), c.count_row);
      EXPECT_EQ(C(w, "edit_loop_time").Text(), c.count_text);
    });
    if (c.selection == 9) {
      EXPECT_EQ(dialog.macro_selection, -1);
    }
  }
}

TEST_F(BindingDialogs, SelectMacroCountIsCorrectedInTheField) {
  struct Case {
    const char* typed;
    const char* shown;
    int32_t count;
    bool leave_field;  // false: OK straight after typing
  };
  const Case cases[] = {
      {"0", "1", 1, true},
      {"300", "255", 255, true},
      {"12a", "12", 12, true},
      {"", "1", 1, true},
      {"99999999999999999999", "255", 255, true},
      {"42", "42", 42, false},
  };
  for (const Case& c : cases) {
    CMS_1_SelectMacro dialog(toolkit, {"Reload"});
    std::string shown;
    const int code = Run(dialog, [&](toolkit::Window& w) {
      toolkit::Control& field = C(w, "edit_loop_time");
      ASSERT_TRUE(user().Focus(field));
      ASSERT_TRUE(user().Type(field, c.typed));
      if (c.leave_field) LeaveField(w, "edit_loop_time");
      ASSERT_TRUE(user().Click(C(w, "btn_ok")));
      shown = field.Text();
    });
    EXPECT_EQ(code, 1) << c.typed;
    EXPECT_EQ(shown, c.shown) << c.typed;
    EXPECT_EQ(dialog.loop_count, c.count) << c.typed;
  }
}

TEST_F(BindingDialogs, SelectMacroReturnsTheChoice) {
  struct Case {
    const char* name;
    std::function<void(BindingDialogs&, toolkit::Window&)> act;
    int code;
    int32_t selection, mode, count;
    bool count_row;
  };
  const Case cases[] = {
      {"mode 2 hides the count but keeps it",
       [](BindingDialogs& t, toolkit::Window& w) {
         t.user().ChooseItem(C(w, "list_macro"), 1);
         t.user().Click(C(w, "repeat_2"));
         t.user().Click(C(w, "btn_ok"));
       },
       1, 1, 1, 4, false},
      {"OK with no macro chosen",
       [](BindingDialogs& t, toolkit::Window& w) { t.user().Click(C(w, "btn_ok")); }, 1, -1, 0, 4,
       true},
      {"cancel", [](BindingDialogs& t, toolkit::Window& w) { t.user().Click(C(w, "btn_cancel")); },
       0, -1, 0, 4, true},
      {"close button",
       [](BindingDialogs& t, toolkit::Window& w) { t.user().Click(C(w, "btn_exit")); }, 0, -1, 0, 4,
       true},
  };
  for (const Case& c : cases) {
    CMS_1_SelectMacro dialog(toolkit, {"Reload", "Jump"});
    dialog.loop_count = 4;
    bool count_row = true;
    const int code = Run(dialog, [&](toolkit::Window& w) {
      c.act(*this, w);
      count_row = C(w, "hor_loop_time").IsVisible();
    });
    EXPECT_EQ(code, c.code) << c.name;
    EXPECT_EQ(dialog.macro_selection, c.selection) << c.name;
    EXPECT_EQ(dialog.repeat_mode, c.mode) << c.name;
    EXPECT_EQ(dialog.loop_count, c.count) << c.name;
    EXPECT_EQ(count_row, c.count_row) << c.name;
  }
}

TEST_F(BindingDialogs, ShortcutTakesTheKeyOfTheLastReport) {
  // The key at the position of Q types A on this layout.
  layout->SetKey(16, 'A', "a");
  layout->SetKey(30, 'Q', "q");
  struct Case {
    const char* name;
    std::vector<std::pair<uint32_t, intptr_t>> reports;
    uint8_t key;
    const char* shown;
  };
  const Case cases[] = {
      {"A then B",
       {{'A', kKeyPressed}, {'A', kKeyReleased}, {'B', kKeyPressed}, {'B', kKeyReleased}},
       5,
       "B"},
      {"left Ctrl alone", {{162, kKeyPressed}}, 224, "Left Ctrl"},
      {"by position", {{'A', kKeyPressed}}, 20, "A"},
      {"a key without a row", {{255, kKeyPressed}}, 0, ""},
  };
  for (const Case& c : cases) {
    CShortcutWnd dialog(toolkit, MacroEditorHost{&hooks, nullptr, layout});
    dialog.shortcut_key = 4;
    std::string shown;
    const int code = Run(dialog, [&](toolkit::Window& w) {
      EXPECT_EQ(C(w, "edit_key").Text(), "Q");  // usage 4 sits where this layout types Q
      ASSERT_TRUE(user().Focus(C(w, "edit_key")));
      for (const auto& [key, lparam] : c.reports) FakeHook::Key(key, lparam);
      toolkit.ProcessEvents();
      shown = C(w, "edit_key").ShownText();
      user().Click(C(w, "btn_ok"));
    });
    EXPECT_EQ(code, 1) << c.name;
    EXPECT_EQ(dialog.shortcut_key, c.key) << c.name;
    EXPECT_EQ(shown, c.shown) << c.name;
    EXPECT_EQ(dialog.ctrl_flag + dialog.shift_flag + dialog.alt_flag + dialog.win_flag, 0);
  }
}

TEST_F(BindingDialogs, ShortcutBoxesReturnTheirLastState) {
  CShortcutWnd dialog(toolkit, MacroEditorHost{&hooks, nullptr, layout});
  dialog.alt_flag = 1;
  Run(dialog, [&](toolkit::Window& w) {
    EXPECT_TRUE(C(w, "check_flag_3").IsChecked());
    for (const char* box : {"check_flag_1", "check_flag_1", "check_flag_2", "check_flag_3",
                            "check_flag_4", "check_flag_4", "check_flag_4"}) {
      user().Click(C(w, box));
    }
    user().Click(C(w, "btn_ok"));
  });
  EXPECT_EQ(
      (std::vector<int>{dialog.ctrl_flag, dialog.shift_flag, dialog.alt_flag, dialog.win_flag}),
      (std::vector<int>{0, 1, 0, 1}));
}

TEST_F(BindingDialogs, NoKeyboardHookOutlivesKeyCapture) {
  using End = std::function<void(BindingDialogs&, toolkit::Window&)>;
  const std::pair<const char*, End> cases[] = {
      {"focus leaves the field, then OK",
       [](BindingDialogs& t, toolkit::Window& w) {
         LeaveField(w, "edit_key");
         t.user().Click(C(w, "btn_ok"));
       }},
      {"OK while capturing",
       [](BindingDialogs& t, toolkit::Window& w) { t.user().Click(C(w, "btn_ok")); }},
      {"cancel while capturing",
       [](BindingDialogs& t, toolkit::Window& w) { t.user().Click(C(w, "btn_cancel")); }},
      {"closed by the window manager while capturing",
       [](BindingDialogs& t, toolkit::Window& w) { t.user().CloseWindow(w); }},
  };
  for (const auto& [name, end] : cases) {
    FakeHook::calls.clear();
    CShortcutWnd dialog(toolkit, MacroEditorHost{&hooks, nullptr, layout});
    Run(dialog, [&](toolkit::Window& w) {
      ASSERT_TRUE(user().Focus(C(w, "edit_key")));
      FakeHook::Key('B');  // still queued when capture ends
      end(*this, w);
    });
    EXPECT_EQ(FakeHook::window, nullptr) << name;
    EXPECT_EQ(FakeHook::calls, (std::vector<std::string>{"installhook", "enablehook(1)",
                                                         "removehook", "enablehook(0)"}))
        << name;
  }
}

}  // namespace
}  // namespace vexel::testing
