#include "toolkit/control.h"

namespace vexel::toolkit {

std::string_view ControlKindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::kContainer:
      return "container";
    case ControlKind::kScrollContainer:
      return "scroll container";
    case ControlKind::kLabel:
      return "label";
    case ControlKind::kButton:
      return "button";
    case ControlKind::kOption:
      return "option";
    case ControlKind::kCheck:
      return "check";
    case ControlKind::kEdit:
      return "edit";
    case ControlKind::kSlider:
      return "slider";
    case ControlKind::kProgress:
      return "progress";
    case ControlKind::kList:
      return "list";
    case ControlKind::kCombo:
      return "combo";
    case ControlKind::kTab:
      return "tab";
    case ControlKind::kColorPalette:
      return "color palette";
  }
  return "unknown";
}

}  // namespace vexel::toolkit
