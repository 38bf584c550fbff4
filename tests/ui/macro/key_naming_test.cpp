#include "ui/macro/key_naming.h"
#include "ui/macro/filter_digits.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "language/language_table.h"
#include "platform/fake_keyboard_layout.h"
#include "platform/linux/xkb_keyboard_layout.h"

namespace vexel {
namespace {

// Shows which language key a name came from: "<key_Enter>".
std::string Bracketed(std::string_view key) {
  return "<" + std::string(key) + ">";
}
void Quiet(std::string_view) {}

// On the real US layout: virtual keys to usages, and the name of each usage by
// what its key types.
TEST(KeyNamingTest, UsagesAndCharacterNamesOnUs) {
  const auto layout = XkbKeyboardLayout::FromNames("us");
  ASSERT_NE(layout, nullptr);
  const KeyNaming us(*layout, Bracketed, Quiet);
  const std::map<uint32_t, UsageLookup> usages = {
      {65, {true, 4}},    {90, {true, 29}},   {48, {true, 39}},   {13, {true, 40}},
      {191, {true, 56}},  {223, {true, 56}},  {20, {true, 57}},   {123, {true, 69}},
      {44, {true, 70}},   {162, {true, 224}}, {165, {true, 230}}, {240, {true, 240}},
      {248, {true, 248}}, {109, {true, 86}},  {173, {false, 0}},  {0, {false, 0}},
      {245, {false, 0}},
  };
  for (const auto& [virtual_key, lookup] : usages) {
    EXPECT_EQ(us.UsageFromVirtualKey(virtual_key), lookup) << "virtual key " << virtual_key;
  }
  std::vector<std::string> expected;
  for (char letter = 'A'; letter <= 'Z'; ++letter) expected.emplace_back(1, letter);
  for (char digit : std::string("1234567890")) expected.emplace_back(1, digit);
  for (const char* name :
       {"<key_Enter>", "<key_Esc>", "<key_BackSpace>", "<key_Tab>", "<key_Space>", "-", "=", "[",
        "]", "\\", "", ";", "'", "`", ",", ".", "/", "<key_Caplk>"}) {
    expected.emplace_back(name);
  }
  for (uint32_t usage = 4; usage <= 57; ++usage) {
    EXPECT_EQ(us.KeyNameFromUsage(usage), expected[usage - 4]) << "usage " << usage;
  }
}

// Each name asked by usage is also written to the debug output; the language
// file has a text for every key name either lookup can ask for.
TEST(KeyNamingTest, NameTablesTheirDebugLinesAndTheirTexts) {
  const FakeKeyboardLayout layout;
  std::vector<std::string> lines;
  std::set<std::string> asked;
  const KeyNaming naming(
      layout,
      [&](std::string_view key) {
        asked.emplace(key);
        return Bracketed(key);
      },
      [&](std::string_view line) { lines.emplace_back(line); });
  // clang-format off
  const std::map<uint32_t, std::string> usage_names = {
      {0, ""}, {50, ""}, {58, "<key_F1>"}, {69, "<key_F12>"}, {70, "<key_Print Scr>"},
      {89, "<key_Num_1>"}, {97, "<key_Num_9>"}, {98, "<key_Num_0>"}, {100, "<key_\\>"}, {102, ""},
      {104, ""}, {105, ""}, {136, "<Kana/Roma>"}, {221, "<`>"}, {224, "<key_LCtrl>"},
      {228, "<key_RCtrl>"}, {229, "<key_RShift>"}, {230, "<key_RAlt>"}, {231, "<key_RWin>"},
      {235, ""}, {240, ""}, {241, "<L_Button>"}, {243, "<M_Button>"}, {244, "<Backward_Button>"},
      {245, "<Forward_Button>"}, {250, ""}, {100000, ""},
  };
  // clang-format on
  for (const auto& [usage, name] : usage_names) {
    lines.clear();
    EXPECT_EQ(naming.KeyNameFromUsage(usage), name) << "usage " << usage;
    EXPECT_EQ(lines, std::vector<std::string>{"m_key = " + name + "\r\n"});
  }
  // clang-format off
  const std::map<uint32_t, std::string> virtual_key_names = {
      {16, "<key_LShift>"}, {17, "<key_LCtrl>"}, {162, "<key_LCtrl>"}, {163, "<key_RCtrl>"},
      {161, "<key_RShift>"}, {165, "<key_RAlt>"}, {240, "<key_Caplk>"}, {42, "<key_Print Scr>"},
      {96, "<key_Num_0>"}, {105, "<key_Num_9>"}, {112, "<key_F1>"}, {123, "<key_F12>"}, {65, "A"},
      {186, ";"}, {173, ""},
  };
  // clang-format on
  for (const auto& [virtual_key, name] : virtual_key_names) {
    EXPECT_EQ(naming.KeyNameFromVirtualKey(virtual_key), name) << "virtual key " << virtual_key;
  }
  for (uint32_t code = 0; code <= 255; ++code) {
    naming.KeyNameFromUsage(code);
    naming.KeyNameFromVirtualKey(code);
  }
  asked.erase("`");  // usage 221 reads as its own key
  LanguageTable language;
  ASSERT_TRUE(language.LoadFile(VEXEL_SOURCE_DIR "/res/lan.xml"));
  for (const std::string& key : asked) EXPECT_TRUE(language.Has(key)) << key;
  const KeyNaming named(layout, language, Quiet);
  EXPECT_EQ(named.KeyNameFromUsage(40), language.Text("key_Enter"));
}

// Keys are stored by position and named by what they type on the layout of the
// moment; letters other than a-z keep their case.
TEST(KeyNamingTest, AnswersFollowTheLayoutOfTheMoment) {
  FakeKeyboardLayout layout;
  const KeyNaming naming(layout, Bracketed, Quiet);
  EXPECT_EQ(naming.KeyNameFromUsage(4), "A");
  EXPECT_EQ(naming.UsageFromVirtualKey(65).usage, 4u);
  layout.SetKey(30, 'Q', "q");  // switched to a layout with A and Q swapped
  layout.SetKey(16, 'A', "a");
  layout.SetKey(3, '2', "\u00E9");
  EXPECT_EQ(naming.KeyNameFromUsage(4), "Q");
  EXPECT_EQ(naming.KeyNameFromUsage(31), "\u00E9");
  EXPECT_EQ(naming.UsageFromVirtualKey(65).usage, 20u);
  // A key the layout does not carry keeps the table's usage and has no name.
  layout.SetKey(30, 0, "");
  EXPECT_EQ(naming.KeyNameFromUsage(4), "");
}

TEST(FilterDigitsTest, KeepsDigitsAndMovesTheCaretOnlyWhenSomethingWasRemoved) {
  const std::pair<EditText, EditText> cases[] = {
      {{"a1b2", 4}, {"12", 2}},
      {{"ab1", 1}, {"1", 1}},
      {{"123", 1}, {"123", 1}},  // untouched, caret included
      {{"", 0}, {"", 0}},
      {{"abc", 2}, {"", 0}},
      {{"1\u00E92 3", 1}, {"123", 3}},  // a two-byte character goes whole
      {{"-5", 2}, {"5", 1}},
  };
  for (const auto& [typed, expected] : cases)
    EXPECT_EQ(FilterDigits(typed), expected) << typed.text;
}

}  // namespace
}  // namespace vexel
