// The page's performance and lighting edits, the colour buttons and the colour
// dialog on the headless toolkit.
#include <cstring>
#include <functional>
#include <optional>
#include <string_view>

#include "messages/app_messages.h"
#include "page_test.h"

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
  Page h;
  h.Start();
  toolkit::Control& edit = h.Control("ms_1_edit_dpi_7");  // 0 by default
  toolkit::UserInput& in = h.toolkit.Input();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed ? c.typed : "untouched");
    ASSERT_TRUE(in.Focus(edit));
    if (c.typed) {
      ASSERT_TRUE(in.Type(edit, c.typed));
      EXPECT_EQ(edit.Text().find_first_not_of("0123456789"), std::string::npos);  // while typing
    }
    ASSERT_TRUE(c.by_return ? in.PressReturn(edit) : in.Focus(h.Control("ms_1_edit_dpi_1")));
    h.toolkit.ProcessEvents();
    EXPECT_EQ(edit.Text() + " " + h.Control("ms_1_label_dpi_7").Text(),
              std::string(c.shown) + " " + c.shown);
    EXPECT_EQ(h.Control("ms_1_slider_dpi_7").Value(), std::max(c.stored, 1));  // from 1 up
    EXPECT_EQ(h.Edited().dpi_x[6], c.stored);
  }
}

// The page with every section and effect row open, as a user would see them.
void StartWithEverythingOpen(Page& h) {
  h.Start();
  h.Settle();
  for (const char* check :
       {"ms_1_check_light", "ms_1_check_power_setting", "ms_1_check_key_debounce",
        "ms_1_check_ripple_control", "ms_1_check_angle_snap"}) {
    h.Control(check).SetVisible(true);
    if (!h.Control(check).IsChecked()) h.Click(check);
  }
  for (const char* row : {"ms_1_ver_brightness", "ms_1_ver_breathspeed"}) {
    h.Control(row).SetVisible(true);
  }
  h.Advance(kScrollSettingsMs);
}

// Each edit ends in an immediate apply, a delayed one, or none; a slider's
// delay starts again with each move, so a drag applies once after the last.
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
    Page h;
    StartWithEverythingOpen(h);
    const std::size_t sent = h.SentCount();
    if (c.value < 0) {
      h.Click(c.control);
    } else if (std::string_view(c.control).find("combo") != std::string_view::npos) {
      h.Choose(c.control, c.value);
    } else {
      h.Slide(c.control, c.value + 1);
      h.Advance(200);
      h.Slide(c.control, c.value);
    }
    const ProfileRecord p = h.Edited();
    EXPECT_EQ(c.field ? p.*c.field : p.dpi_x[3], c.stored);
    EXPECT_EQ(h.TimerSet(kTimerDelayedApply), c.end == End::kShort || c.end == End::kLong);
    if (c.end == End::kShort) h.Advance(kDelayedApplyShortMs - 1);
    if (c.end == End::kLong) h.Advance(kDelayedApplyLongMs - 1);
    h.Settle();
    EXPECT_EQ(h.SentCount() > sent, c.end == End::kNow) << "before the period ends";
    h.Advance(1);
    h.Settle();
    EXPECT_EQ(h.SentCount() > sent, c.end != End::kNone) << "after it";
  }
}

// The timers count in half minutes, the debounce in steps of 2 ms.
TEST(PageSettings, LabelsShowTheValueInTheirUnit) {
  Page h;
  h.Start();
  ASSERT_TRUE(h.Click("ms_1_check_power_setting") && h.Click("ms_1_check_key_debounce"));
  ASSERT_TRUE(h.Slide("ms_1_slider_light_off", 5) && h.Slide("ms_1_slider_key_debounce", 4));
  EXPECT_EQ(h.Shown("ms_1_label_light_off") + ", " + h.Shown("ms_1_label_key_debounce"),
            "Light off after 2.5 min, 8 MS");
}

// A value typed and applied without leaving the box is the one sent, once.
TEST(PageSettings, ApplyDpiTakesTheValueStillBeingTyped) {
  Page h;
  h.Start();
  h.Settle();
  const std::size_t sent = h.SentCount();
  ASSERT_TRUE(h.toolkit.Input().Type(h.Control("ms_1_edit_dpi_3"), "3200"));
  ASSERT_TRUE(h.Click("ms_1_btn_apply_dpi"));
  h.Settle();
  std::vector<int> third_stage_codes;  // of each performance report
  for (std::size_t i = sent; i < h.SentCount(); ++i) {
    if (h.wired.Sent()[i][0] == 0x04) third_stage_codes.push_back(h.wired.Sent()[i][10]);
  }
  EXPECT_EQ(third_stage_codes, std::vector<int>{73});  // the code of 3200 DPI
}

using Script = std::function<void(Page&, toolkit::Window&)>;

// A page whose colour dialog, opened from `button`, runs `script`; the dialog
// opens below the button, reaching 200 px to its left.
struct ColourDialog : Page {
  ColourDialog(const char* name, const Script& script) {
    Start();
    Settle();
    for (const char* open : {name, "ms_1_ver_light", "ms_1_hor_light_color"}) {
      Control(open).SetVisible(true);
    }
    before = Edited();
    colour_before = Control(name).BackgroundColour();
    const toolkit::Rect frame = window->ScreenRect();
    const toolkit::Rect at = Control(name).Position();
    const toolkit::Rect expected{frame.left + at.left - 200, frame.top + at.bottom,
                                 frame.left + at.left + 50, frame.top + at.bottom + 200};
    toolkit.ScriptModal([&](toolkit::Window& dialog) {
      EXPECT_EQ(dialog.ScreenRect(), expected);
      script(*this, dialog);
    });
    sent_before = SentCount();
    EXPECT_TRUE(Click(name));
    Settle();
  }
  ProfileRecord before;
  uint32_t colour_before;
  std::size_t sent_before;
};

Script Click(const char* name) {
  return [name](Page& h, toolkit::Window& d) { h.toolkit.Input().Click(*d.FindControl(name)); };
}
Script Type(const char* box, const char* text) {
  return [=](Page& h, toolkit::Window& d) { h.toolkit.Input().Type(*d.FindControl(box), text); };
}
// The user drags the palette to `argb`, or lets go of it there.
Script Pick(uint32_t argb, bool released) {
  return [=](Page& h, toolkit::Window& d) {
    h.toolkit.Input().PickColour(*d.FindControl("ColorPallet"), argb, released);
  };
}

TEST(PageColours, ConfirmStoresCancelLeavesEverything) {
  const Script close = [](Page& h, toolkit::Window& d) { h.toolkit.Input().CloseWindow(d); };
  struct Case {
    const char* button;
    std::vector<Script> steps;
    std::optional<uint32_t> stored;  // nothing: unchanged
  };
  const Case cases[] = {
      {"ms_1_btn_dpi_color_3", {Click("mouse_dpi_color_11"), Click("confirm_btn")}, 0xFFFF0000},
      {"ms_1_btn_light_color",
       {Pick(0xFF102030, false), Pick(0xFF405060, true), Click("confirm_btn")},
       0xFF405060},
      {"ms_1_btn_light_color", {Click("mouse_dpi_color_11"), Click("cancel_btn")}, std::nullopt},
      // From white, the channel boxes clamp what is typed and set the colour.
      {"ms_1_btn_dpi_color_1",
       {Click("mouse_dpi_color_16"), Type("r_edit", "300"), Type("g_edit", "18"),
        Type("b_edit", "-4"), Click("confirm_btn")},
       0xFFFF1200},
      {"ms_1_btn_dpi_color_8", {Pick(0xFF405060, true), close}, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    ColourDialog h(c.button, [&](Page& h, toolkit::Window& d) {
      for (const Script& step : c.steps) step(h, d);
    });
    const ProfileRecord after = h.Edited();
    const uint32_t shown = h.Control(c.button).BackgroundColour();
    if (!c.stored) {
      EXPECT_EQ(std::memcmp(&h.before, &after, sizeof(ProfileRecord)), 0);
      EXPECT_EQ(shown, h.colour_before);
      EXPECT_EQ(h.SentCount(), h.sent_before);
      continue;
    }
    const bool stage = std::string(c.button) != "ms_1_btn_light_color";
    EXPECT_EQ(ColourToArgb(stage ? after.dpi_colour[c.button[19] - '1'] : after.light_colour),
              *c.stored);
    EXPECT_EQ(shown, *c.stored);
    EXPECT_GT(h.SentCount(), h.sent_before);
  }
}

}  // namespace
}  // namespace vexel::testing
