// Recording from a fake hook library on a manual clock: the steps and pauses
// that hook reports become, and that no hook outlives the editor.
#include <sstream>

#include "macro_editor_fixture.h"

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
  EXPECT_EQ(C("ms_1_macro_record_btn").ShownText(), "Stop recording");
  Play("m513.0 A+");  // the pointer is still on the record button
  Hover(false);
  Play("w20 A- m516.0");
  EXPECT_EQ(hook.calls, "i e1 w0 em1 ");
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
  EXPECT_EQ(C("ms_1_macro_action_edit").Text(), "Left Shift");
  ASSERT_TRUE(toolkit.Input().Focus(C("ms_1_macro_delay_edit")));
  Play("m513.0 C+");  // buttons and keys are both recorded again
  EXPECT_EQ(editor->working_count(), 4);
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

TEST_F(MacroEditorTest, WithoutTheHookLibraryTheUserIsToldAndNothingChanges) {
  OpenWith(Steps(2));
  C("ms_1_macro_action_list").SelectItem(1, true);
  Click("ms_1_macro_record_btn");
  EXPECT_EQ(toolkit.ModalLog(), std::vector<std::string>{"MsgWnd"});
  EXPECT_FALSE(C("ms_1_macro_record_btn").IsChecked());
  EXPECT_EQ(StoredSteps(0), Steps(2));
}

}  // namespace
}  // namespace vexel::testing
