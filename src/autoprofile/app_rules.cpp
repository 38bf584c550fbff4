// rules.json and the edits of the rules. The file is small and written only
// by this program, so anything it cannot take whole is treated as damage.
#include "autoprofile/app_rules.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "script/profile_script.h"
#include "store/file_io.h"
#include "store/utf16_name.h"

namespace vexel {
namespace {

using Json = nlohmann::json;

// Far above any hand-made list of rules; a larger file is not ours.
constexpr std::size_t kMaxFileBytes = 1 << 20;
// WM_CLASS names and process names are short; this only bounds bad input.
constexpr std::size_t kMaxAppBytes = 255;
// The kernel keeps a process name to 15 bytes.
constexpr std::size_t kProcessNameBytes = 15;

std::string Quoted(std::string_view text) {
  return Json(std::string(text)).dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::optional<AppRules> ParseAppRules(const Bytes& bytes) {
  const auto* first = reinterpret_cast<const char*>(bytes.data());
  const Json json = Json::parse(first, first + bytes.size(), nullptr, false);
  if (!json.is_object()) return std::nullopt;
  AppRules rules;
  if (const auto it = json.find("enabled"); it != json.end()) {
    if (!it->is_boolean()) return std::nullopt;
    rules.enabled = it->get<bool>();
  }
  if (const auto it = json.find("default"); it != json.end() && !it->is_null()) {
    if (!it->is_string() || it->get_ref<const std::string&>().empty()) return std::nullopt;
    rules.default_profile = it->get<std::string>();
  }
  if (const auto it = json.find("rules"); it != json.end()) {
    if (!it->is_array()) return std::nullopt;
    for (const Json& entry : *it) {
      if (!entry.is_object()) return std::nullopt;
      const auto app = entry.find("app");
      const auto profile = entry.find("profile");
      if (app == entry.end() || profile == entry.end() || !app->is_string() ||
          !profile->is_string()) {
        return std::nullopt;
      }
      AppRule rule{app->get<std::string>(), profile->get<std::string>()};
      // An empty app would match every window that lacks a name.
      if (rule.app.empty() || rule.app.size() > kMaxAppBytes || rule.profile.empty()) {
        return std::nullopt;
      }
      rules.rules.push_back(std::move(rule));
    }
  }
  return rules;
}

bool ProcessNameMatches(std::string_view process, std::string_view app) {
  if (process.empty()) return false;
  if (SameName(process, app)) return true;
  return process.size() == kProcessNameBytes && app.size() > process.size() &&
         SameName(process, app.substr(0, process.size()));
}

std::vector<AppRule>::iterator FindRule(AppRules& rules, std::string_view app) {
  return std::find_if(rules.rules.begin(), rules.rules.end(),
                      [&](const AppRule& rule) { return SameName(rule.app, app); });
}

// The exact name of the profile `selector` names, or std::nullopt with `error`.
std::optional<std::string> ProfileNamed(std::span<const std::string> names,
                                        std::string_view selector, std::string& error) {
  const auto index = script::FindProfileName(names, selector, error);
  if (!index) return std::nullopt;
  return names[static_cast<std::size_t>(*index)];
}

constexpr char kRuleUsage[] =
    "usage: rule add APP PROFILE | rule remove APP | rule default PROFILE|none | "
    "rule enable | rule disable";

}  // namespace

bool SameName(std::string_view a, std::string_view b) {
  return EqualsIgnoringCase(Utf8ToUtf16(a), Utf8ToUtf16(b));
}

std::string AppRulesJson(const AppRules& rules) {
  std::string json =
      std::string("{\"enabled\": ") + (rules.enabled ? "true" : "false") +
      ", \"default\": " + (rules.default_profile ? Quoted(*rules.default_profile) : "null") +
      ", \"rules\": [";
  for (std::size_t i = 0; i < rules.rules.size(); ++i) {
    if (i > 0) json += ", ";
    json += "{\"app\": " + Quoted(rules.rules[i].app) +
            ", \"profile\": " + Quoted(rules.rules[i].profile) + "}";
  }
  return json + "]}";
}

AppRules LoadAppRules(const std::filesystem::path& store_folder, std::string* warning) {
  if (warning) warning->clear();
  const std::filesystem::path path = store_folder / kAppRulesFileName;
  const FileRead read = ReadFileBytes(path, kMaxFileBytes);
  std::error_code ec;
  if (read.failure == ReadFailure::kCannotOpen && !std::filesystem::exists(path, ec)) {
    return {};  // nothing stored yet
  }
  if (read) {
    if (auto rules = ParseAppRules(read.bytes)) return std::move(*rules);
  }
  std::string why = read ? path.string() + " is not a list of rules" : read.error;
  if (read.failure == ReadFailure::kNotRegularFile) {
    if (warning) *warning = why + "; going on without rules";
    return {};
  }
  // Kept beside the store under a name of its own, so the next save does not
  // replace what the user may still want.
  const SaveResult kept = KeepDamagedOriginal(path, [](std::uintmax_t) { return false; });
  if (kept) {
    std::filesystem::remove(FollowSymlinks(path), ec);
    why += "; kept as " + kept.file.string();
  } else {
    why += "; " + kept.error;
  }
  if (warning) *warning = why + "; going on without rules";
  return {};
}

bool SaveAppRules(const std::filesystem::path& store_folder, const AppRules& rules,
                  std::string& error) {
  const std::string text = AppRulesJson(rules) + "\n";
  const auto* first = reinterpret_cast<const std::byte*>(text.data());
  const SaveResult saved = WriteFileAtomically(store_folder / kAppRulesFileName,
                                               std::span<const std::byte>(first, text.size()));
  error = saved ? "" : saved.file.string() + ": " + saved.error;
  return saved.ok;
}

bool EditAppRules(AppRules& rules, std::span<const std::string> words,
                  std::span<const std::string> profile_names, std::string& error) {
  error.clear();
  const std::string_view verb = words.empty() ? "" : std::string_view(words[0]);
  const std::size_t count = words.size();
  if (verb == "enable" && count == 1) {
    rules.enabled = true;
  } else if (verb == "disable" && count == 1) {
    rules.enabled = false;
  } else if (verb == "default" && count == 2) {
    if (words[1] == "none") {
      rules.default_profile.reset();
      return true;
    }
    auto name = ProfileNamed(profile_names, words[1], error);
    if (!name) return false;
    rules.default_profile = std::move(*name);
  } else if (verb == "remove" && count == 2) {
    const auto rule = FindRule(rules, words[1]);
    if (rule == rules.rules.end()) {
      error = "no rule for " + words[1];
      return false;
    }
    rules.rules.erase(rule);
  } else if (verb == "add" && count == 3) {
    const std::string& app = words[1];
    // Invalid UTF-8 would be stored as something else than what was asked for.
    if (app.empty() || app.size() > kMaxAppBytes || Utf16ToUtf8(Utf8ToUtf16(app)) != app) {
      error = "an application name is 1 to " + std::to_string(kMaxAppBytes) + " bytes of UTF-8";
      return false;
    }
    auto name = ProfileNamed(profile_names, words[2], error);
    if (!name) return false;
    if (const auto rule = FindRule(rules, app); rule != rules.rules.end()) {
      *rule = AppRule{app, std::move(*name)};
    } else {
      rules.rules.push_back(AppRule{app, std::move(*name)});
    }
  } else {
    error = kRuleUsage;
    return false;
  }
  return true;
}

void RenameProfileInRules(AppRules& rules, std::string_view old_name, std::string_view new_name) {
  for (AppRule& rule : rules.rules) {
    if (SameName(rule.profile, old_name)) rule.profile = new_name;
  }
  if (rules.default_profile && SameName(*rules.default_profile, old_name)) {
    rules.default_profile = std::string(new_name);
  }
}

void RemoveProfileFromRules(AppRules& rules, std::string_view name) {
  std::erase_if(rules.rules, [&](const AppRule& rule) { return SameName(rule.profile, name); });
  if (rules.default_profile && SameName(*rules.default_profile, name)) {
    rules.default_profile.reset();
  }
}

const AppRule* RuleForApp(const AppRules& rules, const AppInFront& app) {
  for (const AppRule& rule : rules.rules) {
    if ((!app.instance.empty() && SameName(app.instance, rule.app)) ||
        (!app.class_name.empty() && SameName(app.class_name, rule.app)) ||
        ProcessNameMatches(app.process, rule.app)) {
      return &rule;
    }
  }
  return nullptr;
}

std::optional<std::string> ProfileForApp(const AppRules& rules, const AppInFront& app) {
  if (!rules.enabled) return std::nullopt;
  if (const AppRule* rule = RuleForApp(rules, app)) return rule->profile;
  return rules.default_profile;
}

}  // namespace vexel
