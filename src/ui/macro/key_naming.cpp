#include "ui/macro/key_naming.h"

#include <array>
#include <cstdio>
#include <utility>

#include "ui/macro/key_table.h"

namespace vexel {
namespace {

struct CodeName {
  uint32_t code;
  std::string_view language_key;  // empty: the key has no name
};

constexpr std::array<std::string_view, 12> kFunctionKeyNames = {
    "key_F1", "key_F2", "key_F3", "key_F4",  "key_F5",  "key_F6",
    "key_F7", "key_F8", "key_F9", "key_F10", "key_F11", "key_F12"};
constexpr std::array<std::string_view, 10> kKeypadDigitNames = {
    "key_Num_0", "key_Num_1", "key_Num_2", "key_Num_3", "key_Num_4",
    "key_Num_5", "key_Num_6", "key_Num_7", "key_Num_8", "key_Num_9"};

// Usages without a character to show; F-keys and keypad digits come from the
// arrays above.
constexpr auto kUsageNames = std::to_array<CodeName>({
    {70, "key_Print Scr"},
    {71, "key_Scroll Lock"},
    {72, "key_Pause"},
    {73, "key_Insert"},
    {74, "key_Home"},
    {75, "key_Page Up"},
    {76, "key_Delete"},
    {77, "key_End"},
    {78, "key_Page Down"},
    {79, "key_Right"},
    {80, "key_Left"},
    {81, "key_Down"},
    {82, "key_Up"},
    {83, "key_Num Lock"},
    {84, "key_Num_/"},
    {85, "key_Num_*"},
    {86, "key_Num_-"},
    {87, "key_Num_+"},
    {88, "key_Num_Enter"},
    {99, "key_Num_."},
    {100, "key_\\"},
    {101, "key_APP"},
    {102, ""},
    {103, ""},
    {104, ""},
    {130, "Sleep"},
    {136, "Kana/Roma"},
    {221, "`"},
    {224, "key_LCtrl"},
    {225, "key_LShift"},
    {226, "key_LAlt"},
    {227, "key_LWin"},
    {228, "key_RCtrl"},
    {229, "key_RShift"},
    {230, "key_RAlt"},
    {231, "key_RWin"},
    {kCodeLeftButton, "L_Button"},
    {kCodeRightButton, "R_Button"},
    {kCodeMiddleButton, "M_Button"},
    {kCodeBackwardButton, "Backward_Button"},
    {kCodeForwardButton, "Forward_Button"},
});

constexpr auto kVirtualKeyNames = std::to_array<CodeName>({
    {8, "key_BackSpace"},     {9, "key_Tab"},      {13, "key_Enter"},     {16, "key_LShift"},
    {160, "key_LShift"},      {17, "key_LCtrl"},   {162, "key_LCtrl"},    {18, "key_LAlt"},
    {164, "key_LAlt"},        {19, "key_Pause"},   {20, "key_Caplk"},     {240, "key_Caplk"},
    {27, "key_Esc"},          {32, "key_Space"},   {33, "key_Page Up"},   {34, "key_Page Down"},
    {35, "key_End"},          {36, "key_Home"},    {37, "key_Left"},      {38, "key_Up"},
    {39, "key_Right"},        {40, "key_Down"},    {42, "key_Print Scr"}, {44, "key_Print Scr"},
    {45, "key_Insert"},       {46, "key_Delete"},  {91, "key_LWin"},      {92, "key_RWin"},
    {93, "key_APP"},          {106, "key_Num_*"},  {107, "key_Num_+"},    {108, "key_Num_Enter"},
    {109, "key_Num_-"},       {110, "key_Num_."},  {111, "key_Num_/"},    {144, "key_Num Lock"},
    {145, "key_Scroll Lock"}, {161, "key_RShift"}, {163, "key_RCtrl"},    {165, "key_RAlt"},
});

// The language key of `code` in `table`, or nullptr when the code has no row.
const std::string_view* FindName(std::span<const CodeName> table, uint32_t code) {
  for (const CodeName& row : table) {
    if (row.code == code) return &row.language_key;
  }
  return nullptr;
}

const std::string_view* UsageNameKey(uint32_t usage) {
  if (usage >= 58 && usage <= 69) return &kFunctionKeyNames[usage - 58];
  if (usage >= 89 && usage <= 97) return &kKeypadDigitNames[usage - 88];
  if (usage == 98) return &kKeypadDigitNames[0];
  return FindName(kUsageNames, usage);
}

const std::string_view* VirtualKeyNameKey(uint32_t virtual_key) {
  if (virtual_key >= 96 && virtual_key <= 105) return &kKeypadDigitNames[virtual_key - 96];
  if (virtual_key >= 112 && virtual_key <= 123) return &kFunctionKeyNames[virtual_key - 112];
  return FindName(kVirtualKeyNames, virtual_key);
}

bool IsPositionalUsage(uint32_t usage) {
  return usage >= 4 && usage <= 69;
}
bool IsCharacterUsage(uint32_t usage) {
  return usage >= 4 && usage <= 57;
}
bool IsReservedUsage(uint32_t usage) {
  return usage >= 232 && usage <= 239;
}

class EmptyKeyboardLayout final : public KeyboardLayout {
 public:
  uint32_t ScanCodeFromVirtualKey(uint32_t) const override { return 0; }
  uint32_t VirtualKeyFromScanCode(uint32_t) const override { return 0; }
  std::string CharactersFromVirtualKey(uint32_t) const override { return {}; }
};

}  // namespace

const KeyboardLayout& BlankKeyboardLayout() {
  static const EmptyKeyboardLayout layout;
  return layout;
}

void WriteDebugToStderr(std::string_view line) {
  std::fwrite(line.data(), 1, line.size(), stderr);
}

KeyNaming::KeyNaming(const KeyboardLayout& layout, LanguageText language_text,
                     DebugOutput debug_output)
    : layout_(layout),
      language_text_(std::move(language_text)),
      debug_output_(std::move(debug_output)) {}

std::string KeyNaming::Text(std::string_view key) const {
  if (key.empty()) return {};
  return language_text_ ? language_text_(key) : std::string(key);
}

UsageLookup KeyNaming::UsageFromVirtualKey(uint32_t virtual_key) const {
  const KeyTableRow* row = FindRowByVirtualKey(virtual_key);
  if (row == nullptr) return {};
  uint32_t usage = row->usage;
  if (IsPositionalUsage(usage)) {
    // The layout may have put this virtual key on another key; store the key
    // where it physically is.
    const KeyTableRow* at_position =
        FindPositionalRowByScanCode(layout_.ScanCodeFromVirtualKey(virtual_key));
    if (at_position != nullptr) usage = at_position->usage;
  }
  return {true, usage};
}

std::string KeyNaming::KeyNameFromUsage(uint32_t code) const {
  std::string name;
  if (IsCharacterUsage(code)) {
    // Usage 50 has no row and so no name.
    if (const KeyTableRow* row = FindRowByUsage(code)) {
      const uint32_t virtual_key = layout_.VirtualKeyFromScanCode(row->scan_code);
      if (virtual_key != 0) name = KeyNameFromVirtualKey(virtual_key);
    }
  } else if (!IsReservedUsage(code)) {
    if (const std::string_view* key = UsageNameKey(code)) name = Text(*key);
  }
  if (debug_output_) debug_output_("m_key = " + name + "\r\n");
  return name;
}

std::string KeyNaming::KeyNameFromVirtualKey(uint32_t virtual_key) const {
  if (const std::string_view* key = VirtualKeyNameKey(virtual_key)) return Text(*key);
  std::string name = layout_.CharactersFromVirtualKey(virtual_key);
  for (char& c : name) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return name;
}

}  // namespace vexel
