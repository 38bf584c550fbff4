// The page's start-up load of the store and the profile list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/names.h"
#include "store/store_files.h"
#include "store/utf16_name.h"
#include "support/main_window_harness.h"
#include "support/run_command.h"

namespace vexel::testing {
namespace {

// Starts on three stored profiles A, B, C with the third selected.
void StartOnThreeProfiles(MainWindowHarness& h) {
  ProfileList profiles;
  for (const char16_t* name : {u"A", u"B", u"C"}) {
    ProfileRecord& profile = AddDefaultProfile(profiles, u"Profile");
    SetName(profile.name, name);
  }
  profiles[2]->dpi_stage_current = 4;
  auto header = MakeZeroHeader();
  header->selected_profile = 2;
  ASSERT_TRUE(SaveProfiles(StorePaths{h.data.path()}, profiles, *header));
  h.Start();
}

TEST(PageProfiles, StoredSelectionIsEditedAndTheUsersFirstChoiceSwitches) {
  MainWindowHarness h;
  StartOnThreeProfiles(h);
  toolkit::Control& list = h.Control("ms_1_list_profile");
  ASSERT_EQ(list.ItemCount(), 3);
  EXPECT_EQ(list.ItemText(1), "B");
  EXPECT_EQ(list.ItemHeight(0), 22);
  EXPECT_EQ(list.SelectedItem(), 2);
  EXPECT_EQ(NameView(h.Edited().name), u"C");
  EXPECT_TRUE(h.Control("ms_1_option_dpi_step_5").IsChecked());
  EXPECT_EQ(NameView(h.page().session().apply_cycle().Baseline().name), u"C");
  EXPECT_TRUE(h.page().session().apply_cycle().full_apply_pending());
  h.Settle();
  const std::size_t sent = h.wired.Sent().size();
  // Filling the list raised no selection, so this first one is the user's.
  ASSERT_TRUE(h.toolkit.Input().ChooseItem(list, 0));
  h.Settle();
  EXPECT_EQ(NameView(h.Edited().name), u"A");
  EXPECT_EQ(h.page().store().Lock()->header->selected_profile, 0);
  // A switch sends a full apply: the reset report leads.
  ASSERT_GT(h.wired.Sent().size(), sent);
  EXPECT_EQ(h.wired.Sent()[sent][0], 0x0C);
}

// Scripted answers: the name dialog gets `name` typed and OK; a message box
// records its text key and is answered with `button`.
// `offered`: the name the field held when the dialog opened.
void AnswerName(MainWindowHarness& h, std::string name, std::string* offered = nullptr) {
  h.toolkit.ScriptModal([&h, name, offered](toolkit::Window& dialog) {
    if (offered != nullptr) *offered = dialog.FindControl("edit_name")->Text();
    h.toolkit.Input().Type(*dialog.FindControl("edit_name"), name);
    h.toolkit.Input().Click(*dialog.FindControl("btn_ok"));
  });
}
void AnswerMessage(MainWindowHarness& h, std::vector<std::string>& shown, std::string button) {
  h.toolkit.ScriptModal([&h, &shown, button](toolkit::Window& box) {
    shown.push_back(box.FindControl("warning")->Text());
    h.toolkit.Input().Click(*box.FindControl(button));
  });
}
std::vector<std::u16string> ListedNames(MainWindowHarness& h) {
  std::vector<std::u16string> names;
  auto access = h.page().store().Lock();
  for (const auto& profile : access->profiles) names.emplace_back(NameView(profile->name));
  toolkit::Control& list = h.Control("ms_1_list_profile");
  EXPECT_EQ(list.ItemCount(), static_cast<int>(names.size()));
  for (int i = 0; i < list.ItemCount(); ++i) EXPECT_EQ(Utf8ToUtf16(list.ItemText(i)), names[i]);
  return names;
}

TEST(PageProfiles, DeleteSelectsTheProfileThatTakesThePlace) {
  struct Case {
    int selected;
    int then_edited;
    std::u16string then_name;
  };
  const Case cases[] = {{2, 1, u"B"}, {1, 1, u"C"}, {0, 0, u"B"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.selected);
    MainWindowHarness h;
    StartOnThreeProfiles(h);
    h.toolkit.Input().ChooseItem(h.Control("ms_1_list_profile"), c.selected);
    std::vector<std::string> shown;
    AnswerMessage(h, shown, "btn_ok");
    ASSERT_TRUE(h.toolkit.Input().Click(h.Control("ms_1_profile_delete_btn")));
    EXPECT_EQ(shown, std::vector<std::string>{"delete_profile_text"});
    EXPECT_EQ(ListedNames(h).size(), 2u);
    EXPECT_EQ(h.Control("ms_1_list_profile").SelectedItem(), c.then_edited);
    EXPECT_EQ(NameView(h.Edited().name), c.then_name);
  }
}

TEST(PageProfiles, DeleteAsksAndKeepsTheLastProfile) {
  MainWindowHarness h;
  h.Start();
  std::vector<std::string> shown;
  AnswerName(h, "Second");
  h.toolkit.Input().Click(h.Control("ms_1_profile_add_btn"));
  AnswerMessage(h, shown, "btn_cancel");  // not confirmed: kept
  h.toolkit.Input().Click(h.Control("ms_1_profile_delete_btn"));
  EXPECT_EQ(ListedNames(h).size(), 2u);
  AnswerMessage(h, shown, "btn_ok");
  h.toolkit.Input().Click(h.Control("ms_1_profile_delete_btn"));
  AnswerMessage(h, shown, "btn_ok");
  h.toolkit.Input().Click(h.Control("ms_1_profile_delete_btn"));
  EXPECT_EQ(ListedNames(h).size(), 1u);
  EXPECT_EQ(shown, (std::vector<std::string>{"delete_profile_text", "delete_profile_text",
                                             "one_profile_text"}));
}

TEST(PageProfiles, NamesAreCheckedBeforeTheyAreTaken) {
  struct Case {
    const char* button;
    std::string typed;
    const char* refused_with;  // nullptr: taken
  };
  const Case cases[] = {
      {"ms_1_profile_rename_btn", "c", "warn_name_2_text"},
      {"ms_1_profile_rename_btn", "A", "warn_name_2_text"},
      {"ms_1_profile_rename_btn", "", "warn_name_1_text"},
      {"ms_1_profile_add_btn", "b", "warn_name_2_text"},
      {"ms_1_profile_rename_btn", "Racing", nullptr},
      {"ms_1_profile_add_btn", "Work", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button + (" " + c.typed));
    MainWindowHarness h;
    StartOnThreeProfiles(h);
    const std::vector<std::u16string> before = ListedNames(h);
    std::vector<std::string> shown;
    std::string offered;
    AnswerName(h, c.typed, &offered);
    if (c.refused_with != nullptr) AnswerMessage(h, shown, "btn_ok");
    ASSERT_TRUE(h.toolkit.Input().Click(h.Control(c.button)));
    EXPECT_EQ(h.toolkit.PendingModalScripts(), 0);
    // Rename offers the edited profile's name; a new profile starts empty.
    const bool rename = std::string(c.button) == "ms_1_profile_rename_btn";
    EXPECT_EQ(offered, rename ? Utf16ToUtf8(before[2]) : "");
    const std::vector<std::u16string> after = ListedNames(h);
    if (c.refused_with != nullptr) {
      EXPECT_EQ(shown, std::vector<std::string>{c.refused_with});
      EXPECT_EQ(after, before);
      continue;
    }
    const std::u16string typed = Utf8ToUtf16(c.typed);
    EXPECT_EQ(NameView(h.Edited().name), typed);
    if (std::string(c.button) == "ms_1_profile_add_btn") {
      ASSERT_EQ(after.size(), 4u);
      EXPECT_EQ(h.Control("ms_1_list_profile").SelectedItem(), 3);
      EXPECT_EQ(h.Edited().dpi_stage_current, 1);  // the defaults
    } else {
      // A rename is saved at once.
      ProfileList stored;
      auto header = MakeZeroHeader();
      (void)LoadProfiles(StorePaths{h.data.path()}, stored, *header, u"Profile",
                         {.save_new_store = false});
      ASSERT_EQ(stored.size(), 3u);
      EXPECT_EQ(NameView(stored[2]->name), typed);
    }
  }
}

TEST(PageProfiles, RestoreKeepsTheNameAndSendsEverything) {
  MainWindowHarness h;
  StartOnThreeProfiles(h);
  h.Settle();
  std::vector<std::string> shown;
  AnswerMessage(h, shown, "btn_ok");
  const std::size_t sent = h.wired.Sent().size();
  ASSERT_TRUE(h.toolkit.Input().Click(h.Control("ms_1_btn_reset")));
  h.Settle();
  EXPECT_EQ(shown, std::vector<std::string>{"restore_text"});
  EXPECT_EQ(NameView(h.Edited().name), u"C");
  EXPECT_EQ(h.Edited().dpi_stage_current, 1);
  EXPECT_EQ(h.Control("ms_1_list_profile").ItemText(2), "C");
  ASSERT_GT(h.wired.Sent().size(), sent);
  EXPECT_EQ(h.wired.Sent()[sent][0], 0x0C);
}

TEST(PageProfiles, ExportThenImportAddsACopyAndARefusedFileChangesNothing) {
  MainWindowHarness h;
  StartOnThreeProfiles(h);
  TempDir files;
  h.toolkit.ScriptFileDialog(files / "c.pro");
  ASSERT_TRUE(h.toolkit.Input().Click(h.Control("ms_1_profile_export_btn")));
  ASSERT_EQ(h.toolkit.FileDialogLog().back().mode, toolkit::FileDialogRequest::Mode::kSave);
  h.toolkit.ScriptFileDialog(files / "c.pro");
  ASSERT_TRUE(h.toolkit.Input().Click(h.Control("ms_1_profile_import_btn")));
  EXPECT_EQ(ListedNames(h).back(), u"C_1");
  EXPECT_EQ(NameView(h.Edited().name), u"C_1");
  EXPECT_EQ(h.Edited().dpi_stage_current, 4);

  std::vector<std::string> shown;
  AnswerMessage(h, shown, "btn_ok");
  h.toolkit.ScriptFileDialog(files / "missing.pro");
  ASSERT_TRUE(h.toolkit.Input().Click(h.Control("ms_1_profile_import_btn")));
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(ListedNames(h).size(), 4u);
  EXPECT_EQ(h.toolkit.FileDialogLog().back().filter_name, "Profile Flie");
}

}  // namespace
}  // namespace vexel::testing
