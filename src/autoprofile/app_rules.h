// Profiles that follow the application in front: the rules that map an
// application to a profile, their file rules.json in the store folder, and
// the edits `vexelctl rule` and the window make on them. Rules name profiles
// by name, so a renamed or deleted profile is carried into them here.
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/active_window.h"

namespace vexel {

inline constexpr char kAppRulesFileName[] = "rules.json";

struct AppRule {
  std::string app;      // a WM_CLASS instance or class name, or a process name
  std::string profile;  // the exact name of a profile

  bool operator==(const AppRule&) const = default;
};

struct AppRules {
  bool enabled = false;
  std::optional<std::string> default_profile;  // none: stay on what is selected
  std::vector<AppRule> rules;

  bool operator==(const AppRules&) const = default;
};

// {"enabled": bool, "default": NAME|null, "rules": [{"app": ..., "profile": ...}]}
// on one line, without a final newline.
std::string AppRulesJson(const AppRules& rules);

// rules.json in `store_folder`. Missing: empty rules. Damaged (unreadable,
// unparsable, wrong types, too large): renamed to rules.json.damaged (or
// .damaged.1, ...), empty rules, and `warning` (when given) says so; it is
// left empty otherwise.
AppRules LoadAppRules(const std::filesystem::path& store_folder, std::string* warning);

// Writes rules.json crash-safely. The caller holds the store lock, as for
// pro.data. On failure `error` is one line naming the file.
bool SaveAppRules(const std::filesystem::path& store_folder, const AppRules& rules,
                  std::string& error);

// The words after `vexelctl rule`: add APP PROFILE | remove APP |
// default PROFILE|none | enable | disable. All or nothing: on a refusal
// `rules` is unchanged and `error` is one line. PROFILE is looked up as
// `vexelctl select` looks it up (position or name, any letter case) among
// `profile_names` and stored by its exact name. Adding an APP that has a rule
// (any letter case) replaces that rule; removing an unknown APP is refused.
bool EditAppRules(AppRules& rules, std::span<const std::string> words,
                  std::span<const std::string> profile_names, std::string& error);

// Upkeep when the page renames or deletes a profile (names compared without
// regard to case). A deleted profile's rules go; a default naming it becomes
// none.
void RenameProfileInRules(AppRules& rules, std::string_view old_name, std::string_view new_name);
void RemoveProfileFromRules(AppRules& rules, std::string_view name);

// The first rule whose app equals, in any letter case, the instance, the class
// name or the process name of `app` (a process name the kernel cut to 15
// bytes matches an app that begins with it); null when none does.
const AppRule* RuleForApp(const AppRules& rules, const AppInFront& app);

// The profile of the matching rule, else the default; std::nullopt: stay on
// what is selected (also whenever the rules are disabled).
std::optional<std::string> ProfileForApp(const AppRules& rules, const AppInFront& app);

// True when two profile or application names are equal without regard to case.
bool SameName(std::string_view a, std::string_view b);

}  // namespace vexel
