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

ControlKind ControlKindOfClass(std::string_view class_name, bool checkable) {
  if (class_name == "QLabel") return ControlKind::kLabel;
  if (class_name == "QPushButton" || class_name == "QToolButton") {
    return checkable ? ControlKind::kOption : ControlKind::kButton;
  }
  if (class_name == "QRadioButton") return ControlKind::kOption;
  if (class_name == "QCheckBox") return ControlKind::kCheck;
  if (class_name == "QLineEdit" || class_name == "QTextEdit" || class_name == "QPlainTextEdit") {
    return ControlKind::kEdit;
  }
  if (class_name == "QSlider") return ControlKind::kSlider;
  if (class_name == "QProgressBar") return ControlKind::kProgress;
  if (class_name == "QListWidget") return ControlKind::kList;
  if (class_name == "QComboBox") return ControlKind::kCombo;
  if (class_name == "QStackedWidget" || class_name == "QTabWidget") return ControlKind::kTab;
  if (class_name == "QScrollArea") return ControlKind::kScrollContainer;
  if (class_name == "ColorPalette") return ControlKind::kColorPalette;
  return ControlKind::kContainer;
}

}  // namespace vexel::toolkit
