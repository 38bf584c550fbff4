// The page's performance and lighting edits on the headless toolkit.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "messages/app_messages.h"
#include "platform/fake_mouse_settings.h"
#include "support/main_window_harness.h"

namespace vexel::testing {
namespace {

TEST(PageSettings, DpiBoxReadsClampsAndCutsToHundreds) {
  struct Case {
    const char* typed;  // none: the focus only passes through
    bool by_return;
    const char* shown;
    int stored;
  };
  const Case cases[] = {
      {nullptr, false, "0", 0},      {nullptr, true, "0", 0}, {"25000", false, "10000", 100},
      {"25000", true, "10000", 100}, {"50", true, "100", 1},  {"1299", false, "1200", 12},
      {"1a2b", true, "100", 1},      {"", true, "100", 1},    {"99999", true, "10000", 100},
      {"3200", true, "3200", 32},
  };
  MainWindowHarness h;
  h.Start();
  toolkit::Control& edit = h.Control("ms_1_edit_dpi_7");  // 0 by default
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed ? c.typed : "untouched");
    ASSERT_TRUE(h.toolkit.Input().Focus(edit));
    if (c.typed) {
      ASSERT_TRUE(h.toolkit.Input().Type(edit, c.typed));
      // Digits only while typing, the caret after the last one kept.
      EXPECT_EQ(edit.Text().find_first_not_of("0123456789"), std::string::npos);
      EXPECT_EQ(edit.CaretPosition(), static_cast<int>(edit.Text().size()));
    }
    if (c.by_return) {
      ASSERT_TRUE(h.toolkit.Input().PressReturn(edit));
    } else {
      ASSERT_TRUE(h.toolkit.Input().Focus(h.Control("ms_1_edit_dpi_1")));
    }
    h.toolkit.ProcessEvents();
    EXPECT_EQ(edit.Text(), c.shown);
    EXPECT_EQ(h.Control("ms_1_label_dpi_7").Text(), c.shown);
    EXPECT_EQ(h.Control("ms_1_slider_dpi_7").Value(), std::max(c.stored, 1));  // from 1 up
    EXPECT_EQ(h.Edited().dpi_x[6], c.stored);
  }
}

// Each edit ends in an immediate apply, a delayed one, or none.
TEST(PageSettings, EachEditEndsTheWayItShould) {
  enum class End { kNow, kShort, kLong, kNone };
  struct Case {
    const char* control;
    int value;  // a slider's position or a list's item; -1: a click
    End end;
    int32_t ProfileRecord::*field;  // nullptr: the fourth DPI stage
    int32_t stored;
  };
  using P = ProfileRecord;
  const Case cases[] = {
      {"ms_1_option_dpi_step_6", -1, End::kNow, &P::dpi_stage_current, 5},
      {"ms_1_btn_prate_3", -1, End::kNow, &P::polling_rate, 2},
      {"ms_1_option_ripple_control_2", -1, End::kNow, &P::ripple_control, 1},
      {"ms_1_option_angle_snap_2", -1, End::kNow, &P::angle_snap, 1},
      {"ms_1_combo_light", 4, End::kShort, &P::light_mode, 4},
      {"ms_1_combo_light_ble", 9, End::kShort, &P::light_mode_ble, 9},
      {"ms_1_slider_brightness", 3, End::kLong, &P::light_brightness, 3},
      {"ms_1_slider_breathspeed", 2, End::kLong, &P::light_breath_speed, 2},
      {"ms_1_slider_light_off", 7, End::kLong, &P::light_off_timer, 7},
      {"ms_1_slider_sleep_timer", 30, End::kLong, &P::sleep_timer, 30},
      {"ms_1_slider_key_debounce", 9, End::kLong, &P::key_debounce, 9},
      {"ms_1_slider_dpi_4", 77, End::kNone, nullptr, 77},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.control);
    MainWindowHarness h;
    h.Start();
    h.Settle();
    // Closed sections and effect rows are opened as a user would see them.
    for (const char* check :
         {"ms_1_check_light", "ms_1_check_power_setting", "ms_1_check_key_debounce",
          "ms_1_check_ripple_control", "ms_1_check_angle_snap"}) {
      toolkit::Control& section = h.Control(check);
      section.SetVisible(true);
      if (!section.IsChecked()) h.toolkit.Input().Click(section);
    }
    for (const char* row : {"ms_1_ver_brightness", "ms_1_ver_breathspeed"}) {
      h.Control(row).SetVisible(true);
    }
    h.Advance(kScrollSettingsMs);
    const std::size_t sent = h.wired.Sent().size();
    toolkit::Control& control = h.Control(c.control);
    if (c.value < 0) {
      h.toolkit.Input().Click(control);
    } else if (std::string_view(c.control).find("combo") != std::string_view::npos) {
      h.toolkit.Input().ChooseItem(control, c.value);
    } else {
      h.toolkit.Input().MoveSlider(control, c.value);
    }
    const ProfileRecord p = h.Edited();
    EXPECT_EQ(c.field ? p.*c.field : p.dpi_x[3], c.stored);
    EXPECT_EQ(h.TimerSet(kTimerDelayedApply), c.end == End::kShort || c.end == End::kLong);
    if (c.end == End::kShort) h.Advance(kDelayedApplyShortMs - 1);
    if (c.end == End::kLong) h.Advance(kDelayedApplyLongMs - 1);
    h.Settle();
    EXPECT_EQ(h.wired.Sent().size() > sent, c.end == End::kNow) << "before the period ends";
    h.Advance(1);
    h.Settle();
    EXPECT_EQ(h.wired.Sent().size() > sent, c.end != End::kNone) << "after it";
  }
}

TEST(PageSettings, ThreeBrightnessMovesApplyOnceAfterTheLast) {
  MainWindowHarness h;
  h.Start();
  h.Settle();
  h.toolkit.Input().Click(h.Control("ms_1_check_light"));
  h.Control("ms_1_check_light").SetVisible(true);
  h.Control("ms_1_ver_light").SetVisible(true);
  h.toolkit.Input().ChooseItem(h.Control("ms_1_combo_light"), 1);
  h.Advance(kDelayedApplyShortMs);
  h.Settle();
  const std::size_t sent = h.wired.Sent().size();
  for (int value : {2, 4, 6}) {
    ASSERT_TRUE(h.toolkit.Input().MoveSlider(h.Control("ms_1_slider_brightness"), value));
    h.Advance(200);
  }
  h.Settle();
  EXPECT_EQ(h.wired.Sent().size(), sent);
  h.Advance(300);
  h.Settle();
  EXPECT_GT(h.wired.Sent().size(), sent);
  EXPECT_EQ(h.Edited().light_brightness, 6);
}

TEST(PageSettings, LightRowsFollowTheWiredEffectOnly) {
  struct Case {
    int effect;
    bool brightness, speed, colour;
  };
  const Case cases[] = {{0, false, false, false}, {1, true, false, true},
                        {2, false, true, true},   {5, false, true, false},
                        {11, false, true, false}, {7, false, true, false}};
  MainWindowHarness h;
  h.Start();
  h.Control("ms_1_ver_light").SetVisible(true);
  toolkit::Control& combo = h.Control("ms_1_combo_light");
  ASSERT_GE(combo.ItemCount(), 12);
  ASSERT_GE(h.Control("ms_1_combo_light_ble").ItemCount(), 12);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.effect);
    ASSERT_TRUE(h.toolkit.Input().ChooseItem(combo, c.effect));
    EXPECT_EQ(h.Control("ms_1_ver_brightness").IsVisible(), c.brightness);
    EXPECT_EQ(h.Control("ms_1_ver_breathspeed").IsVisible(), c.speed);
    EXPECT_EQ(h.Control("ms_1_hor_light_color").IsVisible(), c.colour);
    // The Bluetooth list leaves the rows alone.
    h.toolkit.Input().ChooseItem(h.Control("ms_1_combo_light_ble"), c.effect == 1 ? 2 : 1);
    EXPECT_EQ(h.Control("ms_1_ver_brightness").IsVisible(), c.brightness);
  }
}

// The desktop's numbers in German (decimal comma) while it lives; the locale
// is built into a scratch folder where the system has not generated it.
class GermanNumbers {
 public:
  GermanNumbers() {
    if (std::setlocale(LC_NUMERIC, kName)) return;
    const std::string built = ShellQuote((folder_.path() / kName).string());
    if (RunCommand("localedef -i de_DE -f UTF-8 " + built).exit_code != 0) return;
    ::setenv("LOCPATH", folder_.path().c_str(), 1);
    std::setlocale(LC_NUMERIC, kName);
  }
  ~GermanNumbers() {
    std::setlocale(LC_NUMERIC, "C");
    ::unsetenv("LOCPATH");
  }
  bool active() const { return *std::localeconv()->decimal_point == ','; }

 private:
  static constexpr char kName[] = "de_DE.UTF-8";
  TempDir folder_;
};

TEST(PageSettings, LabelsFollowTheirControls) {
  struct Case {
    const char* control;
    int value;
    const char* label;
    const char* text;
    bool german_numbers = false;
  };
  const Case cases[] = {
      {"ms_1_slider_key_debounce", 4, "ms_1_label_key_debounce", "8 MS"},
      {"ms_1_slider_light_off", 2, "ms_1_label_light_off", "Light off after 1.0 min"},
      {"ms_1_slider_light_off", 5, "ms_1_label_light_off", "Light off after 2.5 min"},
      {"ms_1_slider_light_off", 6, "ms_1_label_light_off", "Light off after 3.0 min", true},
      {"ms_1_slider_sleep_timer", 12, "ms_1_label_sleep_timer", "Sleep after 12 min"},
      {"ms_1_slider_dpi_2", 77, "ms_1_label_dpi_2", "7700"},
      {"ms_1_slider_dpi_2", 77, "ms_1_edit_dpi_2", "7700"},
  };
  MainWindowHarness h;
  h.Start();
  for (const char* check : {"ms_1_check_power_setting", "ms_1_check_key_debounce"}) {
    h.toolkit.Input().Click(h.Control(check));
  }
  bool german_missing = false;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.control);
    std::optional<GermanNumbers> german;
    if (c.german_numbers && !german.emplace().active()) {
      german_missing = true;
      continue;
    }
    ASSERT_TRUE(h.toolkit.Input().MoveSlider(h.Control(c.control), c.value + 1));
    ASSERT_TRUE(h.toolkit.Input().MoveSlider(h.Control(c.control), c.value));
    EXPECT_EQ(h.Control(c.label).ShownText(), c.text);
  }
  ASSERT_TRUE(h.toolkit.Input().Click(h.Control("ms_1_btn_prate_2")));
  EXPECT_EQ(h.Control("ms_1_label_prate").ShownText(), "250 Hz");
  if (german_missing) GTEST_SKIP() << "no German locale to build (localedef, package locales)";
}

TEST(PageSettings, DpiResetMakesStageTwoTheStageInUse) {
  MainWindowHarness h;
  h.Start();
  h.toolkit.Input().MoveSlider(h.Control("ms_1_slider_dpi_1"), 40);
  h.toolkit.Input().Click(h.Control("ms_1_option_dpi_step_5"));
  ASSERT_TRUE(h.toolkit.Input().Click(h.Control("ms_1_btn_reset_dpi")));
  const ProfileRecord p = h.Edited();
  EXPECT_EQ(p.dpi_stage_current, 1);
  EXPECT_EQ(p.dpi_x[0], 5);
  EXPECT_TRUE(h.Control("ms_1_option_dpi_step_2").IsChecked());
  EXPECT_EQ(h.Control("ms_1_edit_dpi_1").Text(), "500");
}

TEST(PageSettings, MouseSettingsButtonOpensTheDesktopsOwnOrIsHidden) {
  for (const bool available : {true, false}) {
    SCOPED_TRACE(available);
    FakeMouseSettings settings(available);
    MainWindowHarness h;
    h.mouse_settings = &settings;
    h.Start();
    toolkit::Control& button = h.Control("ms_1_btn_mouse_attribute");
    EXPECT_EQ(button.IsVisible(), available);
    h.toolkit.Input().Click(h.Control("ms_1_check_mouse_attribute"));
    h.toolkit.Input().Click(button);
    EXPECT_EQ(settings.opened, available ? 1 : 0);
  }
}

// A value typed and applied without leaving the box is the one sent.
TEST(PageSettings, ApplyDpiTakesTheValueStillBeingTyped) {
  MainWindowHarness h;
  h.Start();
  h.Settle();
  const std::size_t sent = h.wired.Sent().size();
  ASSERT_TRUE(h.toolkit.Input().Type(h.Control("ms_1_edit_dpi_3"), "3200"));
  ASSERT_TRUE(h.toolkit.Input().Click(h.Control("ms_1_btn_apply_dpi")));
  h.Settle();
  EXPECT_EQ(h.Edited().dpi_x[2], 32);
  int performance_reports = 0;
  for (std::size_t i = sent; i < h.wired.Sent().size(); ++i) {
    if (h.wired.Sent()[i][0] != 0x04) continue;
    ++performance_reports;
    EXPECT_EQ(h.wired.Sent()[i][10], 73);  // the code of 3200 DPI
  }
  EXPECT_EQ(performance_reports, 1);
}

}  // namespace
}  // namespace vexel::testing
