// Recording from a fake hook library on a manual clock: the steps and pauses
// that hook reports become, and that no hook outlives the editor.
#include <sstream>

#include "macro_editor_fixture.h"

namespace vexel::testing {
namespace {

struct RecordCase {
  const char* name;
  std::vector<MacroAction> before;
  int selected;  // -1: replace the steps
  const char* delay_option;
  std::string script;
  std::vector<MacroAction> after;
};
class RecordSteps : public Recording, public ::testing::WithParamInterface<RecordCase> {};

TEST_P(RecordSteps, StoresTheReportsWithTheirPauses) {
  const RecordCase& c = GetParam();
  OpenWith(c.before);
  C("ms_1_macro_action_list").SelectItem(c.selected, true);
  Click(c.delay_option);
  Enter("ms_1_default_delay_edit", "250");
  Record(c.script);
  EXPECT_EQ(StoredSteps(0), c.after);
  EXPECT_FALSE(editor->recording());
  EXPECT_EQ(C("ms_1_macro_record_btn").ShownText(), "Start recording");
}

constexpr uint8_t P = kActionPress, R = kActionRelease;
const char* const kRec = "ms_1_record_delay_btn";
const char* const kNone = "ms_1_no_delay_btn";
const char* const kDefault = "ms_1_default_delay_btn";

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
std::vector<MacroAction> Joined(std::vector<MacroAction> a, const std::vector<MacroAction>& b,
                                size_t at) {
  a.insert(a.begin() + at, b.begin(), b.end());
  return a;
}
const std::vector<MacroAction> kFive = S("30P1 30R2 31P3 31R4 32P5");
const std::vector<MacroAction> kFull = Joined(Steps(44), S("5P2000"), 0);  // 46 units

// clang-format off
INSTANTIATE_TEST_SUITE_P(MacroEditor, RecordSteps, ::testing::Values(
    RecordCase{"HeldKey", kFive, -1, kRec, "w90 A+ w1000 A+ w500 A-", S("4P1500 4R10")},
    RecordCase{"SameKeyTwice", {}, -1, kRec, "A+ w30 A- w40 A+ w50 A-", S("4P30 4R40 4P50 4R10")},
    RecordCase{"AfterRowThree", kFive, 2, kRec, "w70 B+ w20 B-", Joined(kFive, S("5P20 5R10"), 3)},
    RecordCase{"PausesEndAtArrival", {}, -1, kRec, "A+ w30 A- s500 B+", S("4P30 4R500 5P10")},
    RecordCase{"DefaultDelay", {}, -1, kDefault, "A+ w30 A- w40 B+", S("4P250 4R250 5P10")},
    RecordCase{"NoDelay", {}, -1, kNone, "A+ w30 A-", S("4P10 4R10")},
    RecordCase{"SeventySeconds", {}, -1, kRec, "A+ w70000 A-", S("4P65535 4R10")},
    RecordCase{"TickWrapsAtThirtyTwoBits", {}, -1, kRec, "w4294967290 A+ w25 A-", S("4P25 4R10")},
    RecordCase{"Buttons", {}, -1, kNone, "m513.0 m514.0 m523.1 m524.1 m523.2 m524.2",
               S("241P10 241R10 245P10 245R10 244P10 244R10")},
    RecordCase{"FortyFourTakeTwoMore", Steps(44), 43, kRec, "A+ w5 A- w5 B+",
               Joined(Steps(44), S("4P5 4R10"), 44)},
    RecordCase{"FortySixUnitsTakeNoMore", kFull, 44, kRec, "A+ A-", kFull}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

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

TEST_F(Recording, NamesTheWaylandLimitOnlyWhereItHolds) {
  for (const bool wayland : {false, true}) {
    capture_x11_only = wayland;
    Open();
    EXPECT_EQ(C("ms_1_macro_record_x11_label").IsVisible(), wayland);
  }
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
