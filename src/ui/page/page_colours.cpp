// The colour buttons of the page: each opens the colour dialog below itself and
// stores the colour only when the dialog is confirmed.
#include "toolkit/control.h"
#include "toolkit/window.h"
#include "ui/page/dpi_color_wnd.h"
#include "ui/page/ms_1_page.h"

namespace vexel {

// The dialog's top-left corner: 200 pixels left of the button's left edge,
// level with its bottom edge.
toolkit::Point CMS_1_Page::ColourDialogOrigin(const toolkit::Control& button) const {
  const toolkit::Rect window = main_window_.ScreenRect();
  const toolkit::Rect rect = button.Position();
  return {window.left + rect.left - 200, window.top + rect.bottom};
}

bool CMS_1_Page::OnColourButton(toolkit::Control* sender) {
  Colour ProfileRecord::*light = &ProfileRecord::light_colour;
  const int stage = IndexIn(controls_.btn_dpi_color, sender);
  if (stage < 0 && (sender == nullptr || sender != controls_.btn_light_color)) return false;
  const auto profile = EditedCopy();
  if (!profile) return true;
  const Colour start = stage >= 0 ? profile->dpi_colour[stage] : (*profile).*light;
  const auto chosen = CDpiColorWnd::Choose(main_window_.toolkit(), &main_window_,
                                           ColourDialogOrigin(*sender), ColourToArgb(start));
  if (!chosen) return true;
  EditProfile([&](ProfileRecord& p) {
    (stage >= 0 ? p.dpi_colour[stage] : p.*light) = ArgbToColour(*chosen);
  });
  sender->SetBackgroundColour(*chosen);
  RequestApply();
  return true;
}

}  // namespace vexel
