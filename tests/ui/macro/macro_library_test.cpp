// The macro list of the editor: add, rename, delete, export and import, the
// layout's controls and names, and the page that opens the editor.
#include <fstream>

#include "macro_editor_fixture.h"
#include "support/main_window_harness.h"

namespace vexel::testing {
namespace {

struct RenameCase {
  const char* name;
  std::string typed;
  std::u16string stored;  // the second macro's name afterwards
  std::string shown;      // the name field afterwards
};

class Rename : public MacroEditorTest, public ::testing::WithParamInterface<RenameCase> {};

TEST_P(Rename, TakesOnlyAFreeNameThatFits) {
  Open({{u"Macro1", Steps(1)}, {u"Macro2", Steps(2)}});
  Choose("ms_1_macro_list", 1);
  Enter("ms_1_macro_name_edit", GetParam().typed);
  EXPECT_EQ(StoredNames(), (std::vector<std::u16string>{u"Macro1", GetParam().stored}));
  EXPECT_EQ(C("ms_1_macro_name_edit").Text(), GetParam().shown);
  EXPECT_EQ(C("ms_1_macro_list").ItemText(1), Utf16ToUtf8(GetParam().stored));
  EXPECT_EQ(StoredSteps(1), Steps(2));
}

INSTANTIATE_TEST_SUITE_P(
    MacroEditor, Rename,
    ::testing::Values(RenameCase{"AnotherMacrosNameInOtherCase", "macro1", u"Macro2", "Macro2"},
                      RenameCase{"OwnNameInOtherCase", "MACRO2", u"Macro2", "Macro2"},
                      RenameCase{"FreeName", "Jump", u"Jump", "Jump"},
                      RenameCase{"TwentyThreeCharacters", std::string(23, 'x'),
                                 std::u16string(23, u'x'), std::string(23, 'x')},
                      RenameCase{"TwentyFourCharacters", std::string(24, 'x'), u"Macro2", "Macro2"},
                      RenameCase{"Empty", "", u"Macro2", "Macro2"}),
    [](const auto& info) { return std::string(info.param.name); });

struct DeleteMacroCase {
  const char* name;
  int macros;
  int selected;  // -1: none
  const char* answer;
  int left;
  int selected_after;
};

class DeleteMacro : public MacroEditorTest,
                    public ::testing::WithParamInterface<DeleteMacroCase> {};

TEST_P(DeleteMacro, AsksFirstAndSelectsTheNeighbour) {
  const DeleteMacroCase& c = GetParam();
  Library macros;
  for (int i = 0; i < c.macros; ++i) macros.push_back({u"M" + Utf8ToUtf16(std::to_string(i)), {}});
  Open(macros);
  if (c.selected >= 0) Choose("ms_1_macro_list", c.selected);
  toolkit.ScriptModalClick(c.answer);
  Click("ms_1_macro_delete_btn");
  EXPECT_EQ(toolkit.ModalLog().back(), "MsgWnd");
  EXPECT_EQ(static_cast<int>(StoredNames().size()), c.left);
  EXPECT_EQ(C("ms_1_macro_list").ItemCount(), c.left);
  EXPECT_EQ(C("ms_1_macro_list").SelectedItem(), c.selected_after);
  if (c.left == 0) {
    EXPECT_EQ(editor->current_macro(), nullptr);
    EXPECT_EQ(C("ms_1_macro_action_list").ItemCount(), 0);
    EXPECT_EQ(C("ms_1_macro_name_edit").Text(), "");
    EXPECT_EQ(std::filesystem::file_size(store.paths().MacrosFile()), 0u);
  } else if (c.selected_after >= 0) {
    auto state = store.Lock();
    EXPECT_EQ(editor->current_macro(), state->macros[c.selected_after].get());
  }
}

INSTANTIATE_TEST_SUITE_P(
    MacroEditor, DeleteMacro,
    ::testing::Values(DeleteMacroCase{"TheLastMacro", 1, 0, "btn_ok", 0, -1},
                      DeleteMacroCase{"LastRowSelectsThePrevious", 3, 2, "btn_ok", 2, 1},
                      DeleteMacroCase{"MiddleRowSelectsTheNext", 3, 1, "btn_ok", 2, 1},
                      DeleteMacroCase{"Cancelled", 2, 1, "btn_cancel", 2, 1},
                      DeleteMacroCase{"NoneSelected", 2, -1, "btn_ok", 2, -1}),
    [](const auto& info) { return std::string(info.param.name); });

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
  EXPECT_EQ(C("ms_1_macro_list").ItemText(1), "Macro1_1");
  EXPECT_EQ(C("ms_1_macro_list").SelectedItem(), 1);
  EXPECT_EQ(Working(), steps);
  ASSERT_EQ(toolkit.FileDialogLog().size(), 2u);
  for (const auto& request : toolkit.FileDialogLog()) {
    EXPECT_EQ(request.filter_name, "Macro Flie");
    EXPECT_EQ(request.patterns, "*.macro;*.MACRO");
    EXPECT_EQ(request.initial_folder, (data.path() / "Data").string());
  }
  EXPECT_EQ(toolkit.FileDialogLog()[0].default_extension, "macro");
  EXPECT_EQ(toolkit.FileDialogLog()[1].default_extension, "");
}

TEST_F(MacroEditorTest, RefusedImportOrExportIsShownAndChangesNothing) {
  OpenWith(Steps(2));
  const std::string short_file = data / "short.macro";
  std::ofstream(short_file) << "too short";
  toolkit.ScriptFileDialog(short_file);
  toolkit.ScriptModalClick("btn_ok");
  Click("ms_1_macro_import_btn");
  EXPECT_EQ(StoredNames().size(), 1u);
  EXPECT_EQ(C("ms_1_macro_list").ItemCount(), 1);
  toolkit.ScriptFileDialog(short_file + "/x.macro");  // a file as folder
  toolkit.ScriptModalClick("btn_ok");
  Click("ms_1_macro_export_btn");
  EXPECT_EQ(toolkit.ModalLog(), (std::vector<std::string>{"MsgWnd", "MsgWnd"}));
}

TEST_F(MacroEditorTest, DefaultDelayFieldStaysWithinSixteenBits) {
  Open();
  EXPECT_TRUE(trace.empty()) << "every control the editor looks up is in the layout";
  for (const auto& [typed, shown] : std::vector<std::pair<std::string, std::string>>{
           {"5", "10"}, {"70000", "65535"}, {"300", "300"}, {"abc", "10"}}) {
    Enter("ms_1_default_delay_edit", typed);
    EXPECT_EQ(C("ms_1_default_delay_edit").Text(), shown) << typed;
  }
  EXPECT_EQ(editor->delay_mode(), DelayMode::kDefault);
}

TEST(MacroEditorOnThePage, OpensModallyAndTheLibraryKeepsItsMacros) {
  MainWindowHarness h;
  h.Start();
  h.toolkit.ScriptModal([](toolkit::Window& window) {
    auto& input = window.toolkit().Input();
    input.Click(*window.FindControl("ms_1_macro_add_btn"));
    input.Click(*window.FindControl("ms_1_macro_insert_mouse_btn"));
    input.Click(*window.FindControl("ms_1_macro_key1_btn"));
    input.Click(*window.FindControl("btn_exit"));
  });
  ASSERT_TRUE(h.toolkit.Input().Click(h.Control("ms_1_btn_macro")));
  h.toolkit.ProcessEvents();
  ASSERT_EQ(h.toolkit.ModalLog(), std::vector<std::string>{"MS_1_Macro"});
  MacroLibrary stored;
  LoadMacros(h.page().store().paths(), stored);
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(NameView(stored[0]->name), u"Macro1");  // "add_macro_text" and the new count
  EXPECT_EQ(stored[0]->action_count, 2);
}

}  // namespace
}  // namespace vexel::testing
