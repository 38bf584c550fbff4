// The Automatic profiles section: edits made by the user, what the list and
// rules.json show after each, and the rules following renamed, deleted and
// rule-chosen profiles.
#include <fstream>
#include <functional>

#include "autoprofile/app_rules.h"
#include "page_test.h"

namespace vexel::testing {
namespace {

void AddRule(Page& h, const char* app, int profile) {
  h.toolkit.Input().Type(h.Control("ms_1_edit_rule_app"), app);
  h.Choose("ms_1_combo_rule_profile", profile);
}

TEST(PageRules, SectionEditsAreStoredAndFollowTheProfiles) {
  Page h;
  std::ofstream(h.data / "rules.json") << "{\"rules\": 7";  // damaged: set aside
  h.running_app_names = [] { return std::vector<std::string>{"gimp", "firefox", "gimp"}; };
  h.StartOnProfiles(0);
  EXPECT_TRUE(std::filesystem::exists(h.data / "rules.json.damaged"));
  ASSERT_TRUE(h.Click("ms_1_check_rules"));
  h.toolkit.Input().Focus(h.Control("ms_1_edit_rule_app"));
  EXPECT_EQ(h.Control("ms_1_edit_rule_app").Completions(),
            (std::vector<std::string>{"firefox", "gimp"}));
  struct Step {
    std::function<void()> act;
    std::vector<std::u16string> rows;  // the rule list afterwards
    const char* default_profile;       // "-": none
    const char* box = nullptr;         // the message box shown, if any
  };
  const Step steps[] = {
      {[&] { h.Click("ms_1_check_rules_enabled"); }, {}, "-"},
      {[&] { AddRule(h, "gimp", 0), h.Click("ms_1_btn_rule_add"); }, {u"gimp  →  A"}, "-"},
      {[&] {  // by Enter, trimmed
         AddRule(h, " firefox ", 1);
         h.toolkit.Input().PressReturn(h.Control("ms_1_edit_rule_app"));
       },
       {u"gimp  →  A", u"firefox  →  B"},
       "-"},
      {[&] { AddRule(h, "  ", 2), h.Click("ms_1_btn_rule_add"); },
       {u"gimp  →  A", u"firefox  →  B"},
       "-",
       "rule_app_empty_text"},
      {[&] { h.Choose("ms_1_combo_rule_default", 2); }, {u"gimp  →  A", u"firefox  →  B"}, "B"},
      {[&] { h.Choose("ms_1_list_rules", 0), h.Click("ms_1_btn_rule_remove"); },
       {u"firefox  →  B"},
       "B"},
      {[&] {
         h.Choose("ms_1_list_profile", 1);
         h.AnswerName("Office");
         h.Click("ms_1_profile_rename_btn");
       },
       {u"firefox  →  Office"},
       "Office"},
      {[&] { h.Click("ms_1_profile_delete_btn"); }, {}, "-", "delete_profile_text"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(&step - steps);
    h.boxes.clear();
    if (step.box) h.AnswerBox("btn_ok");
    step.act();
    EXPECT_EQ(h.boxes, step.box ? std::vector<std::string>{step.box} : std::vector<std::string>{});
    EXPECT_EQ(h.Rows("ms_1_list_rules"), step.rows);
    std::string warning;
    const AppRules stored = LoadAppRules(h.data.path(), &warning);
    EXPECT_EQ(stored, h.page().app_rules()) << warning;
    EXPECT_TRUE(stored.enabled);
    EXPECT_EQ(stored.default_profile.value_or("-"), step.default_profile);
  }
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
