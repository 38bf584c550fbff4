// The committed skin against what the program looks up in it: every control the
// main window and its page find by name, the kind of widget each must be, the
// images its style sheets name, and the DPI indicator's label.
#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

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
  const XMLElement* Root() const { return doc_.RootElement()->FirstChildElement("widget"); }
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

// Width and height of a widget's geometry, or {0, 0}.
std::pair<int, int> GeometrySize(const XMLElement& widget) {
  for (const XMLElement* p = widget.FirstChildElement("property"); p;
       p = p->NextSiblingElement("property")) {
    const XMLElement* rect = p->FirstChildElement("rect");
    if (std::string_view(p->Attribute("name")) == "geometry" && rect) {
      return {rect->FirstChildElement("width")->IntText(),
              rect->FirstChildElement("height")->IntText()};
    }
  }
  return {0, 0};
}

std::string Numbered(const std::string& pattern, int n) {
  const auto at = pattern.find("%d");
  return pattern.substr(0, at) + std::to_string(n) + pattern.substr(at + 2);
}

// Widget class each control must have, so the toolkit gives it the right kind.
struct Expected {
  std::string name;  // "%d" expands over 1..count
  int count;
  std::set<std::string> classes;
};

const std::set<std::string> kContainer = {"QWidget", "QFrame", "QGroupBox"};
const std::set<std::string> kButton = {"QPushButton", "QToolButton"};
const std::set<std::string> kOption = {"QRadioButton", "QPushButton"};  // pushbutton: checkable
const std::set<std::string> kLabel = {"QLabel"};

const std::vector<Expected> kMainWindowControls = {
    {"skin_btn", 1, kButton},
    {"main_menu_btn", 1, kButton},
    {"min_btn", 1, kButton},
    {"exit_btn", 1, kButton},
    {"apply_progress", 1, {"QProgressBar"}},
    {"device_tab_switch", 1, {"QStackedWidget", "QTabWidget"}},
    {"apply_ring", 1, {"QLabel", "QWidget", "QFrame", "QProgressBar"}},
    // Buttons
    {"ms_1_btn_key_%d", 18, kButton},
    {"ms_1_key_control_%d", 18, {"QLabel", "QWidget", "QFrame"}},
    {"ms_1_btn_macro", 1, kButton},
    // Profiles
    {"ms_1_list_profile", 1, {"QListWidget"}},
    {"ms_1_profile_add_btn", 1, kButton},
    {"ms_1_profile_delete_btn", 1, kButton},
    {"ms_1_profile_rename_btn", 1, kButton},
    {"ms_1_profile_import_btn", 1, kButton},
    {"ms_1_profile_export_btn", 1, kButton},
    {"ms_1_profile_reset_btn", 1, kButton},
    // Connection
    {"ms_1_wired", 1, kLabel},
    {"ms_1_wireless", 1, kLabel},
    {"ms_1_BLE", 1, kLabel},
    {"ms_1_sleep_label", 1, kLabel},
    {"ms_1_ver_setting", 1, {"QScrollArea"}},
    // DPI
    {"ms_1_slider_dpi_%d", 8, {"QSlider"}},
    {"ms_1_label_dpi_%d", 8, kLabel},
    {"ms_1_option_dpi_step_%d", 8, kOption},
    {"ms_1_btn_dpi_color_%d", 8, kButton},
    {"ms_1_edit_dpi_%d", 8, {"QLineEdit"}},
    {"ms_1_btn_apply_dpi", 1, kButton},
    {"ms_1_btn_reset_dpi", 1, kButton},
    // Lighting
    {"ms_1_combo_light", 1, {"QComboBox"}},
    {"ms_1_combo_light_ble", 1, {"QComboBox"}},
    {"ms_1_ver_brightness", 1, kContainer},
    {"ms_1_slider_brightness", 1, {"QSlider"}},
    {"ms_1_ver_breathspeed", 1, kContainer},
    {"ms_1_slider_breathspeed", 1, {"QSlider"}},
    {"ms_1_hor_light_color", 1, kContainer},
    {"ms_1_btn_light_color", 1, kButton},
    // Polling rate
    {"ms_1_btn_prate_%d", 4, kOption},
    {"ms_1_label_prate", 1, kLabel},
    // Other settings
    {"ms_1_btn_mouse_attribute", 1, kButton},
    {"ms_1_slider_light_off", 1, {"QSlider"}},
    {"ms_1_label_light_off", 1, kLabel},
    {"ms_1_slider_sleep_timer", 1, {"QSlider"}},
    {"ms_1_label_sleep_timer", 1, kLabel},
    {"ms_1_check_movemode", 1, {"QCheckBox"}},
    {"ms_1_option_lift_of_distance_%d", 2, kOption},
    {"ms_1_option_ripple_control_%d", 2, kOption},
    {"ms_1_option_angle_snap_%d", 2, kOption},
    {"ms_1_slider_key_debounce", 1, {"QSlider"}},
    {"ms_1_label_key_debounce", 1, kLabel},
    // Apply and power
    {"ms_1_apply_btn", 1, kButton},
    {"ms_1_btn_reset", 1, kButton},
    {"ms_1_progress_power", 1, {"QProgressBar"}},
    {"ms_1_label_power", 1, kLabel},
    {"ms_1_low_power_label", 1, kLabel},
};

// Section check box and the container it shows.
const std::vector<std::pair<std::string, std::string>> kSections = {
    {"ms_1_check_button", "ms_1_hor_button"},
    {"ms_1_check_profile", "ms_1_ver_profile"},
    {"ms_1_check_power", "ms_1_ver_power"},
    {"ms_1_check_dpi", "ms_1_ver_dpi"},
    {"ms_1_check_light", "ms_1_ver_light"},
    {"ms_1_check_prate", "ms_1_ver_prate"},
    {"ms_1_check_mouse_attribute", "ms_1_ver_mouse_attribute"},
    {"ms_1_check_power_setting", "ms_1_ver_power_setting"},
    {"ms_1_check_lift_of_distance", "ms_1_hor_lift_of_distance"},
    {"ms_1_check_key_debounce", "ms_1_hor_key_debounce"},
    {"ms_1_check_ripple_control", "ms_1_hor_ripple_control"},
    {"ms_1_check_angle_snap", "ms_1_hor_angle_snap"},
};

// Every url(...) of the layout's style sheets names a file under res/; returns
// how many there are.
int ExpectStyleSheetImagesExist(const Layout& layout) {
  const std::regex url(R"(url\(([^)]+)\))");
  int images = 0;
  for (const auto& [name, widgets] : layout.widgets()) {
    const std::string sheet = PropertyText(*widgets.front(), "styleSheet");
    for (auto it = std::sregex_iterator(sheet.begin(), sheet.end(), url);
         it != std::sregex_iterator(); ++it, ++images) {
      EXPECT_TRUE(std::filesystem::is_regular_file(kResFolder / (*it)[1].str()))
          << name << ": " << (*it)[1];
    }
  }
  return images;
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
  for (const Expected& expected : kMainWindowControls) {
    if (expected.name.find("%d") == std::string::npos) {
      ExpectOnce(expected.name, expected.classes);
      continue;
    }
    for (int n = 1; n <= expected.count; ++n) {
      ExpectOnce(Numbered(expected.name, n), expected.classes);
    }
  }
  for (const auto& [check, container] : kSections) {
    ExpectOnce(check, {"QCheckBox"});
    ExpectOnce(container, kContainer);
  }
}

TEST_F(MainSkinTest, NoWidgetNameIsUsedTwice) {
  for (const auto& [name, widgets] : layout_->widgets()) {
    EXPECT_EQ(widgets.size(), 1u) << name;
  }
}

// Push buttons stand for options only when checkable; the first tab page is
// the mouse page.
TEST_F(MainSkinTest, OptionButtonsAreCheckableAndTheMousePageComesFirst) {
  for (const auto& [name, widgets] : layout_->widgets()) {
    const bool option = name.starts_with("ms_1_option_") || name.starts_with("ms_1_btn_prate_");
    if (option && std::string_view(widgets.front()->Attribute("class")) == "QPushButton") {
      EXPECT_EQ(PropertyText(*widgets.front(), "checkable"), "true") << name;
    }
  }
  const XMLElement* first_page = layout_->Find("device_tab_switch")->FirstChildElement("widget");
  ASSERT_NE(first_page, nullptr);
  EXPECT_NE(first_page->FirstChildElement(), nullptr);
  EXPECT_TRUE(std::string_view(first_page->Attribute("name")).starts_with("ms_1_"));
}

// The performance report carries stage values up to 100 (x 100 DPI); a stage
// must never be 0 from the slider.
TEST_F(MainSkinTest, DpiSlidersStayWithinOneToOneHundred) {
  for (int stage = 1; stage <= 8; ++stage) {
    const XMLElement* slider = layout_->Find(Numbered("ms_1_slider_dpi_%d", stage));
    ASSERT_NE(slider, nullptr);
    EXPECT_GE(std::stoi("0" + PropertyText(*slider, "minimum")), 1) << stage;
    EXPECT_LE(std::stoi("0" + PropertyText(*slider, "maximum")), 100) << stage;
  }
}

TEST_F(MainSkinTest, KeyModeTextsAreLanguageKeys) {
  for (const auto& [name, widgets] : layout_->widgets()) {
    const XMLElement& widget = *widgets.front();
    if (PropertyText(widget, "textmode") != "key") continue;
    std::vector<std::string> keys;
    if (std::string_view(widget.Attribute("class")) == "QComboBox") {
      for (const XMLElement* item = widget.FirstChildElement("item"); item;
           item = item->NextSiblingElement("item")) {
        keys.push_back(PropertyText(*item, "text"));
      }
    } else {
      keys.push_back(PropertyText(widget, "text"));
    }
    for (const std::string& key : keys) EXPECT_TRUE(key.ends_with("_text")) << name << ": " << key;
  }
}

TEST_F(MainSkinTest, EveryImageOfTheStyleSheetsExists) {
  EXPECT_GT(ExpectStyleSheetImagesExist(*layout_), 0);
}

TEST_F(MainSkinTest, WindowIsEightHundredByFiveHundredSeventyTwo) {
  EXPECT_EQ(GeometrySize(*layout_->Root()), std::make_pair(800, 572));
}

TEST(DpiMessageSkinTest, HasItsLabelAndTheIndicatorSize) {
  Layout layout("DPImsg.xml");
  ASSERT_TRUE(layout.loaded());
  ASSERT_EQ(layout.Count("dpi_label"), 1);
  EXPECT_STREQ(layout.Find("dpi_label")->Attribute("class"), "QLabel");
  EXPECT_EQ(GeometrySize(*layout.Root()), std::make_pair(200, 50));
  ExpectStyleSheetImagesExist(layout);
}

}  // namespace

// Screen readers name a control by its accessible name, else by its text.
TEST(AccessibleNamesTest, ControlsCarryTheNamesScreenReadersAnnounce) {
  struct Name {
    const char* file;
    std::string control;
    std::string name;
  };
  std::vector<Name> names = {
      {"main.xml", "ms_1_btn_apply_dpi", "Apply DPI"},
      {"main.xml", "ms_1_btn_reset_dpi", "Reset stages"},
      {"main.xml", "ms_1_btn_prate_1", "Polling rate 125 Hz"},
      {"main.xml", "ms_1_btn_prate_4", "Polling rate 1000 Hz"},
      {"main.xml", "ms_1_option_lift_of_distance_2", "Lift-off distance 2"},
      {"main.xml", "ms_1_option_angle_snap_1", "Angle snap 1"},
      {"main.xml", "ms_1_combo_light_ble", "Lighting effect over Bluetooth"},
      {"main.xml", "ms_1_slider_light_off", "Light-off timer"},
      {"main.xml", "ms_1_profile_reset_btn", "Restore defaults"},
      {"main.xml", "ms_1_apply_btn", "Apply"},
      {"MS/MS_1/profilename.xml", "edit_name", "Profile name"},
      {"MS/MS_1/profilename.xml", "btn_cancel", "Cancel"},
      {"DpiColorDialog.xml", "g_edit", "Green"},
      {"DpiColorDialog.xml", "confirm_btn", "OK"},
  };
  for (int n = 1; n <= 8; ++n) {
    const std::string s = std::to_string(n);
    names.push_back({"main.xml", "ms_1_edit_dpi_" + s, "Stage " + s + " DPI"});
    names.push_back({"main.xml", "ms_1_slider_dpi_" + s, "Stage " + s + " DPI slider"});
    names.push_back({"main.xml", "ms_1_option_dpi_step_" + s, "Use stage " + s});
    names.push_back({"main.xml", "ms_1_btn_dpi_color_" + s, "Stage " + s + " colour"});
  }
  for (int n = 1; n <= 16; ++n) {
    const std::string s = std::to_string(n);
    names.push_back({"DpiColorDialog.xml", "mouse_dpi_color_" + s, "Colour preset " + s});
  }
  std::map<std::string, Layout> layouts;
  for (const Name& n : names) {
    SCOPED_TRACE(n.control);
    auto [it, _] = layouts.try_emplace(n.file, n.file);
    const XMLElement* widget = it->second.Find(n.control);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(PropertyText(*widget, "accessibleName"), n.name);
  }
  // Every interactive control of the page and its dialogs has a name.
  const std::set<std::string> interactive = {"QPushButton", "QCheckBox",   "QRadioButton",
                                             "QSlider",     "QComboBox",   "QLineEdit",
                                             "QListWidget", "ColorPalette"};
  for (const char* file : {"main.xml", "DpiColorDialog.xml", "MS/MS_1/profilename.xml"}) {
    const Layout layout(file);
    ASSERT_TRUE(layout.loaded()) << file;
    for (const auto& [name, widgets] : layout.widgets()) {
      const XMLElement& widget = *widgets.front();
      if (interactive.count(widget.Attribute("class")) == 0) continue;
      EXPECT_FALSE(PropertyText(widget, "accessibleName").empty() &&
                   PropertyText(widget, "text").empty())
          << file << ": " << name << " has no name";
    }
  }
}
