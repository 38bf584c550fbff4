// The Windows virtual key of a Linux key code (evdev; X keycodes are evdev
// codes plus 8), the way the program names and stores keys: the keyboard
// layout decides for the plain keys, whose evdev codes are their set-1 scan
// codes; the keys above them (arrows, the editing block, right-hand
// modifiers, keypad Enter and /, media keys, ...) carry the same virtual key
// on every layout.
#pragma once

#include <cstdint>

#include "platform/keyboard_layout.h"

namespace vexel {

// X keycodes are evdev key codes plus this offset.
inline constexpr uint32_t kXKeycodeOffset = 8;

// 0 when the key has no virtual key.
uint32_t VirtualKeyOfEvdevKey(const KeyboardLayout& layout, uint32_t evdev_code);

}  // namespace vexel
