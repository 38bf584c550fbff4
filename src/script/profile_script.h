// What a request from outside the window means: the words of `vexelctl get`,
// `set` and `select` and of the program's D-Bus interface, turned into the
// JSON of a profile record and into edits of it by the page's own rules
// (ranges clamped as the controls clamp them, DPI cut to whole hundreds as
// "Apply DPI" sends it, one left click kept, catalogue function words). The
// JSON keys are a promise to scripts (schema 1): keys are added, never renamed.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "store/macro_record.h"
#include "store/profile_record.h"

namespace vexel::script {

inline constexpr int kSchemaVersion = 1;

// The text of a language key ("left_click_text" -> "Left click").
using LanguageText = std::function<std::string(std::string_view key)>;

// The light effects in the order of the effect lists (the index is what the
// record stores); the Bluetooth list offers the first kBleEffectCount.
struct LightEffect {
  std::string_view id;  // stable script word
  std::string_view text_key;
};
std::span<const LightEffect> LightEffects();
inline constexpr int kEffectCount = 12;
inline constexpr int kBleEffectCount = 10;

// The profile as the JSON object of `vexelctl get`, printed with two-space
// indents and a final newline.
std::string ProfileJson(const ProfileRecord& profile, const LanguageText& text);

// Makes every assignment ("dpi.3=1600", "button.9=forward") on `profile`, or
// none of them: on a refusal `profile` is as it was and the result is one
// line naming the assignment and why. Empty on success. `macros` is the
// library that "macro:NAME" binds from.
std::string ApplyAssignments(ProfileRecord& profile, const MacroLibrary& macros,
                             std::span<const std::string> assignments);

// The position of the profile `selector` names: a 0-based position written in
// digits, else a name compared without case. On failure `error` says why.
std::optional<int> FindProfile(const ProfileList& profiles, std::string_view selector,
                               std::string& error);
// The same lookup among bare profile names (UTF-8).
std::optional<int> FindProfileName(std::span<const std::string> names, std::string_view selector,
                                   std::string& error);

}  // namespace vexel::script
