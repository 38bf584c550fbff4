// The Automatic profiles section: edits made by the user, what the list and
// rules.json show after each, and the rules following renamed, deleted and
// rule-chosen profiles.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "autoprofile/app_rules.h"
#include "store/names.h"
#include "store/store_files.h"
#include "store/utf16_name.h"
#include "support/main_window_harness.h"

namespace vexel::testing {
namespace {

struct RulesStep {
  const char* what;
  std::function<void(MainWindowHarness&, toolkit::UserInput&)> act;
  std::vector<std::string> rows;  // the rule list afterwards
  const char* default_profile;    // nullptr: none
  const char* message = "";       // the message box shown, if any
};

toolkit::Control& C(MainWindowHarness& h, const char* name) {
  return h.Control(name);
}

void AddRule(MainWindowHarness& h, toolkit::UserInput& in, const char* app, int profile) {
  in.Type(C(h, "ms_1_edit_rule_app"), app);
  in.ChooseItem(C(h, "ms_1_combo_rule_profile"), profile);
  in.Click(C(h, "ms_1_btn_rule_add"));
}

// Starts on the stored profiles A, B and C, A selected.
void StartOnThreeProfiles(MainWindowHarness& h) {
  ProfileList profiles;
  for (const char16_t* name : {u"A", u"B", u"C"})
    SetName(AddDefaultProfile(profiles, u"P").name, name);
  ASSERT_TRUE(SaveProfiles(StorePaths{h.data.path()}, profiles, *MakeZeroHeader()));
  h.Start();
}

TEST(PageRules, SectionEditsAreStoredAndFollowTheProfiles) {
  MainWindowHarness h;
  std::ofstream(h.data / "rules.json") << "{\"rules\": 7";  // damaged: set aside
  h.running_app_names = [] { return std::vector<std::string>{"gimp", "firefox", "gimp"}; };
  StartOnThreeProfiles(h);
  EXPECT_TRUE(std::filesystem::exists(h.data / "rules.json.damaged"));
  toolkit::UserInput& in = h.toolkit.Input();
  ASSERT_TRUE(in.Click(C(h, "ms_1_check_rules")));
  in.Focus(C(h, "ms_1_edit_rule_app"));
  EXPECT_EQ(C(h, "ms_1_edit_rule_app").Completions(),
            (std::vector<std::string>{"firefox", "gimp"}));
  std::string message;
  const auto answer = [&] {
    h.toolkit.ScriptModal([&h, &message](toolkit::Window& box) {
      message = box.FindControl("warning")->Text();
      h.toolkit.Input().Click(*box.FindControl("btn_ok"));
    });
  };
  const auto rename_b = [](MainWindowHarness& h, toolkit::UserInput& in) {
    in.ChooseItem(C(h, "ms_1_list_profile"), 1);
    h.toolkit.ScriptModal([&h](toolkit::Window& dialog) {
      h.toolkit.Input().Type(*dialog.FindControl("edit_name"), "Office");
      h.toolkit.Input().Click(*dialog.FindControl("btn_ok"));
    });
    in.Click(C(h, "ms_1_profile_rename_btn"));
  };
  const RulesStep steps[] = {
      {"switched on",
       [](auto& h, auto& in) { in.Click(C(h, "ms_1_check_rules_enabled")); },
       {},
       nullptr},
      {"added", [](auto& h, auto& in) { AddRule(h, in, "gimp", 0); }, {"gimp  →  A"}, nullptr},
      {"added by Enter, trimmed",
       [](auto& h, auto& in) {
         in.Type(C(h, "ms_1_edit_rule_app"), " firefox ");
         in.ChooseItem(C(h, "ms_1_combo_rule_profile"), 1);
         in.PressReturn(C(h, "ms_1_edit_rule_app"));
       },
       {"gimp  →  A", "firefox  →  B"},
       nullptr},
      {"no application",
       [](auto& h, auto& in) { AddRule(h, in, "  ", 2); },
       {"gimp  →  A", "firefox  →  B"},
       nullptr,
       "rule_app_empty_text"},
      {"default",
       [](auto& h, auto& in) { in.ChooseItem(C(h, "ms_1_combo_rule_default"), 2); },
       {"gimp  →  A", "firefox  →  B"},
       "B"},
      {"removed",
       [](auto& h, auto& in) {
         in.ChooseItem(C(h, "ms_1_list_rules"), 0);
         in.Click(C(h, "ms_1_btn_rule_remove"));
       },
       {"firefox  →  B"},
       "B"},
      {"profile renamed", rename_b, {"firefox  →  Office"}, "Office"},
      {"profile deleted",
       [](auto& h, auto& in) { in.Click(C(h, "ms_1_profile_delete_btn")); },
       {},
       nullptr,
       "delete_profile_text"},
  };
  for (const RulesStep& step : steps) {
    SCOPED_TRACE(step.what);
    message.clear();
    if (*step.message) answer();
    step.act(h, in);
    EXPECT_EQ(message, step.message);
    toolkit::Control& list = C(h, "ms_1_list_rules");
    std::vector<std::string> rows;
    for (int i = 0; i < list.ItemCount(); ++i) rows.push_back(list.ItemText(i));
    EXPECT_EQ(rows, step.rows);
    std::string warning;
    const AppRules stored = LoadAppRules(h.data.path(), &warning);
    EXPECT_EQ(stored, h.page().app_rules()) << warning;
    EXPECT_TRUE(stored.enabled);
    EXPECT_EQ(stored.default_profile.value_or("-"),
              step.default_profile ? step.default_profile : "-");
  }
  // From outside: refused whole, or made as the section's edit.
  EXPECT_FALSE(
      h.page().EditRulesFromScript(std::vector<std::string>{"add", "x", "Nobody"}).error.empty());
  EXPECT_TRUE(
      h.page().EditRulesFromScript(std::vector<std::string>{"add", "x", "c"}).error.empty());
  EXPECT_EQ(C(h, "ms_1_list_rules").ItemText(0), "x  →  C");
}

TEST(PageRules, ARuleSelectsWithAFullApplyAndMarksTheRowUntilTheUserChooses) {
  MainWindowHarness h;
  StartOnThreeProfiles(h);
  h.Settle();
  toolkit::Control& list = C(h, "ms_1_list_profile");
  EXPECT_FALSE(h.page().SelectByRule("D").error.empty());
  EXPECT_FALSE(h.page().SelectByRule("A").changed);  // selected already
  const std::size_t sent = h.wired.Sent().size();
  EXPECT_TRUE(h.page().SelectByRule("C").selected);
  h.Settle();
  EXPECT_EQ(NameView(h.Edited().name), u"C");
  ASSERT_GT(h.wired.Sent().size(), sent);
  EXPECT_EQ(h.wired.Sent()[sent][0], 0x0C);  // a full apply leads with the reset report
  EXPECT_EQ(list.ItemText(2), "C  ·  by rule");
  h.toolkit.Input().ChooseItem(list, 1);
  EXPECT_EQ(list.ItemText(2), "C");
}

}  // namespace
}  // namespace vexel::testing
