#include "toolkit/headless/headless_input.h"

#include "toolkit/headless/headless_control.h"
#include "toolkit/headless/headless_menu.h"
#include "toolkit/headless/headless_toolkit.h"
#include "toolkit/headless/headless_window.h"
#include "toolkit/window.h"

namespace vexel::toolkit::headless {
namespace {

// The headless control behind `control` when a user could reach it and it is
// of one of the kinds given, else nullptr.
HeadlessControl* Reachable(Control& control, std::initializer_list<ControlKind> kinds) {
  auto* headless = dynamic_cast<HeadlessControl*>(&control);
  if (!headless || !headless->IsReachable()) return nullptr;
  for (ControlKind kind : kinds) {
    if (headless->Kind() == kind) return headless;
  }
  return nullptr;
}

}  // namespace
}  // namespace vexel::toolkit::headless

// The members are specialisations of the toolkit-wide template.
namespace vexel::toolkit {
using namespace headless;

template <>
bool HeadlessUserInput::Click(Control& control) {
  HeadlessControl* target =
      Reachable(control, {ControlKind::kButton, ControlKind::kOption, ControlKind::kCheck});
  if (!target) return false;
  switch (target->Kind()) {
    case ControlKind::kOption:
      if (target->SelectOption()) target->Raise(kNotifySelectChanged, 1);
      break;
    case ControlKind::kCheck:
      target->SetChecked(!target->IsChecked(), true);
      break;
    default:
      target->Raise(kNotifyClick);
  }
  return true;
}

template <>
bool HeadlessUserInput::ChooseItem(Control& control, int index) {
  HeadlessControl* target = Reachable(control, {ControlKind::kList, ControlKind::kCombo});
  if (!target || index < 0 || index >= target->ItemCount()) return false;
  target->SelectItem(index, true);
  return true;
}

template <>
bool HeadlessUserInput::MoveSlider(Control& control, int value) {
  HeadlessControl* target = Reachable(control, {ControlKind::kSlider});
  if (!target) return false;
  const int before = target->Value();
  target->SetValue(value);
  if (target->Value() != before) target->Raise(kNotifyValueChanged, target->Value());
  return true;
}

template <>
bool HeadlessUserInput::Type(Control& control, std::string_view text) {
  HeadlessControl* target = Reachable(control, {ControlKind::kEdit});
  if (!target) return false;
  target->SetText(text);
  target->Raise(kNotifyTextChanged);
  return true;
}

template <>
bool HeadlessUserInput::PressReturn(Control& control) {
  HeadlessControl* target = Reachable(control, {ControlKind::kEdit});
  if (!target) return false;
  target->Raise(kNotifyReturn);
  return true;
}

template <>
bool HeadlessUserInput::Focus(Control& control) {
  HeadlessControl* target = Reachable(control, {ControlKind::kEdit});
  if (!target) return false;
  target->window().MoveFocus(target, true);
  return true;
}

template <>
bool HeadlessUserInput::Hover(Control& control, bool inside) {
  auto* target = dynamic_cast<HeadlessControl*>(&control);
  if (!target || !target->IsReachable()) return false;
  target->Raise(inside ? kNotifyMouseEnter : kNotifyMouseLeave);
  return true;
}

template <>
bool HeadlessUserInput::PickColour(Control& control, uint32_t argb, bool button_up) {
  HeadlessControl* target = Reachable(control, {ControlKind::kColorPalette});
  if (!target) return false;
  target->SetSelectedColour(argb);
  target->Raise(button_up ? kNotifyColorChangedButtonUp : kNotifyColorChanged);
  return true;
}

template <>
bool HeadlessUserInput::CloseWindow(Window& window) {
  if (!window.IsCreated()) return false;
  window.Close(0);
  return true;
}

template <>
bool HeadlessUserInput::ClickTrayIcon(TrayIcon& icon, bool right_button) {
  auto* tray = dynamic_cast<HeadlessTrayIcon*>(&icon);
  if (!tray || !tray->IsAvailable()) return false;
  tray->Click(right_button);
  return true;
}

}  // namespace vexel::toolkit
