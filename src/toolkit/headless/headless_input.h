// UserInput of the headless toolkit.
#pragma once

#include "toolkit/user_input.h"

namespace vexel::toolkit::headless {

class HeadlessToolkit;

class HeadlessUserInput final : public UserInput {
 public:
  explicit HeadlessUserInput(HeadlessToolkit& toolkit) : toolkit_(toolkit) {}

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
  HeadlessToolkit& toolkit_;
};

}  // namespace vexel::toolkit::headless
