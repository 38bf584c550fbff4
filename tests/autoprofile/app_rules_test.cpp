// Rules of profiles that follow the application: the edits of `vexelctl rule`,
// matching, rules.json kept whole or set aside, the settle time on a manual
// clock, and the process scan on a scratch proc folder.
#include <gtest/gtest.h>

#include <fstream>

#include "../support/run_command.h"
#include "autoprofile/app_follower.h"
#include "autoprofile/app_rules.h"
#include "autoprofile/process_scan.h"

namespace vexel {
namespace {

using Words = std::vector<std::string>;

void WriteText(const std::filesystem::path& file, const std::string& text) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << text;
}

TEST(AppRules, EditsAreAllOrNothingAndNameProfilesExactly) {
  const Words profiles = {"Office", "Sniper", "Photo"};
  const std::vector<AppRule> gimp = {{"GIMP", "Sniper"}};
  const std::pair<Words, std::optional<AppRules>> cases[] = {
      {{"enable"}, AppRules{true, {}, {}}},
      {{"add", "gimp", "photo"}, AppRules{true, {}, {{"gimp", "Photo"}}}},
      {{"add", "Firefox", "0"}, AppRules{true, {}, {{"gimp", "Photo"}, {"Firefox", "Office"}}}},
      {{"add", "GIMP", "Sniper"}, AppRules{true, {}, {{"GIMP", "Sniper"}, {"Firefox", "Office"}}}},
      {{"add", "steam", "Nope"}, std::nullopt},
      {{"add", "", "Office"}, std::nullopt},
      {{"add", std::string(256, 'a'), "Office"}, std::nullopt},
      {{"add", "gimp\xFF", "Office"}, std::nullopt},
      {{"remove", "steam"}, std::nullopt},
      {{"remove", "firefox"}, AppRules{true, {}, gimp}},
      {{"default", "3"}, std::nullopt},
      {{"default", "OFFICE"}, AppRules{true, "Office", gimp}},
      {{"default", "none"}, AppRules{true, {}, gimp}},
      {{"add", "gimp"}, std::nullopt},
      {{}, std::nullopt},
      {{"disable"}, AppRules{false, {}, gimp}},
  };
  AppRules rules;
  for (const auto& [words, expected] : cases) {
    SCOPED_TRACE(words.empty() ? "(none)" : words[0] + " " + (words.size() > 1 ? words[1] : ""));
    const AppRules before = rules;
    std::string error;
    EXPECT_EQ(EditAppRules(rules, words, profiles, error), expected.has_value());
    EXPECT_EQ(error.empty(), expected.has_value());
    EXPECT_EQ(rules, expected.value_or(before));
  }
  EXPECT_EQ(
      AppRulesJson(AppRules{true, "Desk", {{"gimp \"2\"", "Photo"}}}),
      R"({"enabled": true, "default": "Desk", "rules": [{"app": "gimp \"2\"", "profile": "Photo"}]})");
}

TEST(AppRules, MatchInstanceClassOrProcessInAnyCaseElseTheDefault) {
  AppRules rules{
      true, "Desk", {{"gimp", "Photo"}, {"Firefox", "Office"}, {"gnome-text-editor", "Notes"}}};
  const std::pair<AppInFront, std::string> cases[] = {
      {{"gimp", "Gimp", "gimp-2.10"}, "Photo"},
      {{"", "", "GIMP"}, "Photo"},
      {{"Navigator", "firefox", ""}, "Office"},
      {{"", "", "gnome-text-edit"}, "Notes"},  // the kernel's cut to 15 bytes
      {{"", "", "gnome-text"}, "Desk"},
      {{"", "", ""}, "Desk"},
  };
  for (const auto& [app, expected] : cases) {
    SCOPED_TRACE(app.instance + "/" + app.class_name + "/" + app.process);
    EXPECT_EQ(ProfileForApp(rules, app), expected);
  }
  rules.default_profile.reset();
  EXPECT_EQ(ProfileForApp(rules, {"", "", "steam"}), std::nullopt);
  rules.enabled = false;
  EXPECT_EQ(ProfileForApp(rules, {"gimp", "", ""}), std::nullopt);
}

TEST(AppRules, FileRoundTripsAndDamageIsSetAside) {
  testing::TempDir folder;
  const std::filesystem::path file = folder.path() / "rules.json";
  const AppRules stored{true, "Desk", {{"gimp \"2\"", "Ph\xC3\xB6to"}}};
  std::string error, warning = "stale";
  ASSERT_TRUE(SaveAppRules(folder.path(), stored, error)) << error;
  EXPECT_EQ(LoadAppRules(folder.path(), &warning), stored);
  EXPECT_EQ(warning, "");

  const std::pair<std::string, bool> contents[] = {
      // Keys of later versions are skipped; anything else that is not ours is damage.
      {R"({"enabled": true, "rules": [{"app": "a", "profile": "P"}], "later": 1})", false},
      {"{", true},
      {"[]", true},
      {R"({"enabled": "yes"})", true},
      {R"({"rules": [{"app": "a"}]})", true},
      {R"({"rules": [{"app": "", "profile": "P"}]})", true},
      {std::string((1 << 20) - 1, ' ') + "{}", true},  // a byte past the cap
  };
  for (const auto& [text, damaged] : contents) {
    SCOPED_TRACE(text.substr(0, 40));
    std::filesystem::remove(folder.path() / "rules.json.damaged");
    WriteText(file, text);
    const AppRules loaded = LoadAppRules(folder.path(), &warning);
    EXPECT_EQ(!warning.empty(), damaged);
    EXPECT_EQ(std::filesystem::exists(file), !damaged);
    std::ifstream set_aside(folder.path() / "rules.json.damaged");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(set_aside), {}), damaged ? text : "");
    EXPECT_EQ(loaded.enabled, !damaged);
  }
  EXPECT_EQ(LoadAppRules(folder.path(), &warning), AppRules{});  // missing: no rules, no warning
  EXPECT_EQ(warning, "");
}

TEST(AppRules, RenamedAndDeletedProfilesAreCarriedIntoTheRules) {
  AppRules rules{true, "photo", {{"gimp", "Photo"}, {"steam", "Sniper"}, {"darktable", "PHOTO"}}};
  RenameProfileInRules(rules, "PHOTO", "Pic");
  EXPECT_EQ(rules,
            (AppRules{true, "Pic", {{"gimp", "Pic"}, {"steam", "Sniper"}, {"darktable", "Pic"}}}));
  RemoveProfileFromRules(rules, "pic");
  EXPECT_EQ(rules, (AppRules{true, std::nullopt, {{"steam", "Sniper"}}}));
}

TEST(AppFollower, SwitchesOnceTheApplicationHasStayedAndNeverToTheSelectedProfile) {
  using Source = AppFollower::Source;
  const AppRules rules{true, "Desk", {{"gimp", "Photo"}, {"firefox", "Office"}}};
  // Advance, the application reported before advancing ("" is none) and by
  // what, the switch then due, the next deadline.
  const std::tuple<int, std::optional<std::string>, Source, std::optional<std::string>,
                   std::optional<int>>
      steps[] = {
          {0, std::nullopt, Source::kWindow, std::nullopt, std::nullopt},
          {100, "steam", Source::kProcessScan, std::nullopt,
           300},  // no rule: the default, once due
          {300, std::nullopt, Source::kWindow, "Desk", std::nullopt},
          {299, "gimp", Source::kWindow, std::nullopt, 700},
          {1, "gimp", Source::kWindow, "Photo", std::nullopt},  // repeated reports keep the time
          {200, "firefox", Source::kWindow, std::nullopt, 1000},
          {200, "gimp", Source::kWindow, std::nullopt, 1200},  // firefox never settled
          {300, std::nullopt, Source::kWindow, std::nullopt, std::nullopt},    // Photo is selected
          {400, "firefox", Source::kProcessScan, std::nullopt, std::nullopt},  // focus reports win
          {0, "firefox", Source::kCompositor, std::nullopt, 2100},
          {300, std::nullopt, Source::kWindow, "Office", std::nullopt},
          {299, "", Source::kCompositor, std::nullopt, 2400},
          {1, std::nullopt, Source::kWindow, "Desk", std::nullopt},
      };
  ManualClock clock;
  AppFollower follower(clock);
  std::string selected = "Office";
  int row = 0;
  for (const auto& [advance_ms, app, source, switch_to, deadline_ms] : steps) {
    SCOPED_TRACE(row++);
    if (app) follower.OnAppInFront(AppInFront{"", "", *app}, source);
    clock.Advance(Clock::Ms(advance_ms));
    const auto due = follower.Due(rules, selected);
    EXPECT_EQ(due, switch_to);
    if (due) selected = *due;
    EXPECT_EQ(follower.NextDeadline(),
              deadline_ms ? std::optional(Clock::Ms(*deadline_ms)) : std::nullopt);
  }
  selected = "Photo";  // the user picked another profile: it stands until asked again
  EXPECT_EQ(follower.Due(rules, selected), std::nullopt);
  follower.Reconsider();
  EXPECT_EQ(follower.Due(rules, selected), "Desk");
}

std::string Stat(int pid, const std::string& name, const std::string& start) {
  std::string line = std::to_string(pid) + " (" + name + ") S";
  for (int field = 4; field < 22; ++field) line += " 0";
  return line + " " + start + " 0 0\n";
}

TEST(ProcessScan, NewestRuledProcessWinsAndBrokenStatFilesAreSkipped) {
  testing::TempDir proc;
  WriteText(proc.path() / "100" / "stat", Stat(100, "bash", "500"));
  WriteText(proc.path() / "200" / "stat", Stat(200, "gimp", "900"));
  WriteText(proc.path() / "300" / "stat", Stat(300, "a) (b", "950"));
  WriteText(proc.path() / "400" / "stat", Stat(400, "steam", "990").substr(0, 20));
  WriteText(proc.path() / "401" / "stat", Stat(401, "steam", "99x"));
  WriteText(proc.path() / "402" / "stat", "402 (steam S 0 0 0");
  WriteText(proc.path() / "self" / "stat", Stat(1, "zsh", "9999"));
  std::filesystem::create_directories(proc.path() / "405");
  const std::pair<std::vector<AppRule>, std::optional<std::string>> cases[] = {
      {{{"gimp", "P"}, {"A) (B", "Q"}}, "a) (b"},
      {{{"gimp", "P"}, {"bash", "Q"}, {"steam", "S"}}, "gimp"},
      {{{"steam", "S"}, {"zsh", "Z"}}, std::nullopt},
  };
  for (const auto& [rules, expected] : cases) {
    const auto newest = NewestRuledProcess(proc.path(), AppRules{true, std::nullopt, rules});
    EXPECT_EQ(newest ? std::optional(newest->process) : std::nullopt, expected);
  }
  EXPECT_EQ(RunningProcessNames(proc.path()), (Words{"a) (b", "bash", "gimp"}));
  EXPECT_EQ(
      NewestRuledProcess(proc.path() / "missing", AppRules{true, std::nullopt, {{"gimp", "P"}}}),
      std::nullopt);
}

}  // namespace
}  // namespace vexel
