// The main window's page on the headless toolkit, driven by control name as a
// user would, with the answers its dialogs get scripted ahead.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/names.h"
#include "store/store_files.h"
#include "store/utf16_name.h"
#include "support/main_window_harness.h"

namespace vexel::testing {

struct Page : MainWindowHarness {
  bool Click(const std::string& name) { return toolkit.Input().Click(Control(name)); }
  bool Choose(const std::string& name, int item) {
    return toolkit.Input().ChooseItem(Control(name), item);
  }
  bool Slide(const std::string& name, int value) {
    return toolkit.Input().MoveSlider(Control(name), value);
  }
  std::string Shown(const std::string& name) { return Control(name).ShownText(); }
  bool Visible(const std::string& name) { return Control(name).IsVisible(); }
  std::size_t SentCount() { return wired.Sent().size(); }
  // The first report sent from `from` on; 0 when none was.
  int FirstSentFrom(std::size_t from) { return SentCount() > from ? wired.Sent()[from][0] : 0; }
  // The next message box adds its text key to `boxes` and is left with `button`.
  void AnswerBox(const std::string& button) {
    toolkit.ScriptModal([this, button](toolkit::Window& box) {
      boxes.push_back(box.FindControl("warning")->Text());
      toolkit.Input().Click(*box.FindControl(button));
    });
  }
  // The next name dialog gets `name` typed and OK; `offered` is what it held.
  void AnswerName(const std::string& name) {
    toolkit.ScriptModal([this, name](toolkit::Window& dialog) {
      offered = dialog.FindControl("edit_name")->Text();
      toolkit.Input().Type(*dialog.FindControl("edit_name"), name);
      toolkit.Input().Click(*dialog.FindControl("btn_ok"));
    });
  }
  // Starts on the stored profiles A, B and C, C at DPI stage 5, `selected` chosen.
  void StartOnProfiles(int selected) {
    ProfileList profiles;
    for (const char16_t* name : {u"A", u"B", u"C"}) {
      SetName(AddDefaultProfile(profiles, u"Profile").name, name);
    }
    profiles[2]->dpi_stage_current = 4;
    auto header = MakeZeroHeader();
    header->selected_profile = selected;
    ASSERT_TRUE(SaveProfiles(StorePaths{data.path()}, profiles, *header));
    Start();
  }
  // The profile names in the store, checked against the list's rows.
  std::vector<std::u16string> Names() {
    std::vector<std::u16string> names;
    for (const auto& profile : page().store().Lock()->profiles) {
      names.emplace_back(NameView(profile->name));
    }
    EXPECT_EQ(Rows("ms_1_list_profile"), names);
    return names;
  }
  std::vector<std::u16string> Rows(const std::string& list) {
    std::vector<std::u16string> rows;
    for (int i = 0; i < Control(list).ItemCount(); ++i) {
      rows.push_back(Utf8ToUtf16(Control(list).ItemText(i)));
    }
    return rows;
  }

  std::vector<std::string> boxes;
  std::string offered;
};

}  // namespace vexel::testing
