// The language table, the shipped res/lan.xml and its translations.
#include "language/language_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>

namespace vexel {
namespace {

const std::string kResFolder = std::string(VEXEL_SOURCE_DIR) + "/res/";
const std::string kLanguageFile = kResFolder + "lan.xml";

// What a translation must keep of a text: its printf arguments in order, and
// the spaces at its ends, where numbers and other texts are joined to it.
std::string Shape(const std::string& text) {
  static const std::regex argument(R"(%[-+ #0]*[0-9]*(\.[0-9]+)?[a-zA-Z%])");
  std::string shape = !text.empty() && text.front() == ' ' ? "<space>" : "";
  for (std::sregex_iterator it(text.begin(), text.end(), argument), end; it != end; ++it) {
    shape += it->str();
  }
  return shape + (!text.empty() && text.back() == ' ' ? "<space>" : "");
}

// Every key of lan.xml, in file order.
std::vector<std::string> Keys(const std::string& path) {
  std::ifstream file(path);
  const std::string xml((std::istreambuf_iterator<char>(file)), {});
  static const std::regex entry(R"re(<text key="([^"]*)")re");
  std::vector<std::string> keys;
  for (std::sregex_iterator it(xml.begin() + xml.find("<language "), xml.end(), entry), end;
       it != end; ++it) {
    keys.push_back((*it)[1]);
  }
  return keys;
}

// A translator's check: every table beside lan.xml has a text for each of its
// keys, with the same format arguments and end spaces (texts joined to numbers
// keep theirs).
TEST(LanguageTable, EveryTranslationHasEveryKeyWithItsArguments) {
  LanguageTable english;
  std::string error;
  ASSERT_TRUE(english.LoadFile(kLanguageFile, &error)) << error;
  const std::vector<std::string> keys = Keys(kLanguageFile);
  ASSERT_EQ(keys.size(), english.size());  // no key twice
  EXPECT_EQ(english.Text("sleep_timer_3_text").back(), ' ');
  int translations = 0;
  for (const auto& file : std::filesystem::directory_iterator(kResFolder)) {
    const std::string name = file.path().filename();
    if (!name.starts_with("lan.") || name == "lan.xml" || !name.ends_with(".xml")) continue;
    SCOPED_TRACE(name);
    ++translations;
    LanguageTable table;
    ASSERT_TRUE(table.LoadFile(file.path(), &error)) << error;
    EXPECT_EQ(Keys(file.path()), keys) << "keys missing, extra or out of lan.xml's order";
    for (const std::string& key : keys) {
      EXPECT_TRUE(table.Has(key)) << key;
      EXPECT_EQ(Shape(table.Text(key)), Shape(english.Text(key))) << key;
    }
  }
  EXPECT_GE(translations, 1);
}

// The user's locale picks the table; a key the translation lacks keeps its
// English text, and a broken translation leaves English whole.
TEST(LanguageTable, TheLocalePicksTheTranslationOverEnglish) {
  struct Case {
    const char *lc_all, *lc_messages, *lang, *language;
  } cases[] = {
      {nullptr, nullptr, "de_DE.UTF-8", "de"},
      {nullptr, "de_AT@euro", "en_GB.UTF-8", "de"},
      {"C", "de_DE", "de_DE", ""},
      {"", "", "de", "de"},
      {nullptr, nullptr, "C.UTF-8", ""},
      {nullptr, nullptr, nullptr, ""},
      {"fr_FR", nullptr, "de_DE", "fr"},
  };
  for (const Case& c : cases) {
    std::map<std::string, const char*> env{
        {"LC_ALL", c.lc_all}, {"LC_MESSAGES", c.lc_messages}, {"LANG", c.lang}};
    EXPECT_EQ(MessagesLanguage([&](const char* name) { return env[name]; }), c.language)
        << (c.lang ? c.lang : "-");
  }
  LanguageTable table;
  std::string error;
  ASSERT_TRUE(LoadLanguageTables(table, kResFolder, "fr", &error));  // no lan.fr.xml
  EXPECT_EQ(table.Text("cancel_text"), "Cancel");
  const auto folder = std::filesystem::temp_directory_path() / "vexel-language-test";
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "lan.xml") << R"(<language><text key="a_text">A</text>
    <text key="b_text">B</text></language>)";
  std::ofstream(folder / "lan.xx.xml") << R"(<language><text key="a_text">Ä</text></language>)";
  std::ofstream(folder / "lan.yy.xml") << "<language><text>broken</language>";
  const std::string base = folder.string() + "/";
  for (const auto& [language, texts] : {std::pair{"xx", "\u00C4B"}, std::pair{"yy", "AB"}}) {
    error.clear();
    ASSERT_TRUE(LoadLanguageTables(table, base, language, &error));
    EXPECT_EQ(table.Text("a_text") + table.Text("b_text"), texts);
  }
  EXPECT_NE(error.find("lan.yy.xml"), std::string::npos);
  EXPECT_FALSE(table.AddFile(base + "lan.yy.xml") || table.AddFile(base + "lan.zz.xml"));
  std::filesystem::remove_all(folder);
}

// Entities are decoded, a repeated key keeps its last text, a missing key
// reads as itself; bad input is refused whole and leaves the table as it was.
TEST(LanguageTable, ReadsEntitiesAndRefusesBadInputWhole) {
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
  EXPECT_EQ(table.Text("amp_text") + "|" + table.Text("empty_text") + "|" +
                table.Text("twice_text") + "|" + table.Text("utf8_text") + "|" +
                table.Text("nothing_text"),
            "Tom & Jerry\n<2>||second|Gr\u00FC\u00DFe \u30DE|nothing_text");
  EXPECT_TRUE(table.Has("empty_text"));
  EXPECT_FALSE(table.Has("ignored_text") || table.Has("nothing_text"));
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
  }
  std::string error;
  EXPECT_FALSE(table.LoadFile("/nonexistent/lan.xml", &error));
  EXPECT_NE(error.find("/nonexistent/lan.xml"), std::string::npos);
  EXPECT_EQ(table.size(), 4u);
}

}  // namespace
}  // namespace vexel
