#include "hook_messages.h"

#include "messages/app_messages.h"
#include "platform/linux/evdev_virtual_key.h"

namespace vexel::hook {
namespace {

// X core pointer buttons as the devices report them.
enum XButton : uint32_t {
  kLeft = 1,
  kMiddle = 2,
  kRight = 3,
  kWheelUp = 4,
  kWheelDown = 5,
  kWheelLeft = 6,
  kWheelRight = 7,
  kBack = 8,
  kForward = 9,
};

// Side-button numbers in lparam: the forward button is the first.
constexpr intptr_t kForwardSideButton = 1;
constexpr intptr_t kBackSideButton = 2;

}  // namespace

std::optional<HookMessage> ButtonMessage(uint32_t button, bool pressed, bool wheel_enabled) {
  const auto updown = [pressed](uintptr_t down, uintptr_t up, intptr_t lparam = 0) {
    return HookMessage{pressed ? down : up, lparam};
  };
  switch (button) {
    case kLeft:
      return updown(kHookLeftButtonDown, kHookLeftButtonUp);
    case kRight:
      return updown(kHookRightButtonDown, kHookRightButtonUp);
    case kMiddle:
      return updown(kHookMiddleButtonDown, kHookMiddleButtonUp);
    case kForward:
      return updown(kHookSideButtonDown, kHookSideButtonUp, kForwardSideButton);
    case kBack:
      return updown(kHookSideButtonDown, kHookSideButtonUp, kBackSideButton);
    default:
      break;
  }
  // A wheel notch is a press and a release of one button: report the press.
  if (!pressed || !wheel_enabled) return std::nullopt;
  switch (button) {
    case kWheelUp:
      return HookMessage{kHookWheel, kWheelStep};
    case kWheelDown:
      return HookMessage{kHookWheel, -kWheelStep};
    case kWheelLeft:
      return HookMessage{kHookHorizontalWheel, -kWheelStep};
    case kWheelRight:
      return HookMessage{kHookHorizontalWheel, kWheelStep};
    default:
      return std::nullopt;
  }
}

std::optional<HookMessage> KeyMessage(const KeyboardLayout& layout, uint32_t keycode,
                                      bool pressed) {
  if (keycode < kXKeycodeOffset) return std::nullopt;
  const uint32_t virtual_key = VirtualKeyOfEvdevKey(layout, keycode - kXKeycodeOffset);
  if (virtual_key == 0) return std::nullopt;
  return HookMessage{virtual_key, pressed ? kKeyPressed : kKeyReleased};
}

}  // namespace vexel::hook
