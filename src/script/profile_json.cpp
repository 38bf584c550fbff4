// `vexelctl get`: a profile record as the schema-1 JSON object.
#include <cstdio>
#include <nlohmann/json.hpp>

#include "script/button_functions.h"
#include "script/key_names.h"
#include "script/profile_script.h"
#include "script/profile_words.h"
#include "store/utf16_name.h"

namespace vexel::script {
namespace {

using Json = nlohmann::ordered_json;

constexpr auto kLightEffects = std::to_array<LightEffect>({
    {"off", "light_off_effect_text"},
    {"static", "light_static_text"},
    {"breathing", "light_breathing_text"},
    {"neon", "light_neon_text"},
    {"spectrum", "light_spectrum_text"},
    {"wave", "light_wave_text"},
    {"flash", "light_flash_text"},
    {"rainbow", "light_rainbow_text"},
    {"marquee", "light_marquee_text"},
    {"reactive", "light_reactive_text"},
    {"starlight", "light_starlight_text"},
    {"color_cycle", "light_colour_cycle_text"},
});

constexpr std::array<std::string_view, 4> kModifierTextKeys = {
    "keyboard_ctrl_text", "keyboard_shift_text", "keyboard_alt_text", "keyboard_win_text"};

// The word at `index` of a fixed set, or null for a stored value outside it.
template <typename Words>
Json WordAt(const Words& words, int32_t index, int count = -1) {
  if (count < 0) count = static_cast<int>(words.size());
  if (index < 0 || index >= count) return nullptr;
  return std::string(words[static_cast<std::size_t>(index)]);
}

Json EffectWord(int32_t index, int count) {
  if (index < 0 || index >= count) return nullptr;
  return std::string(kLightEffects[static_cast<std::size_t>(index)].id);
}

// What the button shows in the window, in the language of `text`.
std::string ButtonLabel(const ButtonSlot& slot, const LanguageText& text) {
  if (slot.function_code == kFunctionKeyCombination) {
    std::string label;
    for (std::size_t bit = 0; bit < kModifierTextKeys.size(); ++bit) {
      if (slot.modifiers & (1u << bit)) label += text(kModifierTextKeys[bit]) + "+";
    }
    const std::string key = KeyCombinationText({slot.key_usage, 0});
    return label +
           (key.size() == 1 ? std::string(1, static_cast<char>(std::toupper(key[0]))) : key);
  }
  if (slot.function_code == kFunctionMacro) {
    return text("assign_macro_text") + Utf16ToUtf8(NameView(slot.macro_name));
  }
  const ButtonFunction* function = FindButtonFunction(slot.function_code);
  return function != nullptr ? text(function->text_key) : std::string();
}

Json ButtonJson(int number, const ButtonSlot& slot, const LanguageText& text) {
  Json button = {{"button", number}};
  if (slot.function_code == kFunctionKeyCombination) {
    button["function"] = "key:" + KeyCombinationText({slot.key_usage, slot.modifiers});
  } else if (slot.function_code == kFunctionMacro) {
    const std::string name = Utf16ToUtf8(NameView(slot.macro_name));
    button["function"] = "macro:" + name;
    button["macro"] = name;
    button["play"] = WordAt(kPlayWords, slot.macro_mode);
    button["repeat"] = slot.macro_repeat;
  } else if (const ButtonFunction* function = FindButtonFunction(slot.function_code)) {
    button["function"] = std::string(function->id);
  } else {
    button["function"] = "code:" + std::to_string(slot.function_code);
  }
  button["label"] = ButtonLabel(slot, text);
  return button;
}

}  // namespace

std::span<const LightEffect> LightEffects() {
  return kLightEffects;
}

std::string ColourText(const Colour& colour) {
  char hex[8];
  std::snprintf(hex, sizeof(hex), "%02x%02x%02x", colour.red, colour.green, colour.blue);
  return hex;
}

std::string ProfileJson(const ProfileRecord& profile, const LanguageText& text) {
  Json dpi = Json::array();
  for (int s = 0; s < kDpiStageCount; ++s) {
    dpi.push_back({{"dpi", profile.dpi_x[s] * 100},
                   {"enabled", profile.dpi_stage_enabled[s] == 1},
                   {"color", ColourText(profile.dpi_colour[s])}});
  }
  Json buttons = Json::array();
  for (int b = 0; b < kScriptButtons; ++b)
    buttons.push_back(ButtonJson(b + 1, profile.button[b], text));
  const Json json = {
      {"schema", kSchemaVersion},
      {"name", Utf16ToUtf8(NameView(profile.name))},
      {"dpi_stage", profile.dpi_stage_current + 1},
      {"dpi", dpi},
      {"polling_rate_hz",
       profile.polling_rate >= 0 && profile.polling_rate < 4
           ? Json(kPollingRatesHz[static_cast<std::size_t>(profile.polling_rate)])
           : Json(nullptr)},
      {"light",
       {{"effect", EffectWord(profile.light_mode, static_cast<int>(kLightEffects.size()))},
        {"effect_ble", EffectWord(profile.light_mode_ble, kBleEffectCount)},
        {"brightness", profile.light_brightness},
        {"speed", profile.light_breath_speed},
        {"color", ColourText(profile.light_colour)},
        {"off_after_min", profile.light_off_timer * 0.5},
        {"sleep_after_min", profile.sleep_timer}}},
      {"buttons", buttons},
      {"debounce_ms", profile.key_debounce * 2},
      {"ripple", profile.ripple_control == 1},
      {"angle_snap", profile.angle_snap == 1},
      {"lift_off", WordAt(kLiftOffWords, profile.lift_off_distance)},
  };
  return json.dump(2) + "\n";
}

}  // namespace vexel::script
