// The macro list of the editor: add, rename, delete, export and import, the
// layout's controls and names, and the page that opens the editor.
#include <fstream>

#include "macro_editor_fixture.h"
#include "support/main_window_harness.h"

namespace vexel::testing {
namespace {

TEST_F(MacroEditorTest, RenameTakesOnlyAFreeNameThatFits) {
  const std::string x23(23, 'x'), x24(24, 'x');
  const std::pair<std::string, std::string> cases[] = {
      // typed, the second macro's name afterwards
      {"macro1", "Macro2"}, {"MACRO2", "Macro2"}, {"Jump", "Jump"},
      {x23, x23},           {x24, "Macro2"},      {"", "Macro2"},
  };
  for (const auto& [typed, stored] : cases) {
    Open({{u"Macro1", Steps(1)}, {u"Macro2", Steps(2)}});
    Choose("ms_1_macro_list", 1);
    Enter("ms_1_macro_name_edit", typed);
    EXPECT_EQ(StoredNames(), (std::vector<std::u16string>{u"Macro1", Utf8ToUtf16(stored)}));
    EXPECT_EQ(C("ms_1_macro_name_edit").Text(), stored) << typed;
    EXPECT_EQ(C("ms_1_macro_list").ItemText(1), stored);
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
  EXPECT_EQ(Working(), steps);
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
    for (const char* name :
         {"ms_1_macro_add_btn", "ms_1_macro_insert_mouse_btn", "ms_1_macro_key1_btn", "btn_exit"}) {
      window.toolkit().Input().Click(*window.FindControl(name));
    }
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
