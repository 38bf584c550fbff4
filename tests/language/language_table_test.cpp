// The language table and the shipped res/lan.xml.
#include "language/language_table.h"

#include <gtest/gtest.h>

namespace vexel {
namespace {

const std::string kLanguageFile = std::string(VEXEL_SOURCE_DIR) + "/res/lan.xml";

TEST(LanguageTable, ShippedFileHasATextForTheKeysTheStoreUses) {
  LanguageTable table;
  std::string error;
  ASSERT_TRUE(table.LoadFile(kLanguageFile, &error)) << error;
  EXPECT_GT(table.size(), 80u);
  for (const char* key : {"add_profile_text", "add_macro_text", "import_fail_text",
                          "warning_title_text", "mouse_name_text", "key_Print Scr", "key_\\"}) {
    EXPECT_TRUE(table.Has(key)) << key;
    EXPECT_FALSE(table.Text(key).empty()) << key;
  }
  // Texts that are joined to numbers keep their spaces.
  EXPECT_EQ(table.Text("sleep_timer_3_text").back(), ' ');
}

TEST(LanguageTable, EntitiesEmptyTextsRepeatedAndMissingKeys) {
  LanguageTable table;
  ASSERT_TRUE(table.LoadText(R"(<?xml version="1.0" encoding="UTF-8"?>
    <language name="x"><!-- note -->
      <text key="amp_text">Tom &amp; Jerry&#10;&lt;2&gt;</text>
      <text key="empty_text"/>
      <other key="ignored_text">no</other>
      <text key="twice_text">first</text>
      <text key="twice_text">second</text>
      <text key="utf8_text">Gr&#xFC;&#xDF;e &#x30DE;</text>
    </language>)"));
  EXPECT_EQ(table.Text("amp_text"), "Tom & Jerry\n<2>");
  EXPECT_TRUE(table.Has("empty_text"));
  EXPECT_EQ(table.Text("empty_text"), "");
  EXPECT_FALSE(table.Has("ignored_text"));
  EXPECT_EQ(table.Text("twice_text"), "second");
  EXPECT_EQ(table.Text("utf8_text"), "Gr\u00FC\u00DFe \u30DE");
  // A missing key reads as the key itself.
  EXPECT_FALSE(table.Has("nothing_text"));
  EXPECT_EQ(table.Text("nothing_text"), "nothing_text");
}

TEST(LanguageTable, BadInputLeavesTheTableAsItWas) {
  LanguageTable table;
  ASSERT_TRUE(table.LoadText(R"(<language><text key="kept_text">kept</text></language>)"));
  const char* bad[] = {
      "",
      "<language><text key=\"a\">unclosed</language>",
      "<lang><text key=\"a\">wrong root</text></lang>",
      "<language><text>no key</text></language>",
      "<language><text key=\"\">empty key</text></language>",
  };
  for (const char* xml : bad) {
    std::string error;
    EXPECT_FALSE(table.LoadText(xml, &error)) << xml;
    EXPECT_FALSE(error.empty()) << xml;
    EXPECT_EQ(table.Text("kept_text"), "kept");
  }
  std::string error;
  EXPECT_FALSE(table.LoadFile("/nonexistent/lan.xml", &error));
  EXPECT_NE(error.find("/nonexistent/lan.xml"), std::string::npos);
  EXPECT_EQ(table.size(), 1u);
}

}  // namespace
}  // namespace vexel
