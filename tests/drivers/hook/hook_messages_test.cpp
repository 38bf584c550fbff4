// What the hook posts for each X event: buttons by number, keys through the
// keyboard layout for the plain keys and the fixed table above them.
#include "hook_messages.h"

#include <gtest/gtest.h>

#include <optional>

#include "platform/fake_keyboard_layout.h"

namespace vexel::hook {
namespace {

constexpr uint32_t kXOffset = 8;  // X keycode = evdev code + 8

struct ButtonCase {
  uint32_t button;
  bool pressed;
  bool wheel_enabled;
  std::optional<HookMessage> expected;
};

TEST(HookMessagesTest, ButtonsBecomeTheirMessages) {
  const ButtonCase cases[] = {
      {1, true, false, HookMessage{513, 0}},
      {1, false, false, HookMessage{514, 0}},
      {3, true, false, HookMessage{516, 0}},
      {3, false, false, HookMessage{517, 0}},
      {2, true, false, HookMessage{519, 0}},
      {2, false, false, HookMessage{520, 0}},
      // Forward (9) is side button 1, back (8) side button 2.
      {9, true, false, HookMessage{523, 1}},
      {9, false, false, HookMessage{524, 1}},
      {8, true, false, HookMessage{523, 2}},
      {8, false, false, HookMessage{524, 2}},
      {4, true, true, HookMessage{522, 120}},
      {5, true, true, HookMessage{522, -120}},
      {6, true, true, HookMessage{526, -120}},
      {7, true, true, HookMessage{526, 120}},
      {4, true, false, std::nullopt},
      {5, false, true, std::nullopt},
      {10, true, true, std::nullopt},
      {0, true, true, std::nullopt},
  };
  for (const ButtonCase& c : cases) {
    EXPECT_EQ(ButtonMessage(c.button, c.pressed, c.wheel_enabled), c.expected)
        << "button " << c.button << " pressed " << c.pressed << " wheel " << c.wheel_enabled;
  }
}

struct KeyCase {
  uint32_t evdev_code;
  uint32_t virtual_key;  // 0: no message
};

TEST(HookMessagesTest, KeysBecomeVirtualKeysOfTheLayout) {
  FakeKeyboardLayout layout;
  const KeyCase cases[] = {
      {30, 'A'}, {8, '7'},   {42, 160}, {54, 161},  {29, 162}, {56, 164}, {1, 27},   {28, 13},
      {97, 163}, {100, 165}, {103, 38}, {105, 37},  {106, 39}, {108, 40}, {102, 36}, {110, 45},
      {96, 108}, {98, 111},  {125, 91}, {113, 173}, {84, 0},   {120, 0},  {255, 0},
  };
  for (const KeyCase& c : cases) {
    const auto expected = [&c](intptr_t lparam) -> std::optional<HookMessage> {
      if (c.virtual_key == 0) return std::nullopt;
      return HookMessage{c.virtual_key, lparam};
    };
    EXPECT_EQ(KeyMessage(layout, c.evdev_code + kXOffset, true), expected(0)) << c.evdev_code;
    EXPECT_EQ(KeyMessage(layout, c.evdev_code + kXOffset, false), expected(1)) << c.evdev_code;
  }
  EXPECT_FALSE(KeyMessage(layout, 3, true).has_value());  // below the X keycode range
  layout.SetKey(16, 'A', "a");                            // the US Q position types a, as on AZERTY
  EXPECT_EQ(KeyMessage(layout, 16 + kXOffset, true), (HookMessage{'A', 0}));
}

}  // namespace
}  // namespace vexel::hook
