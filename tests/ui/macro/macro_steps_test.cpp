// Editing the steps of one macro: capacity, insert-click buttons, delays,
// moves and deletes, each checked in the working copy and in macro.data.
#include <fstream>

#include "macro_editor_fixture.h"

namespace vexel::testing {
namespace {

constexpr uint8_t kLeft = kMacroCodeLeftButton;

// A macro at exactly 47 units: 46 steps, the first with a long delay.
std::vector<MacroAction> FullMacro() {
  auto steps = Steps(46);
  steps[0].delay = 2000;
  return steps;
}

struct DelayCase {
  const char* name;
  std::vector<MacroAction> steps;
  std::string typed;
  uint16_t stored;  // delay of step 1 afterwards
};

class DelayField : public MacroEditorTest, public ::testing::WithParamInterface<DelayCase> {};

TEST_P(DelayField, BoundsTheDelayAndUndoesWhatDoesNotFit) {
  OpenWith(GetParam().steps);
  Choose("ms_1_macro_action_list", 1);
  Click("ms_1_macro_action_edit_check");
  ASSERT_EQ(C("ms_1_macro_action_edit_tab").SelectedPage(), 1);
  Enter("ms_1_macro_delay_edit", GetParam().typed);
  EXPECT_EQ(editor->working_action(1).delay, GetParam().stored);
  EXPECT_EQ(StoredSteps(0)[1].delay, GetParam().stored);
  EXPECT_EQ(RowText(1, "delay"), std::to_string(GetParam().stored));
}

INSTANTIATE_TEST_SUITE_P(
    MacroEditor, DelayField,
    ::testing::Values(DelayCase{"Five", Steps(3), "5", 10},
                      DelayCase{"AboveSixteenBits", Steps(3), "70000", 65535},
                      DelayCase{"Letters", Steps(3), "x", 10},
                      DelayCase{"Plain", Steps(3), "300", 300},
                      DelayCase{"LongDelayAtFortySevenUnitsIsUndone", FullMacro(), "1281", 20},
                      DelayCase{"ShortDelayAtFortySevenUnitsIsKept", FullMacro(), "1280", 1280}),
    [](const auto& info) { return std::string(info.param.name); });

struct InsertCase {
  const char* name;
  int steps;
  int selected;  // row selected before the click; -1 none
  const char* delay_option;
  std::string default_delay;
  int count_after;
  int press_at;  // -1: nothing inserted
  uint16_t delay;
};

class InsertClick : public MacroEditorTest, public ::testing::WithParamInterface<InsertCase> {};

TEST_P(InsertClick, AddsPressAndReleaseAfterTheSelectionOrNothing) {
  const InsertCase& c = GetParam();
  OpenWith(Steps(c.steps));
  if (c.selected >= 0) Choose("ms_1_macro_action_list", c.selected);
  if (c.selected < 0) C("ms_1_macro_action_list").SelectItem(-1, true);
  Click(c.delay_option);
  Enter("ms_1_default_delay_edit", c.default_delay);
  Click("ms_1_macro_insert_mouse_btn");
  EXPECT_TRUE(C("ms_1_macro_mouse_event_tab").IsVisible());
  EXPECT_TRUE(C("ms_1_macro_name_tab").IsVisible());
  Click("ms_1_macro_key1_btn");
  ASSERT_EQ(editor->working_count(), c.count_after);
  ASSERT_EQ(static_cast<int>(StoredSteps(0).size()), c.count_after);
  if (c.press_at < 0) return;
  EXPECT_EQ(editor->working_action(c.press_at), Step(kLeft, kActionPress, c.delay));
  EXPECT_EQ(editor->working_action(c.press_at + 1), Step(kLeft, kActionRelease, c.delay));
  EXPECT_EQ(editor->selected_action(), c.press_at + 1);
  EXPECT_EQ(C("ms_1_macro_action_list").SelectedItem(), c.press_at + 1);
}

INSTANTIATE_TEST_SUITE_P(
    MacroEditor, InsertClick,
    ::testing::Values(
        InsertCase{"EmptyDefaultDelay", 0, -1, "ms_1_default_delay_btn", "250", 2, 0, 250},
        InsertCase{"EmptyNoDelay", 0, -1, "ms_1_no_delay_btn", "250", 2, 0, 10},
        InsertCase{"EmptyRecordedDelay", 0, -1, "ms_1_record_delay_btn", "250", 2, 0, 10},
        InsertCase{"NothingSelectedGoesOnTop", 3, -1, "ms_1_default_delay_btn", "10", 5, 0, 10},
        InsertCase{"AfterTheSelectedRow", 3, 1, "ms_1_default_delay_btn", "40", 5, 2, 40},
        InsertCase{"FortyFourMakeFortySix", 44, 43, "ms_1_no_delay_btn", "10", 46, 44, 10},
        InsertCase{"FortyFiveStayFortyFive", 45, 44, "ms_1_no_delay_btn", "10", 45, -1, 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct DeleteCase {
  const char* name;
  int steps;
  int selected;
  int selected_after;
};

class DeleteAction : public MacroEditorTest, public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(DeleteAction, SelectsTheNeighbourAndTheLastRowShowsTen) {
  const DeleteCase& c = GetParam();
  auto steps = Steps(c.steps);
  for (int i = 0; i < c.steps; ++i) steps[i].delay = static_cast<uint16_t>(100 + i);
  OpenWith(steps);
  Choose("ms_1_macro_action_list", c.selected);
  Click("ms_1_macro_delete_action_btn");
  steps.erase(steps.begin() + c.selected);
  EXPECT_EQ(Working(), steps);
  EXPECT_EQ(StoredSteps(0), steps);
  EXPECT_EQ(editor->selected_action(), c.selected_after);
  EXPECT_EQ(C("ms_1_macro_action_list").ItemCount(), c.steps - 1);
  if (!steps.empty()) {
    EXPECT_EQ(RowText(c.steps - 2, "delay"), "10");
  }
}

INSTANTIATE_TEST_SUITE_P(MacroEditor, DeleteAction,
                         ::testing::Values(DeleteCase{"OnlyOne", 1, 0, -1},
                                           DeleteCase{"Last", 3, 2, 1},
                                           DeleteCase{"Middle", 3, 1, 1},
                                           DeleteCase{"First", 3, 0, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MacroEditorTest, MovesCarryTheirDelayAndTheLastRowShowsTen) {
  OpenWith({Step(4, kActionPress, 100), Step(5, kActionPress, 200), Step(6, kActionPress, 300)});
  EXPECT_EQ(RowText(2, "delay"), "10");
  Choose("ms_1_macro_action_list", 2);
  Click("ms_1_macro_up_btn");
  const std::vector<MacroAction> up = {Step(4, kActionPress, 100), Step(6, kActionPress, 300),
                                       Step(5, kActionPress, 200)};
  EXPECT_EQ(StoredSteps(0), up);
  EXPECT_EQ(RowText(1, "delay"), "300");
  EXPECT_EQ(RowText(2, "delay"), "10");
  EXPECT_EQ(C("ms_1_macro_action_list").SelectedItem(), 1);
  Choose("ms_1_macro_action_list", 0);
  Click("ms_1_macro_down_btn");
  EXPECT_EQ(StoredSteps(0)[1], Step(4, kActionPress, 100));
  // The last row cannot move further down, the first not up.
  Choose("ms_1_macro_action_list", 2);
  Click("ms_1_macro_down_btn");
  Choose("ms_1_macro_action_list", 0);
  Click("ms_1_macro_up_btn");
  EXPECT_EQ(StoredSteps(0)[0], Step(6, kActionPress, 300));
}

TEST_F(MacroEditorTest, ActionEditorFollowsTheRowAndLocksTheLastDelay) {
  OpenWith({Step(4, kActionPress, 100), Step(kLeft, kActionPress, 200),
            Step(kLeft, kActionRelease, 300)});
  EXPECT_EQ(RowText(0, "key"), "A");
  EXPECT_EQ(RowText(1, "key"), "Left button");
  EXPECT_EQ(RowText(2, "action"), "Release");
  Choose("ms_1_macro_action_list", 0);
  Click("ms_1_macro_action_edit_check");
  EXPECT_EQ(C("ms_1_macro_action_edit").Text(), "A");
  EXPECT_EQ(C("ms_1_macro_delay_edit").Text(), "100");
  Choose("ms_1_macro_action_list", 2);
  EXPECT_EQ(C("ms_1_macro_action_edit_tab").SelectedPage(), 2);
  EXPECT_EQ(C("ms_1_macro_mouseaction_delay_edit").Text(), "10");
  EXPECT_FALSE(C("ms_1_macro_mouseaction_delay_edit").IsEnabled());
  // The button of a mouse step changes; press or release and delay stay.
  Choose("ms_1_macro_action_list", 1);
  EXPECT_EQ(C("ms_1_macro_mouse_action_combo").ItemCount(), 5);
  Choose("ms_1_macro_mouse_action_combo", 3);
  EXPECT_EQ(StoredSteps(0)[1], Step(kMacroCodeSideButton1, kActionPress, 200));
  Click("ms_1_macro_cancel_btn");
  EXPECT_EQ(C("ms_1_macro_action_edit_tab").SelectedPage(), 0);
  EXPECT_FALSE(C("ms_1_macro_action_edit_check").IsChecked());
  // Save and cancel wait for the next step to edit.
  EXPECT_FALSE(C("ms_1_macro_save_btn").IsEnabled() || C("ms_1_macro_cancel_btn").IsEnabled());
}

TEST_F(MacroEditorTest, WithoutAMacroNothingReachesTheLibraryClearEmptiesIt) {
  Open({{u"Macro1", Steps(2)}});
  for (const char* name : {"ms_1_macro_clear_action_btn", "ms_1_macro_export_btn"}) Click(name);
  Click("ms_1_macro_insert_mouse_btn");
  Click("ms_1_macro_key2_btn");
  EXPECT_EQ(StoredSteps(0), Steps(2));
  EXPECT_TRUE(toolkit.FileDialogLog().empty());
  Choose("ms_1_macro_list", 0);
  Click("ms_1_macro_clear_action_btn");
  EXPECT_TRUE(StoredSteps(0).empty());
  EXPECT_EQ(C("ms_1_macro_action_list").ItemCount(), 0);
  Click("ms_1_macro_action_edit_check");  // needs a row
  EXPECT_FALSE(C("ms_1_macro_action_edit_check").IsChecked());
  EXPECT_EQ(C("ms_1_macro_action_edit_tab").SelectedPage(), 0);
}

TEST_F(MacroEditorTest, AFailedSaveKeepsTheEditInTheLibrary) {
  OpenWith(Steps(1));
  // A file where the store's folder belongs makes every save fail.
  std::filesystem::remove_all(store.paths().folder);
  std::ofstream(store.paths().folder) << "not a folder";
  Click("ms_1_macro_insert_mouse_btn");
  Click("ms_1_macro_key1_btn");
  EXPECT_EQ(store.Lock()->macros[0]->action_count, 3);
  EXPECT_EQ(Working().size(), 3u);
  // The user is told once per streak of failures, and again after a save worked.
  const auto insert = [&](const char* button, bool saves) {
    std::filesystem::remove_all(store.paths().folder);
    if (!saves) std::ofstream(store.paths().folder) << "not a folder";
    Click(button);
  };
  insert("ms_1_macro_key2_btn", false);
  EXPECT_EQ(toolkit.ModalLog().size(), 1u);
  insert("ms_1_macro_key3_btn", true);
  insert("ms_1_macro_key4_btn", false);
  EXPECT_EQ(toolkit.ModalLog().size(), 2u);
}

}  // namespace
}  // namespace vexel::testing
