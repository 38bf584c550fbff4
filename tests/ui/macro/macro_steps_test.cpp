// Editing the steps of one macro: capacity, insert-click buttons, delays,
// moves and deletes, each checked in the working copy and in macro.data; the
// macro list: rename, delete, export and import. A new macro made from the
// page's button is the end-to-end macro editor story.
#include <fstream>

#include "macro_editor_fixture.h"

namespace vexel::testing {
namespace {

constexpr uint8_t kLeft = kMacroCodeLeftButton;

TEST_F(MacroEditorTest, DelayFieldBoundsTheDelayAndUndoesWhatDoesNotFit) {
  auto full = Steps(46);  // exactly 47 units, the first step with a long delay
  full[0].delay = 2000;
  const std::tuple<std::vector<MacroAction>, std::string, uint16_t> cases[] = {
      // steps, typed, the delay of step 1 afterwards
      {Steps(3), "5", 10},    {Steps(3), "70000", 65535}, {Steps(3), "x", 10},
      {Steps(3), "300", 300}, {full, "1281", 20},         {full, "1280", 1280},
  };
  for (const auto& [steps, typed, stored] : cases) {
    SCOPED_TRACE(typed);
    OpenWith(steps);
    Choose("ms_1_macro_action_list", 1);
    Click("ms_1_macro_action_edit_check");
    ASSERT_EQ(C("ms_1_macro_action_edit_tab").SelectedPage(), 1);
    Enter("ms_1_macro_delay_edit", typed);
    EXPECT_EQ(StoredSteps(0)[1].delay, stored);
    EXPECT_EQ(RowText(1, "delay"), std::to_string(stored));
  }
}

TEST_F(MacroEditorTest, InsertClickAddsPressAndReleaseAfterTheSelectionOrNothing) {
  struct Case {
    int steps;
    int selected;  // row selected before the click; -1 none
    const char* delay_option;
    std::string default_delay;
    int count_after;
    int press_at;  // -1: nothing inserted
    uint16_t delay;
  };
  const Case cases[] = {
      {0, -1, "ms_1_default_delay_btn", "250", 2, 0, 250},
      {0, -1, "ms_1_no_delay_btn", "250", 2, 0, 10},
      {0, -1, "ms_1_record_delay_btn", "250", 2, 0, 10},
      {3, -1, "ms_1_default_delay_btn", "10", 5, 0, 10},  // nothing selected: on top
      {3, 1, "ms_1_default_delay_btn", "40", 5, 2, 40},
      {44, 43, "ms_1_no_delay_btn", "10", 46, 44, 10},
      {45, 44, "ms_1_no_delay_btn", "10", 45, -1, 0},  // 47 units would not fit
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.steps << " " << c.delay_option);
    OpenWith(Steps(c.steps));
    C("ms_1_macro_action_list").SelectItem(c.selected, true);
    Click(c.delay_option);
    Enter("ms_1_default_delay_edit", c.default_delay);
    Click("ms_1_macro_insert_mouse_btn");
    Click("ms_1_macro_key1_btn");
    ASSERT_EQ(static_cast<int>(StoredSteps(0).size()), c.count_after);
    if (c.press_at < 0) continue;
    EXPECT_EQ(editor->working_action(c.press_at), Step(kLeft, kActionPress, c.delay));
    EXPECT_EQ(editor->working_action(c.press_at + 1), Step(kLeft, kActionRelease, c.delay));
    EXPECT_EQ(C("ms_1_macro_action_list").SelectedItem(), c.press_at + 1);
  }
}

TEST_F(MacroEditorTest, DeleteSelectsTheNeighbourAndTheLastRowShowsTen) {
  const std::tuple<int, int, int> cases[] = {{1, 0, -1}, {3, 2, 1}, {3, 1, 1}, {3, 0, 0}};
  for (const auto& [count, selected, selected_after] : cases) {
    SCOPED_TRACE(::testing::Message() << count << " " << selected);
    auto steps = Steps(count);
    for (int i = 0; i < count; ++i) steps[i].delay = static_cast<uint16_t>(100 + i);
    OpenWith(steps);
    Choose("ms_1_macro_action_list", selected);
    Click("ms_1_macro_delete_action_btn");
    steps.erase(steps.begin() + selected);
    EXPECT_EQ(StoredSteps(0), steps);
    EXPECT_EQ(editor->selected_action(), selected_after);
    EXPECT_EQ(C("ms_1_macro_action_list").ItemCount(), count - 1);
    EXPECT_EQ(steps.empty() ? "10" : RowText(count - 2, "delay"), "10");
  }
}

// Moves carry their delay; the last row shows 10 and cannot move further
// down, the first not up.
TEST_F(MacroEditorTest, MovesCarryTheirDelayAndTheLastRowShowsTen) {
  OpenWith({Step(4, kActionPress, 100), Step(5, kActionPress, 200), Step(6, kActionPress, 300)});
  for (const auto& [row, button] : {std::pair{2, "ms_1_macro_up_btn"},
                                    {2, "ms_1_macro_down_btn"},
                                    {0, "ms_1_macro_up_btn"},
                                    {0, "ms_1_macro_down_btn"}}) {
    Choose("ms_1_macro_action_list", row);
    Click(button);
  }
  EXPECT_EQ(StoredSteps(0),
            (std::vector<MacroAction>{Step(6, kActionPress, 300), Step(4, kActionPress, 100),
                                      Step(5, kActionPress, 200)}));
  EXPECT_EQ(RowText(0, "delay") + " " + RowText(2, "delay"), "300 10");
  EXPECT_EQ(C("ms_1_macro_action_list").SelectedItem(), 1);
}

// The action editor shows the selected step; the last step's delay is locked;
// the button of a mouse step changes while press or release and delay stay.
TEST_F(MacroEditorTest, ActionEditorFollowsTheRowAndLocksTheLastDelay) {
  OpenWith({Step(4, kActionPress, 100), Step(kLeft, kActionPress, 200),
            Step(kLeft, kActionRelease, 300)});
  EXPECT_EQ(RowText(0, "key") + "|" + RowText(1, "key") + "|" + RowText(2, "action"),
            "A|Left button|Release");
  Choose("ms_1_macro_action_list", 0);
  Click("ms_1_macro_action_edit_check");
  EXPECT_EQ(C("ms_1_macro_action_edit").Text() + " " + C("ms_1_macro_delay_edit").Text(), "A 100");
  Choose("ms_1_macro_action_list", 2);
  EXPECT_FALSE(C("ms_1_macro_mouseaction_delay_edit").IsEnabled());
  Choose("ms_1_macro_action_list", 1);
  Choose("ms_1_macro_mouse_action_combo", 3);
  EXPECT_EQ(StoredSteps(0)[1], Step(kMacroCodeSideButton1, kActionPress, 200));
  Click("ms_1_macro_cancel_btn");
  EXPECT_FALSE(C("ms_1_macro_action_edit_check").IsChecked());
}

TEST_F(MacroEditorTest, WithoutAMacroNothingReachesTheLibraryClearEmptiesIt) {
  Open({{u"Macro1", Steps(2)}});
  for (const char* name : {"ms_1_macro_clear_action_btn", "ms_1_macro_export_btn",
                           "ms_1_macro_insert_mouse_btn", "ms_1_macro_key2_btn"}) {
    Click(name);
  }
  EXPECT_EQ(StoredSteps(0), Steps(2));
  EXPECT_TRUE(toolkit.FileDialogLog().empty());
  Choose("ms_1_macro_list", 0);
  Click("ms_1_macro_clear_action_btn");
  EXPECT_TRUE(StoredSteps(0).empty());
}

// A save that fails keeps the edit in the library; the user is told once per
// streak of failures, and again after a save worked.
TEST_F(MacroEditorTest, AFailedSaveKeepsTheEditInTheLibraryAndIsToldOncePerStreak) {
  OpenWith(Steps(1));
  Click("ms_1_macro_insert_mouse_btn");
  std::vector<std::size_t> boxes;
  for (const auto& [button, saves] : {std::pair{"ms_1_macro_key1_btn", false},
                                      {"ms_1_macro_key2_btn", false},
                                      {"ms_1_macro_key3_btn", true},
                                      {"ms_1_macro_key4_btn", false}}) {
    // A file where the store's folder belongs makes every save fail.
    std::filesystem::remove_all(store.paths().folder);
    if (!saves) std::ofstream(store.paths().folder) << "not a folder";
    Click(button);
    boxes.push_back(toolkit.ModalLog().size());
  }
  EXPECT_EQ(store.Lock()->macros[0]->action_count, 9);
  EXPECT_EQ(boxes, (std::vector<std::size_t>{1, 1, 1, 2}));
}

TEST_F(MacroEditorTest, RenameTakesOnlyAFreeNameThatFits) {
  const std::string x23(23, 'x'), x24(24, 'x');
  const std::pair<std::string, std::string> cases[] = {
      // typed, the second macro's name afterwards
      {"macro1", "Macro2"}, {"MACRO2", "Macro2"}, {"Jump", "Jump"},
      {x23, x23},           {x24, "Macro2"},      {"", "Macro2"},
  };
  for (const auto& [typed, stored] : cases) {
    Open({{u"Macro1", Steps(1)}, {u"Macro2", Steps(2)}});
    EXPECT_EQ(trace, std::vector<std::string>{}) << "every control looked up is in the layout";
    Choose("ms_1_macro_list", 1);
    Enter("ms_1_macro_name_edit", typed);
    EXPECT_EQ(StoredNames(), (std::vector<std::u16string>{u"Macro1", Utf8ToUtf16(stored)}));
    EXPECT_EQ(C("ms_1_macro_name_edit").Text(), stored) << typed;
    EXPECT_EQ(StoredSteps(1), Steps(2));
  }
}

TEST_F(MacroEditorTest, DeleteAsksFirstAndSelectsTheNeighbour) {
  struct Case {
    int macros;
    int selected;  // -1: none
    const char* answer;
    int left;
    int selected_after;
  };
  const Case cases[] = {{1, 0, "btn_ok", 0, -1},
                        {3, 2, "btn_ok", 2, 1},
                        {3, 1, "btn_ok", 2, 1},
                        {2, 1, "btn_cancel", 2, 1},
                        {2, -1, "btn_ok", 2, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.macros << " " << c.selected << " " << c.answer);
    Library macros;
    for (int i = 0; i < c.macros; ++i)
      macros.push_back({u"M" + Utf8ToUtf16(std::to_string(i)), {}});
    Open(macros);
    if (c.selected >= 0) Choose("ms_1_macro_list", c.selected);
    toolkit.ScriptModalClick(c.answer);
    Click("ms_1_macro_delete_btn");
    EXPECT_EQ(static_cast<int>(StoredNames().size()), c.left);
    EXPECT_EQ(C("ms_1_macro_list").ItemCount(), c.left);
    EXPECT_EQ(C("ms_1_macro_list").SelectedItem(), c.selected_after);
    EXPECT_EQ(c.left == 0 ? C("ms_1_macro_name_edit").Text() : "", "");
    const MacroRecord* current =
        c.selected_after >= 0 ? store.Lock()->macros[c.selected_after].get() : nullptr;
    EXPECT_EQ(editor->current_macro(), current);
  }
}

TEST_F(MacroEditorTest, ExportThenImportAddsACopyNamedWithSuffix) {
  const std::vector<MacroAction> steps = {Step(4, kActionPress, 30), Step(4, kActionRelease, 40)};
  OpenWith(steps);
  const std::string file = data / "jump";
  toolkit.ScriptFileDialog(file);
  Click("ms_1_macro_export_btn");
  ASSERT_EQ(std::filesystem::file_size(file + ".macro"), sizeof(MacroRecord));
  toolkit.ScriptFileDialog(file + ".macro");
  Click("ms_1_macro_import_btn");
  EXPECT_EQ(StoredNames(), (std::vector<std::u16string>{u"Macro1", u"Macro1_1"}));
  EXPECT_EQ(StoredSteps(1), steps);
  EXPECT_EQ(C("ms_1_macro_list").SelectedItem(), 1);
  for (const auto& request : toolkit.FileDialogLog()) {
    EXPECT_EQ(request.filter_name + " " + request.patterns + " " + request.initial_folder + " " +
                  request.default_extension,
              "Macro Flie *.macro;*.MACRO " + (data.path() / "Data").string() +
                  (&request == &toolkit.FileDialogLog()[0] ? " macro" : " "));
  }
  // A file too short to import, or a file where a folder should be to export to,
  // is refused with a message and changes nothing.
  std::ofstream(file) << "too short";
  for (const auto& [button, path] : {std::pair{"ms_1_macro_import_btn", file},
                                     std::pair{"ms_1_macro_export_btn", file + "/x.macro"}}) {
    toolkit.ScriptFileDialog(path);
    toolkit.ScriptModalClick("btn_ok");
    Click(button);
  }
  EXPECT_EQ(StoredNames().size(), 2u);
  EXPECT_EQ(C("ms_1_macro_list").ItemCount(), 2);
  EXPECT_EQ(toolkit.ModalLog(), (std::vector<std::string>{"MsgWnd", "MsgWnd"}));
}

}  // namespace
}  // namespace vexel::testing
