// Acts on controls the way a user does, so that tests (and scripted modal
// answers) drive windows through the same notifications a person would raise.
// Each call returns false, raising nothing, when a user could not do it: the
// control is hidden, disabled or of another kind.
#pragma once

#include <cstdint>
#include <string_view>

namespace vexel::toolkit {

class Control;
class TrayIcon;
class Window;

class UserInput {
 public:
  virtual ~UserInput() = default;
  // Button: "click". Option: selects it, "selectchanged" (none when it already
  // was). Check box: toggles it, "checkclick".
  virtual bool Click(Control& control) = 0;
  // List or combo: selects the item, "itemselect".
  virtual bool ChooseItem(Control& control, int index) = 0;
  // Slider: moves it, "valuechanged" when the value changes.
  virtual bool MoveSlider(Control& control, int value) = 0;
  // Edit: replaces its text as a paste does (caret at the end), "textchanged".
  virtual bool Type(Control& control, std::string_view text) = 0;
  // Edit: Enter, "return".
  virtual bool PressReturn(Control& control) = 0;
  // Focus moves to the edit: "killfocus" from the edit that had it, then
  // "setfocus". Only edits report focus.
  virtual bool Focus(Control& control) = 0;
  // Pointer enters or leaves: "mouseenter" / "mouseleave".
  virtual bool Hover(Control& control, bool inside) = 0;
  // Colour palette: picks the colour, "colorchanged" (dragging) or
  // "colorchangedbuttonup" (released).
  virtual bool PickColour(Control& control, uint32_t argb, bool button_up) = 0;
  // The window manager's close (title bar, Alt+F4): closes with code 0.
  virtual bool CloseWindow(Window& window) = 0;
  virtual bool ClickTrayIcon(TrayIcon& icon, bool right_button) = 0;
};

// The UserInput of one toolkit implementation: each implementation defines
// these members for its own toolkit class (headless_input.cpp, qt_input.cpp).
template <class ToolkitImpl>
class ToolkitUserInput final : public UserInput {
 public:
  explicit ToolkitUserInput(ToolkitImpl& toolkit) : toolkit_(toolkit) {}

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
  ToolkitImpl& toolkit_;
};

}  // namespace vexel::toolkit
