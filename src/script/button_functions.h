// The functions a mouse button can be given: the code stored in a slot's
// function_code, the item of the button menu that assigns it, the language
// key its button shows and the word scripts name it by.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace vexel {

struct ButtonFunction {
  uint8_t code;
  std::string_view menu_item;  // empty: shown when a slot holds it, never assigned
  std::string_view text_key;   // empty: the label is composed (shortcut, macro)
  // Stable lower-case word of vexelctl and D-Bus ("forward"); a promise to
  // scripts: never renamed.
  std::string_view id;
};

inline constexpr uint8_t kFunctionLeftClick = 1;

std::span<const ButtonFunction> ButtonFunctionCatalogue();

// The code of a menu item, compared without case; a name no row carries is the
// left click, so a stray command can never leave a button without a function.
uint8_t FunctionCodeOfMenuItem(std::string_view name);

// The row of a code, or null for codes the catalogue does not hold.
const ButtonFunction* FindButtonFunction(uint8_t code);
// The row of a script word, compared without case, or null.
const ButtonFunction* FindButtonFunctionById(std::string_view id);

}  // namespace vexel
