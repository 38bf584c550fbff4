// The committed skin against the rules of its widgets' kinds, the images its
// style sheets name and the names screen readers announce.
#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <cctype>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "language/language_table.h"

namespace {

using tinyxml2::XMLElement;

const std::filesystem::path kResFolder = std::filesystem::path(VEXEL_SOURCE_DIR) / "res";

// One loaded layout: its widgets by name (a name may wrongly occur twice).
struct Layout {
  explicit Layout(const std::string& file) {
    loaded = doc.LoadFile((kResFolder / file).c_str()) == tinyxml2::XML_SUCCESS;
    if (loaded) Collect(doc.RootElement());
  }
  void Collect(const XMLElement* element) {
    for (const XMLElement* child = element->FirstChildElement(); child;
         child = child->NextSiblingElement()) {
      if (std::string_view(child->Name()) == "widget" && child->Attribute("name")) {
        widgets[child->Attribute("name")].push_back(child);
      }
      Collect(child);
    }
  }

  tinyxml2::XMLDocument doc;
  bool loaded = false;
  std::map<std::string, std::vector<const XMLElement*>> widgets;
};

// The text of a property (<string>, <number>, <bool>, ...) or "" when absent.
std::string PropertyText(const XMLElement& widget, std::string_view property) {
  for (const XMLElement* p = widget.FirstChildElement("property"); p;
       p = p->NextSiblingElement("property")) {
    if (property == p->Attribute("name")) {
      const XMLElement* value = p->FirstChildElement();
      return value && value->GetText() ? value->GetText() : "";
    }
  }
  return "";
}

// In the main window and its dialogs each name occurs once (the page finds its
// controls by name; that it finds every one, the page's own tests see); push
// buttons stand for options only when checkable; a DPI slider never gives 0
// nor more than the performance report carries (100 x 100 DPI); key-mode
// texts are language keys; every url(...) of a style sheet names a file under
// res/. Screen readers name a control by its accessible name, else by its
// text: every interactive control has one, names and tooltips are keys with a
// text in lan.xml, and no two numbered controls (one per stage, preset, rate)
// share a name, as a row copied without renumbering would.
TEST(SkinLayoutTest, WidgetsKeepTheRulesOfTheirKindAndCarryAccessibleNames) {
  const std::set<std::string> interactive = {"QPushButton", "QCheckBox",   "QRadioButton",
                                             "QSlider",     "QComboBox",   "QLineEdit",
                                             "QListWidget", "ColorPalette"};
  vexel::LanguageTable english;
  ASSERT_TRUE(english.LoadFile(std::string(VEXEL_SOURCE_DIR) + "/res/lan.xml"));
  const std::regex url(R"(url\(([^)]+)\))");
  int images = 0;
  for (const char* file :
       {"main.xml", "DpiColorDialog.xml", "MS/MS_1/profilename.xml", "MS/MS_1/selectmacro.xml",
        "MS/MS_1/ms_1_macropage.xml", "shortcut.xml"}) {
    const Layout layout(file);
    ASSERT_TRUE(layout.loaded) << file;
    std::map<std::string, std::string> named;  // accessible name -> control
    for (const auto& [name, widgets] : layout.widgets) {
      SCOPED_TRACE(std::string(file) + ": " + name);
      EXPECT_EQ(widgets.size(), 1u);
      const XMLElement& widget = *widgets.front();
      const std::string_view cls = widget.Attribute("class");
      const bool option = name.starts_with("ms_1_option_") || name.starts_with("ms_1_btn_prate_");
      EXPECT_TRUE(!option || cls != "QPushButton" || PropertyText(widget, "checkable") == "true");
      if (name.starts_with("ms_1_slider_dpi_")) {
        EXPECT_GE(std::stoi("0" + PropertyText(widget, "minimum")), 1);
        EXPECT_LE(std::stoi("0" + PropertyText(widget, "maximum")), 100);
      }
      const bool keyed =
          file == std::string_view("main.xml") && PropertyText(widget, "textmode") == "key";
      std::vector<std::string> keys;
      if (keyed && cls != "QComboBox") keys.push_back(PropertyText(widget, "text"));
      for (const XMLElement* item = widget.FirstChildElement("item"); keyed && item;
           item = item->NextSiblingElement("item")) {
        keys.push_back(PropertyText(*item, "text"));
      }
      for (const std::string& key : keys) EXPECT_TRUE(key.ends_with("_text")) << key;
      const std::string sheet = PropertyText(widget, "styleSheet");
      for (auto it = std::sregex_iterator(sheet.begin(), sheet.end(), url);
           it != std::sregex_iterator(); ++it, ++images) {
        EXPECT_TRUE(std::filesystem::is_regular_file(kResFolder / (*it)[1].str())) << (*it)[1];
      }
      std::string accessible = PropertyText(widget, "accessibleName");
      for (const std::string& key : {accessible, PropertyText(widget, "toolTip")}) {
        EXPECT_TRUE(key.empty() || english.Has(key)) << key;
      }
      if (const std::size_t slot = english.Text(accessible).find("%d"); slot != std::string::npos) {
        accessible = english.Text(accessible).replace(slot, 2, name.substr(name.rfind('_') + 1));
      }
      if (!accessible.empty() && std::isdigit(static_cast<unsigned char>(name.back()))) {
        const auto [seen, fresh] = named.try_emplace(accessible, name);
        EXPECT_TRUE(fresh) << "also " << seen->second << ": \"" << accessible << "\"";
      }
      EXPECT_FALSE(interactive.count(std::string(cls)) && accessible.empty() &&
                   PropertyText(widget, "text").empty())
          << "no name";
    }
  }
  EXPECT_GT(images, 0);
  const Layout main("main.xml");
  const XMLElement* first_page =
      main.widgets.at("device_tab_switch").front()->FirstChildElement("widget");
  ASSERT_NE(first_page, nullptr);
  EXPECT_NE(first_page->FirstChildElement(), nullptr) << "the mouse page comes first";
  EXPECT_TRUE(std::string_view(first_page->Attribute("name")).starts_with("ms_1_"));
}

}  // namespace
