#include "toolkit/qt/qt_input.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QCoreApplication>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "toolkit/qt/color_palette.h"
#include "toolkit/qt/qt_control.h"
#include "toolkit/qt/qt_menu.h"
#include "toolkit/qt/qt_text.h"
#include "toolkit/qt/qt_toolkit.h"
#include "toolkit/qt/qt_window.h"
#include "toolkit/window.h"

namespace vexel::toolkit::qt {
namespace {

// The widget behind `control` when a user could reach it, cast to W; null
// otherwise.
template <class W>
W* Reachable(Control& control) {
  auto* qt_control = dynamic_cast<QtControl*>(&control);
  if (!qt_control || !qt_control->IsReachable()) return nullptr;
  return dynamic_cast<W*>(qt_control->widget());
}

}  // namespace
}  // namespace vexel::toolkit::qt

// The members are specialisations of the toolkit-wide template.
namespace vexel::toolkit {
using namespace qt;

template <>
bool QtUserInput::Click(Control& control) {
  auto* button = Reachable<QAbstractButton>(control);
  if (!button) return false;
  QtToolkit::DispatchScope scope(toolkit_);
  button->click();
  return true;
}

template <>
bool QtUserInput::ChooseItem(Control& control, int index) {
  QtToolkit::DispatchScope scope(toolkit_);
  if (auto* list = Reachable<QListWidget>(control); list && index >= 0 && index < list->count()) {
    list->setCurrentRow(index);
    return true;
  }
  if (auto* combo = Reachable<QComboBox>(control); combo && index >= 0 && index < combo->count()) {
    combo->setCurrentIndex(index);
    return true;
  }
  return false;
}

template <>
bool QtUserInput::MoveSlider(Control& control, int value) {
  auto* slider = Reachable<QAbstractSlider>(control);
  if (!slider) return false;
  QtToolkit::DispatchScope scope(toolkit_);
  slider->setValue(value);
  return true;
}

template <>
bool QtUserInput::Type(Control& control, std::string_view text) {
  QtToolkit::DispatchScope scope(toolkit_);
  if (auto* line = Reachable<QLineEdit>(control)) {
    // As a paste: the whole text replaced, one edit.
    line->selectAll();
    line->insert(ToQ(text));
    return true;
  }
  if (auto* rich = Reachable<QTextEdit>(control)) {
    rich->selectAll();
    rich->insertPlainText(ToQ(text));
    return true;
  }
  if (auto* plain = Reachable<QPlainTextEdit>(control)) {
    plain->selectAll();
    plain->insertPlainText(ToQ(text));
    return true;
  }
  return false;
}

template <>
bool QtUserInput::PressReturn(Control& control) {
  auto* line = Reachable<QLineEdit>(control);
  if (!line) return false;
  QtToolkit::DispatchScope scope(toolkit_);
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
  QCoreApplication::sendEvent(line, &press);
  return true;
}

template <>
bool QtUserInput::Focus(Control& control) {
  auto* qt_control = dynamic_cast<QtControl*>(&control);
  if (!qt_control || !qt_control->IsReachable() || qt_control->Kind() != ControlKind::kEdit) {
    return false;
  }
  QtWindowBackend* backend = &qt_control->window();
  // Under a window manager the widget's own focus events follow; they find
  // the focus already moved and add nothing.
  backend->MoveFocus(qt_control, true);
  qt_control->widget()->setFocus(Qt::MouseFocusReason);
  return true;
}

template <>
bool QtUserInput::Hover(Control& control, bool inside) {
  auto* qt_control = dynamic_cast<QtControl*>(&control);
  if (!qt_control || !qt_control->IsReachable()) return false;
  QtToolkit::DispatchScope scope(toolkit_);
  QWidget* widget = qt_control->widget();
  if (inside) {
    const QPointF centre(widget->width() / 2.0, widget->height() / 2.0);
    QEnterEvent enter(centre, widget->mapTo(widget->window(), centre), widget->mapToGlobal(centre));
    QCoreApplication::sendEvent(widget, &enter);
  } else {
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(widget, &leave);
  }
  return true;
}

template <>
bool QtUserInput::PickColour(Control& control, uint32_t argb, bool button_up) {
  auto* palette = Reachable<ColorPalette>(control);
  if (!palette) return false;
  QtToolkit::DispatchScope scope(toolkit_);
  palette->Pick(argb, button_up);
  return true;
}

template <>
bool QtUserInput::CloseWindow(Window& window) {
  if (!window.IsCreated()) return false;
  auto* backend = dynamic_cast<QtWindowBackend*>(WindowBackend::BackendOf(&window));
  if (!backend || !backend->root()) return false;
  backend->root()->close();  // a QCloseEvent, as from the title bar
  return true;
}

template <>
bool QtUserInput::ClickTrayIcon(TrayIcon& icon, bool right_button) {
  auto* tray = dynamic_cast<QtTrayIcon*>(&icon);
  if (!tray || !tray->IsAvailable()) return false;
  tray->Click(right_button);
  return true;
}

}  // namespace vexel::toolkit
