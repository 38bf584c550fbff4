#include "platform/linux/xkb_keyboard_layout.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

namespace vexel {
namespace {

std::unique_ptr<XkbKeyboardLayout> Layout(const std::string& name) {
  auto layout = XkbKeyboardLayout::FromNames(name);
  EXPECT_NE(layout, nullptr) << name;
  return layout;
}

TEST(XkbKeyboardLayoutTest, KeysCarryTheirVirtualKeyAndType) {
  const struct {
    const char* layout;
    uint32_t scan_code;
    uint32_t virtual_key;
    const char* characters;
  } cases[] = {
      // clang-format off
      {"us", 30, 'A', "a"}, {"us", 39, 186, ";"}, {"us", 2, '1', "1"},
      {"us", 57, 32, " "},  {"us", 42, 160, ""},  {"us", 54, 161, ""},
      // AZERTY: letters follow what the key types, the digit row keeps the
      // digits, the key that lost 'M' takes what M left.
      {"fr", 16, 'A', "a"}, {"fr", 30, 'Q', "q"}, {"fr", 17, 'Z', "z"},
      {"fr", 44, 'W', "w"}, {"fr", 39, 'M', "m"}, {"fr", 50, 186, ","},
      {"fr", 2, '1', "&"},  {"fr", 3, '2', "\u00E9"},
      {"fr", 26, 219, "^"},  // a dead key gives its accent
      {"de", 21, 'Z', "z"}, {"de", 44, 'Y', "y"}, {"de", 13, 187, "\u00B4"},
      // No Latin letters: every key stays where it is.
      {"ru", 16, 'Q', "\u0439"}, {"ru", 39, 186, "\u0436"},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.layout) + " scan " + std::to_string(c.scan_code));
    const auto layout = Layout(c.layout);
    EXPECT_EQ(layout->VirtualKeyFromScanCode(c.scan_code), c.virtual_key);
    EXPECT_EQ(layout->ScanCodeFromVirtualKey(c.virtual_key), c.scan_code);
    EXPECT_EQ(layout->CharactersFromVirtualKey(c.virtual_key), c.characters);
  }
}

// US keeps every key in its place; elsewhere the letters follow what the keys type.
TEST(XkbKeyboardLayoutTest, EachVirtualKeyHasOneKeyOnEveryLayout) {
  const std::pair<std::string, std::string> kLayouts[] = {
      {"us", ""}, {"fr", ""}, {"de", ""},       {"be", ""},    {"ch", ""},
      {"ru", ""}, {"tr", ""}, {"us", "dvorak"}, {"fr", "bepo"}};
  for (const auto& [layout_name, variant] : kLayouts) {
    const std::string name = layout_name + "(" + variant + ")";
    const auto layout = XkbKeyboardLayout::FromNames(layout_name, variant);
    ASSERT_NE(layout, nullptr) << name;
    std::set<uint32_t> seen;
    for (uint32_t scan = 1; scan <= kLastPlainScanCode; ++scan) {
      const uint32_t virtual_key = layout->VirtualKeyFromScanCode(scan);
      if (name == "us()") {
        EXPECT_EQ(virtual_key, UsVirtualKeyOfScanCode(scan)) << scan;
      }
      if (virtual_key == 0) continue;
      EXPECT_TRUE(seen.insert(virtual_key).second) << name << " scan " << scan;
      EXPECT_EQ(layout->ScanCodeFromVirtualKey(virtual_key), scan) << name << " scan " << scan;
    }
    for (uint32_t letter = 'A'; letter <= 'Z'; ++letter)
      EXPECT_TRUE(seen.count(letter)) << name << " lacks " << static_cast<char>(letter);
  }
}

TEST(XkbKeyboardLayoutTest, QuestionsOutsideTheKeyboardHaveNoAnswer) {
  const auto us = Layout("us");
  // 173: a media key.
  EXPECT_EQ(
      std::vector<uint32_t>({us->ScanCodeFromVirtualKey(0), us->ScanCodeFromVirtualKey(173),
                             us->ScanCodeFromVirtualKey(100000), us->VirtualKeyFromScanCode(0),
                             us->VirtualKeyFromScanCode(0xE01D)}),
      std::vector<uint32_t>(5, 0));
  EXPECT_EQ(us->CharactersFromVirtualKey(173), "");
  EXPECT_EQ(XkbKeyboardLayout::FromNames("no-such-layout"), nullptr);
  // Without an X server there is no layout from it, and the session falls back to US.
  EXPECT_EQ(XkbKeyboardLayout::FromXServer(":65000"), nullptr);
  const std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
  unsetenv("DISPLAY");
  const auto session = XkbKeyboardLayout::ForThisSession();
  if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);
  ASSERT_NE(session, nullptr);
  EXPECT_EQ(session->CharactersFromVirtualKey(186), ";");
}

}  // namespace
}  // namespace vexel
