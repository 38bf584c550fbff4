// `vexelctl set`: assignments turned into edits of a profile record, each by
// the rule of the control that makes the same edit in the window.
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "script/button_functions.h"
#include "script/key_names.h"
#include "script/profile_script.h"
#include "script/profile_words.h"
#include "script/text_words.h"
#include "store/names.h"
#include "store/utf16_name.h"

namespace vexel::script {
namespace {

// What one assignment may need besides the record.
struct EditContext {
  const MacroLibrary& macros;
  bool buttons_changed = false;
  bool stages_changed = false;
};

// Sets the field of entry `index` (0-based; 0 for keys without one) from the
// value; returns why it cannot, or "".
using Setter = std::string (*)(ProfileRecord&, EditContext&, int index, std::string_view value);

struct Key {
  std::string_view pattern;  // '#' stands for a 1-based number
  int count;                 // how many numbers '#' may take
  Setter set;
};

std::optional<int> ClampedNumber(std::string_view value, int low, int high, std::string& error) {
  const auto number = WholeNumber<long long>(value);
  if (!number) {
    error = "not a whole number";
    return std::nullopt;
  }
  return static_cast<int>(std::clamp<long long>(*number, low, high));
}

std::optional<Colour> ParseColour(std::string_view value) {
  if (!value.empty() && value[0] == '#') value.remove_prefix(1);
  unsigned rgb = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), rgb, 16);
  if (value.size() != 6 || error != std::errc() || end != value.data() + value.size()) {
    return std::nullopt;
  }
  return ColourFromRgb(static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8),
                       static_cast<uint8_t>(rgb));
}

std::optional<bool> ParseBool(std::string_view value) {
  const std::string word = LowerCase(value);
  if (word == "true" || word == "on" || word == "1" || word == "yes") return true;
  if (word == "false" || word == "off" || word == "0" || word == "no") return false;
  return std::nullopt;
}

template <typename Words>
std::optional<int> WordIndex(const Words& words, std::string_view value, int count) {
  const std::string word = LowerCase(value);
  for (int i = 0; i < count; ++i) {
    if (words[static_cast<std::size_t>(i)] == word) return i;
  }
  return std::nullopt;
}

// Sets an int field clamped to [low, high], as its slider does.
template <int32_t ProfileRecord::*Field, int Low, int High>
std::string SetClamped(ProfileRecord& p, EditContext&, int, std::string_view value) {
  std::string error;
  const auto number = ClampedNumber(value, Low, High, error);
  if (number) p.*Field = *number;
  return error;
}

template <int32_t ProfileRecord::*Field>
std::string SetSwitch(ProfileRecord& p, EditContext&, int, std::string_view value) {
  const auto on = ParseBool(value);
  if (!on) return "not true or false";
  p.*Field = *on ? 1 : 0;
  return "";
}

template <Colour ProfileRecord::*Field>
std::string SetColour(ProfileRecord& p, EditContext&, int, std::string_view value) {
  const auto colour = ParseColour(value);
  if (!colour) return "not a colour RRGGBB";
  p.*Field = *colour;
  return "";
}

// A DPI as a typed value confirmed in its box: 100-10000, cut to hundreds.
std::string SetDpi(ProfileRecord& p, EditContext&, int stage, std::string_view value) {
  std::string error;
  const auto dpi = ClampedNumber(value, kMinDpi, kMaxDpi, error);
  if (dpi) p.dpi_x[stage] = *dpi / 100;
  return error;
}

std::string SetStageEnabled(ProfileRecord& p, EditContext& context, int stage,
                            std::string_view value) {
  const auto on = ParseBool(value);
  if (!on) return "not true or false";
  p.dpi_stage_enabled[stage] = *on ? 1 : 0;
  context.stages_changed = true;
  return "";
}

std::string SetStageColour(ProfileRecord& p, EditContext&, int stage, std::string_view value) {
  const auto colour = ParseColour(value);
  if (!colour) return "not a colour RRGGBB";
  p.dpi_colour[stage] = *colour;
  return "";
}

std::string SetDpiStage(ProfileRecord& p, EditContext& context, int, std::string_view value) {
  const auto stage = WholeNumber<int>(value);
  if (!stage || *stage < 1 || *stage > kDpiStageCount) return "not a stage 1-8";
  p.dpi_stage_current = *stage - 1;
  context.stages_changed = true;
  return "";
}

std::string SetPollingRate(ProfileRecord& p, EditContext&, int, std::string_view value) {
  const auto hz = WholeNumber<int>(value);
  const auto* rate = std::find(kPollingRatesHz.begin(), kPollingRatesHz.end(), hz.value_or(-1));
  if (rate == kPollingRatesHz.end()) return "not one of 125, 250, 500, 1000";
  p.polling_rate = static_cast<int32_t>(rate - kPollingRatesHz.begin());
  return "";
}

std::string SetLiftOff(ProfileRecord& p, EditContext&, int, std::string_view value) {
  const auto index = WordIndex(kLiftOffWords, value, static_cast<int>(kLiftOffWords.size()));
  if (!index) return "not low or high";
  p.lift_off_distance = *index;
  return "";
}

template <int32_t ProfileRecord::*Field, int Count>
std::string SetEffect(ProfileRecord& p, EditContext&, int, std::string_view value) {
  std::vector<std::string_view> ids;
  for (const LightEffect& effect : LightEffects()) ids.push_back(effect.id);
  const auto index = WordIndex(ids, value, Count);
  if (!index) return "not an effect (see vexelctl effects)";
  p.*Field = *index;
  return "";
}

// The light-off timer is set in half minutes, as its slider moves.
std::string SetLightOff(ProfileRecord& p, EditContext&, int, std::string_view value) {
  double minutes = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), minutes);
  if (value.empty() || error != std::errc() || end != value.data() + value.size() ||
      !std::isfinite(minutes)) {
    return "not a number of minutes";
  }
  p.light_off_timer =
      static_cast<int32_t>(std::clamp(std::floor(minutes * 2), 1.0 * kMinTimer, 1.0 * kMaxTimer));
  return "";
}

// Whole milliseconds, kept in steps of 2 ms as the slider keeps them.
std::string SetDebounce(ProfileRecord& p, EditContext&, int, std::string_view value) {
  std::string error;
  const auto ms = ClampedNumber(value, kMinDebounce * 2, kMaxDebounce * 2, error);
  if (ms) p.key_debounce = *ms / 2;
  return error;
}

// A function word, "key:COMBINATION" or "macro:NAME", as the button menu and
// its two dialogs store them.
std::string SetButton(ProfileRecord& p, EditContext& context, int button, std::string_view value) {
  ButtonSlot& slot = p.button[button];
  context.buttons_changed = true;
  const std::string lower = LowerCase(value);
  if (lower.starts_with("key:")) {
    const auto combination = ParseKeyCombination(value.substr(4));
    if (!combination) {
      return "not a key combination such as key:ctrl+c";
    }
    if (slot.function_code != kFunctionKeyCombination) std::fill_n(slot.reserved_4, 3, 0);
    slot.key_usage = combination->usage;
    slot.modifiers = combination->modifiers;
    slot.function_code = kFunctionKeyCombination;
    return "";
  }
  if (lower.starts_with("macro:")) {
    const int position = FindMacroByName(context.macros, Utf8ToUtf16(value.substr(6)));
    if (position < 0 || !context.macros[static_cast<std::size_t>(position)]) {
      return "no macro of that name in the library (see vexelctl macros)";
    }
    if (slot.function_code != kFunctionMacro) {
      slot.macro_mode = 0;  // the binding dialog's first choice: play once
      slot.macro_repeat = 1;
    }
    BindMacroCopy(slot, *context.macros[static_cast<std::size_t>(position)], position);
    slot.function_code = kFunctionMacro;
    return "";
  }
  const ButtonFunction* function = FindButtonFunctionById(value);
  if (function == nullptr || function->code == kFunctionKeyCombination ||
      function->code == kFunctionMacro) {
    return "not a function (see vexelctl functions)";
  }
  slot.function_code = function->code;
  return "";
}

std::string SetPlay(ProfileRecord& p, EditContext&, int button, std::string_view value) {
  if (p.button[button].function_code != kFunctionMacro) return "the button plays no macro";
  const auto mode = WordIndex(kPlayWords, value, static_cast<int>(kPlayWords.size()));
  if (!mode) return "not times, while_held or toggle";
  p.button[button].macro_mode = *mode;
  return "";
}

std::string SetRepeat(ProfileRecord& p, EditContext&, int button, std::string_view value) {
  if (p.button[button].function_code != kFunctionMacro) return "the button plays no macro";
  std::string error;
  const auto repeat = ClampedNumber(value, kMinRepeat, kMaxRepeat, error);
  if (repeat) p.button[button].macro_repeat = *repeat;
  return error;
}

constexpr auto kKeys = std::to_array<Key>({
    {"dpi_stage", 1, SetDpiStage},
    {"dpi.#", kDpiStageCount, SetDpi},
    {"dpi.#.dpi", kDpiStageCount, SetDpi},
    {"dpi.#.enabled", kDpiStageCount, SetStageEnabled},
    {"dpi.#.color", kDpiStageCount, SetStageColour},
    {"polling_rate_hz", 1, SetPollingRate},
    {"light.effect", 1, SetEffect<&ProfileRecord::light_mode, kEffectCount>},
    {"light.effect_ble", 1, SetEffect<&ProfileRecord::light_mode_ble, kBleEffectCount>},
    {"light.brightness", 1,
     SetClamped<&ProfileRecord::light_brightness, kMinBrightness, kMaxBrightness>},
    {"light.speed", 1, SetClamped<&ProfileRecord::light_breath_speed, kMinSpeed, kMaxSpeed>},
    {"light.color", 1, SetColour<&ProfileRecord::light_colour>},
    {"light.off_after_min", 1, SetLightOff},
    {"light.sleep_after_min", 1, SetClamped<&ProfileRecord::sleep_timer, kMinTimer, kMaxTimer>},
    {"button.#", kScriptButtons, SetButton},
    {"button.#.function", kScriptButtons, SetButton},
    {"button.#.play", kScriptButtons, SetPlay},
    {"button.#.repeat", kScriptButtons, SetRepeat},
    {"debounce_ms", 1, SetDebounce},
    {"ripple", 1, SetSwitch<&ProfileRecord::ripple_control>},
    {"angle_snap", 1, SetSwitch<&ProfileRecord::angle_snap>},
    {"lift_off", 1, SetLiftOff},
});

// The row whose pattern `key` matches, with the 0-based number '#' took.
const Key* FindKey(std::string_view key, int& index) {
  for (const Key& row : kKeys) {
    const std::size_t hash = row.pattern.find('#');
    index = 0;
    if (hash == std::string_view::npos) {
      if (key == row.pattern) return &row;
      continue;
    }
    const std::string_view head = row.pattern.substr(0, hash);
    const std::string_view tail = row.pattern.substr(hash + 1);
    if (!key.starts_with(head) || !key.ends_with(tail)) continue;
    const auto number =
        WholeNumber<int>(key.substr(head.size(), key.size() - head.size() - tail.size()));
    if (number && *number >= 1 && *number <= row.count) {
      index = *number - 1;
      return &row;
    }
  }
  return nullptr;
}

bool HasLeftClick(const ProfileRecord& p) {
  // The page's rule: one of buttons 1-16 stays the left click.
  constexpr int kCountedSlots = 16;
  return std::any_of(p.button, p.button + kCountedSlots, [](const ButtonSlot& slot) {
    return slot.function_code == kFunctionLeftClick;
  });
}

}  // namespace

std::string ApplyAssignments(ProfileRecord& profile, const MacroLibrary& macros,
                             std::span<const std::string> assignments) {
  auto edited = std::make_unique<ProfileRecord>(profile);
  EditContext context{macros};
  for (const std::string& assignment : assignments) {
    const std::size_t equals = assignment.find('=');
    if (equals == std::string::npos) return assignment + ": not KEY=VALUE";
    const std::string key = LowerCase(assignment.substr(0, equals));
    int index = 0;
    const Key* row = FindKey(key, index);
    if (row == nullptr) return assignment + ": no such key";
    const std::string error =
        row->set(*edited, context, index, std::string_view(assignment).substr(equals + 1));
    if (!error.empty()) return assignment + ": " + error;
  }
  if (context.buttons_changed && !HasLeftClick(*edited)) {
    return "buttons: one button must stay the left click";
  }
  const int stage = edited->dpi_stage_current;
  if (context.stages_changed &&
      (stage < 0 || stage >= kDpiStageCount || edited->dpi_stage_enabled[stage] != 1)) {
    return "dpi_stage: the stage in use must be enabled";
  }
  profile = *edited;
  return "";
}

namespace {

// Position or name, as FindProfile describes; `name_is(i, name)` compares the
// name of entry i without regard to case.
template <typename NameIs>
std::optional<int> FindEntry(int count, std::string_view selector, const NameIs& name_is,
                             std::string& error) {
  if (const auto position = WholeNumber<int>(selector)) {
    if (*position >= 0 && *position < count) return *position;
  }
  const std::u16string name = Utf8ToUtf16(selector);
  for (int i = 0; i < count; ++i) {
    if (name_is(static_cast<std::size_t>(i), name)) return i;
  }
  error = "no profile " + std::string(selector) + " (a position 0-" + std::to_string(count - 1) +
          " or a name)";
  return std::nullopt;
}

}  // namespace

std::optional<int> FindProfile(const ProfileList& profiles, std::string_view selector,
                               std::string& error) {
  return FindEntry(
      static_cast<int>(profiles.size()), selector,
      [&](std::size_t i, std::u16string_view name) {
        return profiles[i] && EqualsIgnoringCase(NameView(profiles[i]->name), name);
      },
      error);
}

std::optional<int> FindProfileName(std::span<const std::string> names, std::string_view selector,
                                   std::string& error) {
  return FindEntry(
      static_cast<int>(names.size()), selector,
      [&](std::size_t i, std::u16string_view name) {
        return EqualsIgnoringCase(Utf8ToUtf16(names[i]), name);
      },
      error);
}

}  // namespace vexel::script
