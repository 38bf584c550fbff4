// The committed skin's layouts against the names screen readers announce.
#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <cctype>
#include <filesystem>
#include <map>
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

// Screen readers name a control by its accessible name, else by its text: in
// the main window and its dialogs every interactive control has one, names
// and tooltips are keys with a text in lan.xml, and no two numbered controls
// (one per stage, preset, rate) share a name, as a row copied without
// renumbering would. Each name occurs once, as the program finds controls by
// name (that the page finds every one, the page's own tests see).
TEST(SkinLayoutTest, ControlsCarryTheNamesScreenReadersAnnounce) {
  const std::set<std::string> interactive = {"QPushButton", "QCheckBox",   "QRadioButton",
                                             "QSlider",     "QComboBox",   "QLineEdit",
                                             "QListWidget", "ColorPalette"};
  vexel::LanguageTable english;
  ASSERT_TRUE(english.LoadFile(std::string(VEXEL_SOURCE_DIR) + "/res/lan.xml"));
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
      EXPECT_FALSE(interactive.count(widget.Attribute("class")) && accessible.empty() &&
                   PropertyText(widget, "text").empty())
          << "no name";
    }
  }
}

}  // namespace
