// Key combinations as scripts write them: "ctrl+shift+f5", "alt+tab", "win+d".
// Keys are HID keyboard usages named by their place on a US keyboard, so a
// script means the same key whatever layout the desktop uses.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vexel::script {

struct KeyCombination {
  uint8_t usage = 0;
  uint8_t modifiers = 0;  // bit 0 Ctrl, 1 Shift, 2 Alt, 3 Win, as a slot stores them
};

// "ctrl+c" and the like; std::nullopt for an unknown word, a repeated
// modifier or more than one key. A bare modifier ("ctrl") is a combination
// without a key, as the shortcut dialog allows.
std::optional<KeyCombination> ParseKeyCombination(std::string_view text);
// The words ParseKeyCombination reads back; a usage without a name is its
// decimal number.
std::string KeyCombinationText(const KeyCombination& combination);

}  // namespace vexel::script
