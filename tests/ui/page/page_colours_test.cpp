// The colour buttons and the colour dialog on the headless toolkit.
#include <cstring>
#include <functional>
#include <optional>

#include "page_test.h"

namespace vexel::testing {
namespace {

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
    EXPECT_EQ(toolkit.ModalLog().back(), "DpiColorWnd");
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
