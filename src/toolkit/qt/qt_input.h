// UserInput of the Qt toolkit: acts through the widgets (clicks, current
// rows, edits), so the notifications come from the same signals a person's
// input raises.
#pragma once

#include "toolkit/user_input.h"

namespace vexel::toolkit::qt {

class QtToolkit;

class QtUserInput final : public UserInput {
 public:
  explicit QtUserInput(QtToolkit& toolkit) : toolkit_(toolkit) {}

  bool Click(Control& control) override;
  bool ChooseItem(Control& control, int index) override;
  bool MoveSlider(Control& control, int value) override;
  bool Type(Control& control, std::string_view text) override;
  bool PressReturn(Control& control) override;
  bool Focus(Control& control) override;
  bool Hover(Control& control, bool inside) override;
  bool PickColour(Control& control, uint32_t argb, bool button_up) override;
  bool CloseWindow(Window& window) override;
  bool ClickTrayIcon(TrayIcon& icon, bool right_button) override;

 private:
  QtToolkit& toolkit_;
};

}  // namespace vexel::toolkit::qt
