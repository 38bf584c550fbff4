// The committed skin against what the program looks up in it: every control the
// main window and its page find by name, the kind of widget each must be, the
// images its style sheets name.
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
class Layout {
 public:
  explicit Layout(const std::string& file) {
    loaded_ = doc_.LoadFile((kResFolder / file).c_str()) == tinyxml2::XML_SUCCESS;
    if (loaded_) Collect(doc_.RootElement());
  }
  bool loaded() const { return loaded_; }
  int Count(const std::string& name) const {
    auto it = widgets_.find(name);
    return it == widgets_.end() ? 0 : static_cast<int>(it->second.size());
  }
  const XMLElement* Find(const std::string& name) const {
    auto it = widgets_.find(name);
    return it == widgets_.end() ? nullptr : it->second.front();
  }
  const std::map<std::string, std::vector<const XMLElement*>>& widgets() const { return widgets_; }

 private:
  void Collect(const XMLElement* element) {
    for (const XMLElement* child = element->FirstChildElement(); child;
         child = child->NextSiblingElement()) {
      if (std::string_view(child->Name()) == "widget" && child->Attribute("name")) {
        widgets_[child->Attribute("name")].push_back(child);
      }
      Collect(child);
    }
  }

  tinyxml2::XMLDocument doc_;
  bool loaded_ = false;
  std::map<std::string, std::vector<const XMLElement*>> widgets_;
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

const std::set<std::string> kContainer = {"QWidget", "QFrame", "QGroupBox"};
const std::set<std::string> kButton = {"QPushButton", "QToolButton"};
const std::set<std::string> kOption = {"QRadioButton", "QPushButton"};  // pushbutton: checkable

// The controls the main window and its page find by name, by the widget
// classes each may have so that the toolkit gives it the right kind; the
// section check boxes and the containers they show are among them.
// "name_1..8" stands for name_1 to name_8.
const std::vector<std::pair<std::set<std::string>, std::vector<std::string>>> kControlsByKind = {
    {kButton,
     {"skin_btn", "main_menu_btn", "min_btn", "exit_btn", "ms_1_btn_key_1..18", "ms_1_btn_macro",
      "ms_1_profile_add_btn", "ms_1_profile_delete_btn", "ms_1_profile_rename_btn",
      "ms_1_profile_import_btn", "ms_1_profile_export_btn", "ms_1_profile_reset_btn",
      "ms_1_btn_dpi_color_1..8", "ms_1_btn_apply_dpi", "ms_1_btn_reset_dpi", "ms_1_btn_light_color",
      "ms_1_btn_mouse_attribute", "ms_1_apply_btn", "ms_1_btn_reset"}},
    {{"QLabel"},
     {"ms_1_wired", "ms_1_wireless", "ms_1_BLE", "ms_1_sleep_label", "ms_1_label_dpi_1..8",
      "ms_1_label_prate", "ms_1_label_light_off", "ms_1_label_sleep_timer",
      "ms_1_label_key_debounce", "ms_1_label_power", "ms_1_low_power_label"}},
    {kOption,
     {"ms_1_option_dpi_step_1..8", "ms_1_btn_prate_1..4", "ms_1_option_lift_of_distance_1..2",
      "ms_1_option_ripple_control_1..2", "ms_1_option_angle_snap_1..2"}},
    {kContainer,
     {"ms_1_ver_brightness", "ms_1_ver_breathspeed", "ms_1_hor_light_color", "ms_1_hor_button",
      "ms_1_ver_profile", "ms_1_ver_power", "ms_1_ver_dpi", "ms_1_ver_light", "ms_1_ver_prate",
      "ms_1_ver_mouse_attribute", "ms_1_ver_power_setting", "ms_1_hor_lift_of_distance",
      "ms_1_hor_key_debounce", "ms_1_hor_ripple_control", "ms_1_hor_angle_snap"}},
    {{"QCheckBox"},
     {"ms_1_check_movemode", "ms_1_check_button", "ms_1_check_profile", "ms_1_check_power",
      "ms_1_check_dpi", "ms_1_check_light", "ms_1_check_prate", "ms_1_check_mouse_attribute",
      "ms_1_check_power_setting", "ms_1_check_lift_of_distance", "ms_1_check_key_debounce",
      "ms_1_check_ripple_control", "ms_1_check_angle_snap"}},
    {{"QSlider"},
     {"ms_1_slider_dpi_1..8", "ms_1_slider_brightness", "ms_1_slider_breathspeed",
      "ms_1_slider_light_off", "ms_1_slider_sleep_timer", "ms_1_slider_key_debounce"}},
    {{"QProgressBar"}, {"apply_progress", "ms_1_progress_power"}},
    {{"QComboBox"}, {"ms_1_combo_light", "ms_1_combo_light_ble"}},
    {{"QLineEdit"}, {"ms_1_edit_dpi_1..8"}},
    {{"QListWidget"}, {"ms_1_list_profile"}},
    {{"QScrollArea"}, {"ms_1_ver_setting"}},
    {{"QStackedWidget", "QTabWidget"}, {"device_tab_switch"}},
    {{"QLabel", "QWidget", "QFrame", "QProgressBar"}, {"apply_ring"}},
    {{"QLabel", "QWidget", "QFrame"}, {"ms_1_key_control_1..18"}},
};

std::vector<std::string> Expanded(const std::string& name) {
  const auto dots = name.find("..");
  if (dots == std::string::npos) return {name};
  const auto first = name.rfind('_', dots) + 1;
  std::vector<std::string> names;
  for (int n = std::stoi(name.substr(first)); n <= std::stoi(name.substr(dots + 2)); ++n) {
    names.push_back(name.substr(0, first) + std::to_string(n));
  }
  return names;
}

class MainSkinTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { layout_ = new Layout("main.xml"); }
  static void TearDownTestSuite() { delete layout_; }

  void ExpectOnce(const std::string& name, const std::set<std::string>& classes) {
    ASSERT_EQ(layout_->Count(name), 1) << name;
    const std::string cls = layout_->Find(name)->Attribute("class");
    EXPECT_TRUE(classes.count(cls)) << name << " is a " << cls;
  }

  static Layout* layout_;
};

Layout* MainSkinTest::layout_ = nullptr;

TEST_F(MainSkinTest, EveryLookedUpControlExistsOnceWithItsKind) {
  ASSERT_TRUE(layout_->loaded());
  for (const auto& [classes, names] : kControlsByKind) {
    for (const std::string& pattern : names) {
      for (const std::string& name : Expanded(pattern)) ExpectOnce(name, classes);
    }
  }
}

// Push buttons stand for options only when checkable; a DPI slider never gives
// 0 nor more than the performance report carries (100 x 100 DPI); key-mode
// texts are language keys; every url(...) of a style sheet names a file under
// res/.
TEST_F(MainSkinTest, WidgetsKeepTheRulesOfTheirKind) {
  const std::regex url(R"(url\(([^)]+)\))");
  int images = 0;
  for (const auto& [name, widgets] : layout_->widgets()) {
    const XMLElement& widget = *widgets.front();
    const std::string_view cls = widget.Attribute("class");
    const bool option = name.starts_with("ms_1_option_") || name.starts_with("ms_1_btn_prate_");
    EXPECT_TRUE(!option || cls != "QPushButton" || PropertyText(widget, "checkable") == "true")
        << name;
    if (name.starts_with("ms_1_slider_dpi_")) {
      EXPECT_GE(std::stoi("0" + PropertyText(widget, "minimum")), 1) << name;
      EXPECT_LE(std::stoi("0" + PropertyText(widget, "maximum")), 100) << name;
    }
    const bool keyed = PropertyText(widget, "textmode") == "key";
    std::vector<std::string> keys;
    if (keyed && cls != "QComboBox") keys.push_back(PropertyText(widget, "text"));
    for (const XMLElement* item = widget.FirstChildElement("item"); keyed && item;
         item = item->NextSiblingElement("item")) {
      keys.push_back(PropertyText(*item, "text"));
    }
    for (const std::string& key : keys) EXPECT_TRUE(key.ends_with("_text")) << name << ": " << key;
    const std::string sheet = PropertyText(widget, "styleSheet");
    for (auto it = std::sregex_iterator(sheet.begin(), sheet.end(), url);
         it != std::sregex_iterator(); ++it, ++images) {
      EXPECT_TRUE(std::filesystem::is_regular_file(kResFolder / (*it)[1].str()))
          << name << ": " << (*it)[1];
    }
  }
  EXPECT_GT(images, 0);
  const XMLElement* first_page = layout_->Find("device_tab_switch")->FirstChildElement("widget");
  ASSERT_NE(first_page, nullptr);
  EXPECT_NE(first_page->FirstChildElement(), nullptr) << "the mouse page comes first";
  EXPECT_TRUE(std::string_view(first_page->Attribute("name")).starts_with("ms_1_"));
}

}  // namespace

// Screen readers name a control by its accessible name, else by its text:
// every interactive control of the page and its dialogs has one, the names
// and tooltips are keys with a text in lan.xml, and no two numbered controls
// (one per stage, preset, rate) share a name, as a row copied without
// renumbering would.
TEST(AccessibleNamesTest, ControlsCarryTheNamesScreenReadersAnnounce) {
  const std::set<std::string> interactive = {"QPushButton", "QCheckBox",   "QRadioButton",
                                             "QSlider",     "QComboBox",   "QLineEdit",
                                             "QListWidget", "ColorPalette"};
  vexel::LanguageTable english;
  ASSERT_TRUE(english.LoadFile(std::string(VEXEL_SOURCE_DIR) + "/res/lan.xml"));
  for (const char* file :
       {"main.xml", "DpiColorDialog.xml", "MS/MS_1/profilename.xml", "MS/MS_1/selectmacro.xml",
        "MS/MS_1/ms_1_macropage.xml", "shortcut.xml"}) {
    const Layout layout(file);
    ASSERT_TRUE(layout.loaded()) << file;
    std::map<std::string, std::string> named;  // accessible name -> control
    for (const auto& [name, widgets] : layout.widgets()) {
      const XMLElement& widget = *widgets.front();
      std::string accessible = PropertyText(widget, "accessibleName");
      for (const std::string& key : {accessible, PropertyText(widget, "toolTip")}) {
        EXPECT_TRUE(key.empty() || english.Has(key)) << file << ": " << name << ": " << key;
      }
      if (const std::size_t slot = english.Text(accessible).find("%d"); slot != std::string::npos) {
        accessible = english.Text(accessible).replace(slot, 2, name.substr(name.rfind('_') + 1));
      }
      if (!accessible.empty() && std::isdigit(static_cast<unsigned char>(name.back()))) {
        const auto [seen, fresh] = named.try_emplace(accessible, name);
        EXPECT_TRUE(fresh) << file << ": " << name << " and " << seen->second << " are both \""
                           << accessible << "\"";
      }
      if (interactive.count(widget.Attribute("class")) == 0) continue;
      EXPECT_FALSE(accessible.empty() && PropertyText(widget, "text").empty())
          << file << ": " << name << " has no name";
    }
  }
}
