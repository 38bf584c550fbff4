// What the hook posts for each X event: buttons by number, keys through the
// keyboard layout for the plain keys and the fixed table above them.
#include "hook_messages.h"

#include <gtest/gtest.h>

#include <optional>

#include "platform/fake_keyboard_layout.h"

namespace vexel::hook {
namespace {

constexpr uint32_t kXOffset = 8;  // X keycode = evdev code + 8

TEST(HookMessagesTest, ButtonsBecomeTheirMessages) {
  // Forward (9) is side button 1, back (8) side button 2; wparam 0: no message.
  const struct {
    uint32_t button;
    bool pressed, wheel_enabled;
    uint32_t wparam;
    intptr_t lparam;
  } cases[] = {{1, true, false, 513, 0},   {1, false, false, 514, 0}, {3, true, false, 516, 0},
               {3, false, false, 517, 0},  {2, true, false, 519, 0},  {2, false, false, 520, 0},
               {9, true, false, 523, 1},   {9, false, false, 524, 1}, {8, true, false, 523, 2},
               {8, false, false, 524, 2},  {4, true, true, 522, 120}, {5, true, true, 522, -120},
               {6, true, true, 526, -120}, {7, true, true, 526, 120}, {4, true, false, 0, 0},
               {5, false, true, 0, 0},     {10, true, true, 0, 0},    {0, true, true, 0, 0}};
  for (const auto& c : cases) {
    const auto expected = c.wparam ? std::optional(HookMessage{c.wparam, c.lparam}) : std::nullopt;
    EXPECT_EQ(ButtonMessage(c.button, c.pressed, c.wheel_enabled), expected)
        << "button " << c.button << " pressed " << c.pressed << " wheel " << c.wheel_enabled;
  }
}

TEST(HookMessagesTest, KeysBecomeVirtualKeysOfTheLayout) {
  FakeKeyboardLayout layout;
  const struct {
    uint32_t evdev_code;
    uint32_t virtual_key;  // 0: no message
  } cases[] = {
      {30, 'A'}, {8, '7'},   {42, 160}, {54, 161},  {29, 162}, {56, 164}, {1, 27},   {28, 13},
      {97, 163}, {100, 165}, {103, 38}, {105, 37},  {106, 39}, {108, 40}, {102, 36}, {110, 45},
      {96, 108}, {98, 111},  {125, 91}, {113, 173}, {84, 0},   {120, 0},  {255, 0},
  };
  for (const auto& c : cases) {
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
