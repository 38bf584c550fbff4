// A connection of its own to the X display with raw key and pointer-button
// events of all master devices selected on the root window. Used by one
// thread at a time; closing it drops the selection.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/keyboard_layout.h"

namespace vexel::hook {

struct RawInput {
  enum class Kind { kKeyPress, kKeyRelease, kButtonPress, kButtonRelease };
  Kind kind;
  uint32_t detail;  // X keycode or pointer button
};

class XInputCapture {
 public:
  // The display named by $DISPLAY; nullptr when it cannot be opened or has no
  // XInput 2. The selection is in force on the server when this returns.
  static std::unique_ptr<XInputCapture> Open();
  ~XInputCapture();

  XInputCapture(const XInputCapture&) = delete;
  XInputCapture& operator=(const XInputCapture&) = delete;

  // Becomes readable when events arrive.
  int fd() const;
  // Hands every event that has arrived to `on_input`, without blocking. false
  // once the connection is lost.
  bool Drain(const std::function<void(const RawInput&)>& on_input);
  // The display's keyboard layout, read anew at each question.
  const KeyboardLayout& layout() const { return *layout_; }

 private:
  struct Impl;
  explicit XInputCapture(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
  std::unique_ptr<KeyboardLayout> layout_;
};

}  // namespace vexel::hook
