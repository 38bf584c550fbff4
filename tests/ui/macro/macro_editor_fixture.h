// The macro editor on the headless toolkit with a store in a temporary folder,
// the real language file, the real message box and a US keyboard.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/msg_wnd.h"
#include "messages/app_messages.h"
#include "platform/fake_keyboard_layout.h"
#include "store/store_files.h"
#include "store/utf16_name.h"
#include "support/run_command.h"
#include "toolkit/control.h"
#include "toolkit/headless/headless_toolkit.h"
#include "toolkit/user_input.h"
#include "ui/macro/ms_1_macro.h"

namespace vexel::testing {

inline MacroAction Step(uint8_t code, uint8_t kind, uint16_t delay) {
  return {code, kind, delay};
}
// n presses of key A, each with `delay` ms.
inline std::vector<MacroAction> Steps(int n, uint16_t delay = 20) {
  return std::vector<MacroAction>(n, Step(4, kActionPress, delay));
}
using Library = std::vector<std::pair<std::u16string, std::vector<MacroAction>>>;

class MacroEditorTest : public ::testing::Test {
 protected:
  MacroEditorTest() {
    toolkit.SetResourceFolder(std::string(VEXEL_SOURCE_DIR) + "/res");
    toolkit.SetTraceSink([this](std::string_view line) { trace.emplace_back(line); });
    EXPECT_TRUE(language.LoadFile(std::string(VEXEL_SOURCE_DIR) + "/res/lan.xml"));
    toolkit.SetLanguageTable(language);
  }

  // Saves `macros` as the library and opens the editor on it.
  void Open(const Library& macros = {}) {
    editor.reset();
    store.Lock()->macros.clear();
    for (const auto& [name, steps] : macros) {
      auto macro = MakeZeroMacro();
      SetName(macro->name, name);
      macro->action_count = static_cast<int32_t>(steps.size());
      std::copy(steps.begin(), steps.end(), macro->actions);
      store.Lock()->macros.push_back(std::move(macro));
    }
    ASSERT_TRUE(store.SaveMacros());
    editor = std::make_unique<CMS_1_Macro>(
        toolkit, store,
        MacroEditorHost{hooks, &CMsgWnd::Show, std::make_shared<FakeKeyboardLayout>()});
    ASSERT_TRUE(editor->Create());
  }
  // The editor on one macro with `steps`, selected.
  void OpenWith(const std::vector<MacroAction>& steps) {
    Open({{u"Macro1", steps}});
    Choose("ms_1_macro_list", 0);
  }

  toolkit::Control& C(const std::string& name) {
    toolkit::Control* control = editor->FindControl(name);
    if (control == nullptr) throw std::runtime_error("no control " + name);
    return *control;
  }
  void Click(const std::string& name) { EXPECT_TRUE(toolkit.Input().Click(C(name))); }
  void Choose(const std::string& name, int index) {
    EXPECT_TRUE(toolkit.Input().ChooseItem(C(name), index));
  }
  // Types into a field and leaves it, as a user tabbing on does.
  void Enter(const std::string& name, const std::string& text) {
    const char* next =
        name == "ms_1_default_delay_edit" ? "ms_1_macro_name_edit" : "ms_1_default_delay_edit";
    ASSERT_TRUE(toolkit.Input().Focus(C(name)));
    ASSERT_TRUE(toolkit.Input().Type(C(name), text));
    ASSERT_TRUE(toolkit.Input().Focus(C(next)));
  }

  // What macro.data holds now.
  MacroLibrary Stored() {
    MacroLibrary library;
    LoadMacros(store.paths(), library);
    return library;
  }
  std::vector<MacroAction> StoredSteps(int macro) {
    const MacroLibrary library = Stored();
    return {library.at(macro)->actions, library[macro]->actions + library[macro]->action_count};
  }
  std::vector<std::u16string> StoredNames() {
    std::vector<std::u16string> names;
    for (const auto& macro : Stored()) names.emplace_back(NameView(macro->name));
    return names;
  }
  // The shown text of "key", "action" or "delay" of an action row.
  std::string RowText(int row, const char* part) {
    toolkit::Control* found =
        editor->ActionRow(row) ? editor->ActionRow(row)->FindChild(part) : nullptr;
    return found ? found->ShownText() : "<no row>";
  }

  ManualClock clock;
  toolkit::headless::HeadlessToolkit toolkit{clock};
  LanguageTable language;
  TempDir data;
  ProfileStore store{StorePaths{data.path() / "Data" / "ms_1"}};
  std::vector<std::string> trace;
  // What the next Open lends the editor.
  const HookEntries* hooks = nullptr;
  std::unique_ptr<CMS_1_Macro> editor;
};

// Towards its caller it behaves as Hook.so: key reports reach the installed
// window while enabled, button reports while the mouse hook is enabled.
struct FakeHook {
  static inline FakeHook* on = nullptr;
  std::optional<VexelPostTarget> window;
  bool keys = false;
  bool buttons = false;
  std::string calls;

  static int32_t Call(const std::string& what) { return on->calls += what + " ", 1; }
  static int32_t Install(const VexelPostTarget* w) {
    return on->window = *w, on->keys = false, Call("i");
  }
  static int32_t Remove() { return on->window.reset(), on->keys = on->buttons = false, Call("r"); }
  static int32_t RemoveMouse() { return on->buttons = false, Call("rm"); }
  static int32_t Enable(int32_t e) { return on->keys = e, Call("e" + std::to_string(e)); }
  static int32_t EnableMouse(int32_t e) { return on->buttons = e, Call("em" + std::to_string(e)); }
  static int32_t Wheel(int32_t e) { return Call("w" + std::to_string(e)); }
  HookEntries entries{&Install, &RemoveMouse, &EnableMouse, &Install, &Remove, &Enable, &Wheel};
};

class Recording : public MacroEditorTest {
 protected:
  Recording() { FakeHook::on = &hook, hooks = &hook.entries; }
  ~Recording() override { FakeHook::on = nullptr; }

  // Plays "w70" (the editor takes what is queued, 70 ms pass), "s70" (70 ms
  // pass while the editor is busy), "A+" / "A-" (key A pressed / released, by
  // virtual key), "m523.1" (button report wParam 523, lParam 1).
  void Play(const std::string& script) {
    std::istringstream tokens(script);
    for (std::string t; tokens >> t;) {
      if (t[0] == 'w') toolkit.ProcessEvents();
      if (t[0] == 'w' || t[0] == 's') clock.Advance(Clock::Ms(std::stoll(t.substr(1))));
      const bool key = t.size() == 2 && (t[1] == '+' || t[1] == '-');
      uintptr_t w = key ? static_cast<uint8_t>(t[0]) : 0;
      intptr_t l = key && t[1] == '-' ? kKeyReleased : kKeyPressed;
      if (t[0] == 'm') w = std::stoul(t.substr(1)), l = std::stol(t.substr(t.find('.') + 1));
      if (w != 0 && hook.window && (key ? hook.keys : hook.buttons)) {
        hook.window->post(hook.window->ctx, kMsgHookEvent, w, l);
      }
    }
    toolkit.ProcessEvents();
  }
  void Record(const std::string& script) {
    Click("ms_1_macro_record_btn");
    Hover(false);
    Play(script);
    Hover(true);
    if (editor->recording()) Click("ms_1_macro_record_btn");
  }
  void Hover(bool inside) { toolkit.Input().Hover(C("ms_1_macro_record_btn"), inside); }

  FakeHook hook;
};

}  // namespace vexel::testing
