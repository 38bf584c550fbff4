// The colour buttons and the colour dialog on the headless toolkit.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>
#include <string>

#include "support/main_window_harness.h"
#include "toolkit/control.h"

namespace vexel::testing {
namespace {

using Script = std::function<void(MainWindowHarness&, toolkit::Window&)>;

struct Outcome {
  ProfileRecord before;
  ProfileRecord after;
  uint32_t button_before = 0;
  uint32_t button_after = 0;
  toolkit::Rect dialog;
  toolkit::Rect expected;
  std::size_t sent_before = 0;
  std::size_t sent_after = 0;
};

// Opens the dialog from `button`, runs `script` inside it and reports.
Outcome RunDialog(const char* button, const Script& script) {
  MainWindowHarness h;
  h.Start();
  h.Settle();
  toolkit::Control& sender = h.Control(button);
  sender.SetVisible(true);
  for (const char* open : {"ms_1_ver_light", "ms_1_hor_light_color"})
    h.Control(open).SetVisible(true);
  Outcome out;
  out.before = h.Edited();
  out.button_before = sender.BackgroundColour();
  const toolkit::Rect window = h.window->ScreenRect();
  const toolkit::Rect rect = sender.Position();
  out.expected = {window.left + rect.left - 200, window.top + rect.bottom,
                  window.left + rect.left + 50, window.top + rect.bottom + 200};
  h.toolkit.ScriptModal([&](toolkit::Window& dialog) {
    out.dialog = dialog.ScreenRect();
    script(h, dialog);
  });
  out.sent_before = h.wired.Sent().size();
  EXPECT_TRUE(h.toolkit.Input().Click(sender));
  h.Settle();
  EXPECT_EQ(h.toolkit.ModalLog().back(), "DpiColorWnd");
  out.after = h.Edited();
  out.button_after = sender.BackgroundColour();
  out.sent_after = h.wired.Sent().size();
  return out;
}

void Click(MainWindowHarness& h, toolkit::Window& dialog, const char* name) {
  ASSERT_TRUE(h.toolkit.Input().Click(*dialog.FindControl(name)));
}
Script Click(const char* name) {
  return [name](MainWindowHarness& h, toolkit::Window& d) { Click(h, d, name); };
}
// The user drags the palette to `argb`, or lets go of it there.
Script Pick(uint32_t argb, bool released) {
  return [=](MainWindowHarness& h, toolkit::Window& d) {
    h.toolkit.Input().PickColour(*d.FindControl("ColorPallet"), argb, released);
  };
}

TEST(PageColours, ConfirmStoresCancelLeavesEverything) {
  const Script close = [](MainWindowHarness& h, toolkit::Window& d) {
    h.toolkit.Input().CloseWindow(d);
  };
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
      {"ms_1_btn_dpi_color_8", {Pick(0xFF405060, true), close}, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    const Outcome out = RunDialog(c.button, [&](MainWindowHarness& h, toolkit::Window& d) {
      for (const Script& step : c.steps) step(h, d);
    });
    EXPECT_EQ(out.dialog, out.expected);
    const bool stage = std::string(c.button) != "ms_1_btn_light_color";
    const Colour& after = stage ? out.after.dpi_colour[c.button[19] - '1'] : out.after.light_colour;
    if (!c.stored) {
      EXPECT_EQ(std::memcmp(&out.before, &out.after, sizeof(ProfileRecord)), 0);
      EXPECT_EQ(out.button_after, out.button_before);
      EXPECT_EQ(out.sent_after, out.sent_before);
      continue;
    }
    EXPECT_EQ(ColourToArgb(after), *c.stored);
    EXPECT_EQ(out.button_after, *c.stored);
    EXPECT_GT(out.sent_after, out.sent_before);
  }
}

TEST(PageColours, ChannelBoxesClampAndFollowTheColour) {
  struct Case {
    const char* box;
    const char* typed;
    const char* shown;
    uint32_t colour;
  };
  const Case cases[] = {{"r_edit", "300", "255", 0xFFFF0000},
                        {"g_edit", "18", "18", 0xFF001200},
                        {"b_edit", "-4", "0", 0xFF000000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.box);
    std::string shown;
    uint32_t preview = 0;
    RunDialog("ms_1_btn_light_color", [&](MainWindowHarness& h, toolkit::Window& d) {
      Click(h, d, "mouse_dpi_color_16");  // white
      for (const char* box : {"r_edit", "g_edit", "b_edit"}) {
        h.toolkit.Input().Type(*d.FindControl(box), "0");
      }
      h.toolkit.Input().Type(*d.FindControl(c.box), c.typed);
      shown = d.FindControl(c.box)->Text();
      preview = d.FindControl("color_show_control")->BackgroundColour();
      EXPECT_EQ(d.FindControl("ColorPallet")->SelectedColour(), c.colour);
    });
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(preview, c.colour);
  }
}

}  // namespace
}  // namespace vexel::testing
