// What the hook posts for one captured X input event.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/keyboard_layout.h"

namespace vexel::hook {

struct HookMessage {
  uintptr_t wparam = 0;
  intptr_t lparam = 0;
  friend bool operator==(const HookMessage&, const HookMessage&) = default;
};

// The message of a press or release of X pointer button `button`, or none
// (unknown button, a wheel release, or the wheel while `wheel_enabled` is off).
std::optional<HookMessage> ButtonMessage(uint32_t button, bool pressed, bool wheel_enabled);

// The message of a press or release of the key at X keycode `keycode`, its
// virtual key read from `layout` now; none when the key has no virtual key.
std::optional<HookMessage> KeyMessage(const KeyboardLayout& layout, uint32_t keycode, bool pressed);

}  // namespace vexel::hook
