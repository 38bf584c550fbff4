// The page's start-up load of the store, the profile list, and the Automatic
// profiles section: its edits, rules.json, and the rules following renamed,
// deleted and rule-chosen profiles.
#include <fstream>

#include "autoprofile/app_rules.h"
#include "page_test.h"

namespace vexel::testing {
namespace {

using Names = std::vector<std::u16string>;

TEST(PageProfiles, StoredSelectionIsEditedAndTheUsersFirstChoiceSwitches) {
  Page h;
  h.StartOnProfiles(2);
  EXPECT_EQ(h.Names(), (Names{u"A", u"B", u"C"}));
  EXPECT_EQ(h.Control("ms_1_list_profile").ItemHeight(0), 22);
  EXPECT_EQ(h.Control("ms_1_list_profile").SelectedItem(), 2);
  EXPECT_TRUE(h.Control("ms_1_option_dpi_step_5").IsChecked());
  EXPECT_EQ(NameView(h.page().session().apply_cycle().Baseline().name), u"C");
  h.Settle();
  const std::size_t sent = h.SentCount();
  // Filling the list raised no selection, so this first one is the user's.
  ASSERT_TRUE(h.Choose("ms_1_list_profile", 0));
  h.Settle();
  EXPECT_EQ(NameView(h.Edited().name), u"A");
  EXPECT_EQ(h.page().store().Lock()->header->selected_profile, 0);
  EXPECT_EQ(h.FirstSentFrom(sent), 0x0C);  // a switch is a full apply: the reset report leads
}

TEST(PageProfiles, DeleteAsksSelectsTheProfileThatTakesThePlaceAndKeepsTheLast) {
  struct Case {
    int selected;
    const char* answer;
    Names left;
    int then_selected;
  };
  const Case cases[] = {{2, "btn_ok", {u"A", u"B"}, 1},
                        {1, "btn_ok", {u"A", u"C"}, 1},
                        {0, "btn_ok", {u"B", u"C"}, 0},
                        {0, "btn_cancel", {u"A", u"B", u"C"}, 0}};
  for (const Case& c : cases) {
    Page h;
    h.StartOnProfiles(c.selected);
    h.AnswerBox(c.answer);
    ASSERT_TRUE(h.Click("ms_1_profile_delete_btn"));
    EXPECT_EQ(h.boxes, std::vector<std::string>{"delete_profile_text"});
    EXPECT_EQ(h.Names(), c.left) << c.selected;
    EXPECT_EQ(h.Control("ms_1_list_profile").SelectedItem(), c.then_selected);
    EXPECT_EQ(NameView(h.Edited().name), c.left[c.then_selected]);
  }
  Page h;
  h.Start();
  h.AnswerBox("btn_ok");
  h.Click("ms_1_profile_delete_btn");
  EXPECT_EQ(h.boxes, std::vector<std::string>{"one_profile_text"});
  EXPECT_EQ(h.Names().size(), 1u);
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
    Page h;
    h.StartOnProfiles(2);
    h.AnswerName(c.typed);
    if (c.refused_with != nullptr) h.AnswerBox("btn_ok");
    ASSERT_TRUE(h.Click(c.button));
    // Rename offers the edited profile's name; a new profile starts empty.
    const bool rename = std::string(c.button) == "ms_1_profile_rename_btn";
    EXPECT_EQ(h.offered, rename ? "C" : "");
    if (c.refused_with != nullptr) {
      EXPECT_EQ(h.boxes, std::vector<std::string>{c.refused_with});
      EXPECT_EQ(h.Names(), (Names{u"A", u"B", u"C"}));
      continue;
    }
    const std::u16string typed = Utf8ToUtf16(c.typed);
    EXPECT_EQ(NameView(h.Edited().name), typed);
    if (!rename) {
      EXPECT_EQ(h.Control("ms_1_list_profile").SelectedItem(), 3);
      EXPECT_EQ(h.Edited().dpi_stage_current, 1);  // the defaults
      continue;
    }
    // A rename is saved at once.
    ProfileList stored;
    (void)LoadProfiles(StorePaths{h.data.path()}, stored, *MakeZeroHeader(), u"Profile",
                       {.save_new_store = false});
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_EQ(NameView(stored[2]->name), typed);
  }
}

// An import adds a copy; a refused file changes nothing; a restore gives the
// edited profile the defaults, keeps its name and sends it whole.
TEST(PageProfiles, ExportThenImportAddsACopyAndRestoreKeepsTheName) {
  Page h;
  h.StartOnProfiles(2);
  TempDir files;
  h.toolkit.ScriptFileDialog(files / "c.pro");
  ASSERT_TRUE(h.Click("ms_1_profile_export_btn"));
  h.toolkit.ScriptFileDialog(files / "c.pro");
  ASSERT_TRUE(h.Click("ms_1_profile_import_btn"));
  EXPECT_EQ(NameView(h.Edited().name), u"C_1");
  EXPECT_EQ(h.Edited().dpi_stage_current, 4);
  h.AnswerBox("btn_ok");
  h.toolkit.ScriptFileDialog(files / "missing.pro");
  ASSERT_TRUE(h.Click("ms_1_profile_import_btn"));
  EXPECT_EQ(h.boxes.size(), 1u);
  EXPECT_EQ(h.Names().size(), 4u);
  EXPECT_EQ(h.toolkit.FileDialogLog().back().filter_name, "Profile Flie");
  h.Settle();
  const std::size_t sent = h.SentCount();
  h.AnswerBox("btn_ok");
  ASSERT_TRUE(h.Click("ms_1_btn_reset"));
  h.Settle();
  EXPECT_EQ(h.boxes.back(), "restore_text");
  EXPECT_EQ(NameView(h.Edited().name), u"C_1");
  EXPECT_EQ(h.Edited().dpi_stage_current, 1);
  EXPECT_EQ(h.FirstSentFrom(sent), 0x0C);
}

// The rule list shows `rows`, and rules.json holds what the page holds: on,
// with `default_profile` ("-": none).
void ExpectRules(Page& h, const std::vector<std::u16string>& rows, const char* default_profile) {
  EXPECT_EQ(h.Rows("ms_1_list_rules"), rows);
  std::string warning;
  const AppRules stored = LoadAppRules(h.data.path(), &warning);
  EXPECT_EQ(stored, h.page().app_rules()) << warning;
  EXPECT_TRUE(stored.enabled);
  EXPECT_EQ(stored.default_profile.value_or("-"), default_profile);
}

TEST(PageRules, SectionEditsAreStoredAndFollowTheProfiles) {
  Page h;
  std::ofstream(h.data / "rules.json") << "{\"rules\": 7";  // damaged: set aside
  h.running_app_names = [] { return std::vector<std::string>{"gimp", "firefox", "gimp"}; };
  h.StartOnProfiles(0);
  EXPECT_TRUE(std::filesystem::exists(h.data / "rules.json.damaged"));
  toolkit::Control& app = h.Control("ms_1_edit_rule_app");
  ASSERT_TRUE(h.Click("ms_1_check_rules") && h.Click("ms_1_check_rules_enabled"));
  h.toolkit.Input().Focus(app);
  EXPECT_EQ(app.Completions(), (std::vector<std::string>{"firefox", "gimp"}));
  h.toolkit.Input().Type(app, " firefox ");  // added by Enter, trimmed
  h.Choose("ms_1_combo_rule_profile", 1);
  h.toolkit.Input().PressReturn(app);
  h.Choose("ms_1_combo_rule_default", 2);
  ExpectRules(h, {u"firefox  →  B"}, "B");
  h.toolkit.Input().Type(app, "  ");
  h.AnswerBox("btn_ok");
  h.Click("ms_1_btn_rule_add");
  EXPECT_EQ(h.boxes, std::vector<std::string>{"rule_app_empty_text"});
  h.Choose("ms_1_list_profile", 1);
  h.AnswerName("Office");
  h.Click("ms_1_profile_rename_btn");
  ExpectRules(h, {u"firefox  →  Office"}, "Office");
  h.AnswerBox("btn_ok");
  h.Click("ms_1_profile_delete_btn");
  ExpectRules(h, {}, "-");
  // From outside: refused whole, or made as the section's edit.
  EXPECT_FALSE(
      h.page().EditRulesFromScript(std::vector<std::string>{"add", "x", "Nobody"}).error.empty());
  EXPECT_TRUE(
      h.page().EditRulesFromScript(std::vector<std::string>{"add", "x", "c"}).error.empty());
  EXPECT_EQ(h.Control("ms_1_list_rules").ItemText(0), "x  →  C");
}

TEST(PageRules, ARuleSelectsWithAFullApplyAndMarksTheRowUntilTheUserChooses) {
  Page h;
  h.StartOnProfiles(0);
  h.Settle();
  EXPECT_FALSE(h.page().SelectByRule("D").error.empty());
  EXPECT_FALSE(h.page().SelectByRule("A").changed);  // selected already
  const std::size_t sent = h.SentCount();
  EXPECT_TRUE(h.page().SelectByRule("C").selected);
  h.Settle();
  EXPECT_EQ(NameView(h.Edited().name), u"C");
  EXPECT_EQ(h.FirstSentFrom(sent), 0x0C);  // a full apply leads with the reset report
  EXPECT_EQ(h.Control("ms_1_list_profile").ItemText(2), "C  ·  by rule");
  h.Choose("ms_1_list_profile", 1);
  EXPECT_EQ(h.Control("ms_1_list_profile").ItemText(2), "C");
}

}  // namespace
}  // namespace vexel::testing
