// The keyboard layout through xkbcommon: either the X server's keyboard
// (xkbcommon-x11) or a keymap compiled from layout names.
#pragma once

#include <memory>
#include <string>

#include "platform/keyboard_layout.h"

namespace vexel {

class XkbKeyboardLayout final : public KeyboardLayout {
 public:
  // A fixed keymap from names (rules "evdev", model "pc105"; the environment's
  // XKB_DEFAULT_* are ignored so a named keymap is the same everywhere); its
  // first layout is the one in force. nullptr when xkbcommon cannot compile it
  // (an unknown layout name, say).
  static std::unique_ptr<XkbKeyboardLayout> FromNames(const std::string& layout = "us",
                                                      const std::string& variant = {},
                                                      const std::string& options = {});
  // The X server's core keyboard and its locked layout, followed as they change.
  // nullptr when the display cannot be opened or has no XKB extension.
  // `display_name` null means $DISPLAY.
  static std::unique_ptr<XkbKeyboardLayout> FromXServer(const char* display_name = nullptr);
  // The X server's keyboard when there is a display, else the "us" keymap.
  static std::unique_ptr<KeyboardLayout> ForThisSession();

  ~XkbKeyboardLayout() override;

  // Thread-safe.
  uint32_t ScanCodeFromVirtualKey(uint32_t virtual_key) const override;
  uint32_t VirtualKeyFromScanCode(uint32_t scan_code) const override;
  std::string CharactersFromVirtualKey(uint32_t virtual_key) const override;

 private:
  struct Impl;
  explicit XkbKeyboardLayout(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace vexel
