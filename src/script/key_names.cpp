#include "script/key_names.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "script/text_words.h"

namespace vexel::script {
namespace {

constexpr std::array<std::string_view, 4> kModifierWords = {"ctrl", "shift", "alt", "win"};

struct NamedKey {
  uint8_t usage;
  std::string_view name;
};

// Usages 4-39 (letters and digits) are named by arithmetic below.
constexpr auto kNamedKeys = std::to_array<NamedKey>({
    {40, "enter"},      {41, "esc"},         {42, "backspace"},  {43, "tab"},
    {44, "space"},      {45, "minus"},       {46, "equal"},      {47, "leftbrace"},
    {48, "rightbrace"}, {49, "backslash"},   {51, "semicolon"},  {52, "apostrophe"},
    {53, "grave"},      {54, "comma"},       {55, "dot"},        {56, "slash"},
    {57, "capslock"},   {70, "printscreen"}, {71, "scrolllock"}, {72, "pause"},
    {73, "insert"},     {74, "home"},        {75, "pageup"},     {76, "delete"},
    {77, "end"},        {78, "pagedown"},    {79, "right"},      {80, "left"},
    {81, "down"},       {82, "up"},          {83, "numlock"},    {101, "menu"},
});

constexpr uint8_t kFirstLetter = 4;   // a
constexpr uint8_t kFirstDigit = 30;   // 1 .. 9, then 0 at 39
constexpr uint8_t kFirstF = 58;       // f1 .. f12
constexpr uint8_t kFirstHighF = 104;  // f13 .. f24

std::optional<uint8_t> UsageOf(std::string_view word) {
  if (word.size() == 1 && word[0] >= 'a' && word[0] <= 'z') {
    return static_cast<uint8_t>(kFirstLetter + (word[0] - 'a'));
  }
  if (word.size() == 1 && word[0] >= '0' && word[0] <= '9') {
    return static_cast<uint8_t>(word[0] == '0' ? kFirstDigit + 9 : kFirstDigit + (word[0] - '1'));
  }
  int f = 0;
  if (word.size() >= 2 && word[0] == 'f' &&
      std::from_chars(word.data() + 1, word.data() + word.size(), f).ptr ==
          word.data() + word.size() &&
      f >= 1 && f <= 24) {
    return static_cast<uint8_t>(f <= 12 ? kFirstF + f - 1 : kFirstHighF + f - 13);
  }
  for (const NamedKey& key : kNamedKeys) {
    if (key.name == word) return key.usage;
  }
  int usage = 0;
  if (std::from_chars(word.data(), word.data() + word.size(), usage).ptr ==
          word.data() + word.size() &&
      !word.empty() && usage > 0 && usage <= 255) {
    return static_cast<uint8_t>(usage);
  }
  return std::nullopt;
}

std::string NameOf(uint8_t usage) {
  if (usage >= kFirstLetter && usage < kFirstLetter + 26) {
    return std::string(1, static_cast<char>('a' + usage - kFirstLetter));
  }
  if (usage >= kFirstDigit && usage < kFirstDigit + 10) {
    return std::string(
        1, usage == kFirstDigit + 9 ? '0' : static_cast<char>('1' + usage - kFirstDigit));
  }
  if (usage >= kFirstF && usage < kFirstF + 12) return "f" + std::to_string(usage - kFirstF + 1);
  if (usage >= kFirstHighF && usage < kFirstHighF + 12) {
    return "f" + std::to_string(usage - kFirstHighF + 13);
  }
  for (const NamedKey& key : kNamedKeys) {
    if (key.usage == usage) return std::string(key.name);
  }
  return std::to_string(usage);
}

}  // namespace

std::optional<KeyCombination> ParseKeyCombination(std::string_view text) {
  KeyCombination combination;
  const std::string lower = LowerCase(text);
  std::size_t start = 0;
  while (true) {
    const std::size_t plus = lower.find('+', start);
    const std::string_view word = std::string_view(lower).substr(start, plus - start);
    if (word.empty()) return std::nullopt;
    const auto* modifier = std::find(kModifierWords.begin(), kModifierWords.end(), word);
    if (modifier != kModifierWords.end()) {
      const auto bit = static_cast<uint8_t>(1u << (modifier - kModifierWords.begin()));
      if (combination.modifiers & bit) return std::nullopt;
      combination.modifiers |= bit;
    } else {
      const auto usage = UsageOf(word);
      if (!usage || combination.usage != 0) return std::nullopt;
      combination.usage = *usage;
    }
    if (plus == std::string::npos) return combination;
    start = plus + 1;
  }
}

std::string KeyCombinationText(const KeyCombination& combination) {
  std::string text;
  for (std::size_t bit = 0; bit < kModifierWords.size(); ++bit) {
    if (combination.modifiers & (1u << bit)) text += std::string(kModifierWords[bit]) + "+";
  }
  if (combination.usage != 0) return text + NameOf(combination.usage);
  if (!text.empty()) text.pop_back();
  return text;
}

}  // namespace vexel::script
