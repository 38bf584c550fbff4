// The Automatic profiles section: edits made by the user, what the list and
// rules.json show after each, and the rules following renamed, deleted and
// rule-chosen profiles.
#include <fstream>

#include "autoprofile/app_rules.h"
#include "page_test.h"

namespace vexel::testing {
namespace {

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
