// Notifications: what a control tells its window when the user acts on it.
// Controllers dispatch on the type string, exactly as the skin's windows expect.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vexel::toolkit {

class Control;

// Type strings. One user action raises exactly one notification.
inline constexpr std::string_view kNotifyClick = "click";                  // button pressed
inline constexpr std::string_view kNotifySelectChanged = "selectchanged";  // option became selected
inline constexpr std::string_view kNotifyItemSelect = "itemselect";        // list/combo selection
inline constexpr std::string_view kNotifyCheckClick = "checkclick";        // check box toggled
inline constexpr std::string_view kNotifyValueChanged = "valuechanged";    // slider moved
inline constexpr std::string_view kNotifyKillFocus = "killfocus";
inline constexpr std::string_view kNotifySetFocus = "setfocus";
inline constexpr std::string_view kNotifyReturn = "return";            // Enter in an edit
inline constexpr std::string_view kNotifyTextChanged = "textchanged";  // edit typed into
inline constexpr std::string_view kNotifyMouseEnter = "mouseenter";
inline constexpr std::string_view kNotifyMouseLeave = "mouseleave";
inline constexpr std::string_view kNotifyTimer = "timer";                // control-bound timer
inline constexpr std::string_view kNotifyColorChanged = "colorchanged";  // palette dragged
inline constexpr std::string_view kNotifyColorChangedButtonUp = "colorchangedbuttonup";

struct Notification {
  std::string type;            // one of the kNotify* strings
  Control* sender = nullptr;   // never null when delivered
  std::string virtual_window;  // "virtualwnd" of the sender's skin branch, or empty
  // "itemselect": new item index (-1 none). "timer": timer id.
  // "valuechanged": new value. "checkclick"/"selectchanged": 1 checked, 0 not.
  intptr_t wparam = 0;
  // "itemselect": previous item index.
  intptr_t lparam = 0;

  bool Is(std::string_view t) const { return type == t; }
  // Name of the sender (empty when none).
  std::string_view SenderName() const;
};

// Receives notifications: windows, and the pages registered inside a window as
// virtual windows (Window::AddVirtualWindow).
class NotificationSink {
 public:
  virtual ~NotificationSink() = default;
  virtual void Notify(const Notification& notification) = 0;
};

}  // namespace vexel::toolkit
