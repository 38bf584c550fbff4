// Turns the virtual key of a captured key into the usage the mouse stores, and a
// stored usage or mouse-button code into the name the user reads. Letter, digit
// and punctuation keys are stored by physical position and named by what they
// type in the layout in force, so the same key reads "Q" on one layout and "A"
// on another; the other keys are named through the language table.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "language/language_table.h"
#include "platform/keyboard_layout.h"

namespace vexel {

struct UsageLookup {
  bool found = false;
  uint32_t usage = 0;  // 0 when not found
  friend bool operator==(const UsageLookup&, const UsageLookup&) = default;
};

// The text shown for a language key.
using LanguageText = std::function<std::string(std::string_view key)>;
// Where diagnostic lines go; the default writes them to stderr.
using DebugOutput = std::function<void(std::string_view line)>;
void WriteDebugToStderr(std::string_view line);

// A layout that names no key: what names keys when the program has no layout
// to give (the layout-dependent keys then show no name).
const KeyboardLayout& BlankKeyboardLayout();

// Holds no layout state: every call asks the layout as it is at that moment.
class KeyNaming {
 public:
  KeyNaming(const KeyboardLayout& layout, LanguageText language_text,
            DebugOutput debug_output = WriteDebugToStderr);
  // `language` must outlive this object.
  KeyNaming(const KeyboardLayout& layout, const LanguageTable& language,
            DebugOutput debug_output = WriteDebugToStderr)
      : KeyNaming(
            layout, [&language](std::string_view key) { return language.Text(key); },
            std::move(debug_output)) {}

  // Usage of a captured virtual key; keys whose position matters (usages
  // 4-69) are stored by where they sit, not by what the layout calls them.
  UsageLookup UsageFromVirtualKey(uint32_t virtual_key) const;
  // Name of a usage or mouse-button code; empty for codes without one.
  // Writes "m_key = <name>\r\n" to the debug output.
  std::string KeyNameFromUsage(uint32_t code) const;
  // Name of a virtual key: a language text, else the upper-cased characters
  // the key types with no modifier held (a-z only; other letters keep their case).
  std::string KeyNameFromVirtualKey(uint32_t virtual_key) const;

 private:
  std::string Text(std::string_view key) const;

  const KeyboardLayout& layout_;
  LanguageText language_text_;
  DebugOutput debug_output_;
};

}  // namespace vexel
