#include "platform/linux/evdev_virtual_key.h"

#include <algorithm>
#include <array>

namespace vexel {
namespace {

struct FixedKey {
  uint16_t evdev_code;
  uint8_t virtual_key;
};

// Keys no layout moves. Keypad Enter takes 108, the code under which the
// program's key table names and stores it ("key_Num_Enter"); on Windows it
// would share 13 with the main Enter key and be stored as that.
constexpr auto kFixedKeys = std::to_array<FixedKey>({
    {96, 108},   // keypad Enter
    {97, 163},   // right Ctrl
    {98, 111},   // keypad /
    {99, 44},    // Print Screen / SysRq
    {100, 165},  // right Alt (AltGr)
    {102, 36},   // Home
    {103, 38},   // Up
    {104, 33},   // Page Up
    {105, 37},   // Left
    {106, 39},   // Right
    {107, 35},   // End
    {108, 40},   // Down
    {109, 34},   // Page Down
    {110, 45},   // Insert
    {111, 46},   // Delete
    {113, 173},  // Mute
    {114, 174},  // Volume Down
    {115, 175},  // Volume Up
    {119, 19},   // Pause
    {125, 91},   // left Win
    {126, 92},   // right Win
    {127, 93},   // Menu
    {142, 95},   // Sleep
    {155, 180},  // Mail
    {156, 171},  // Bookmarks (browser favourites)
    {158, 166},  // browser Back
    {159, 167},  // browser Forward
    {163, 176},  // Next Track
    {164, 179},  // Play/Pause
    {165, 177},  // Previous Track
    {166, 178},  // Stop
    {172, 172},  // browser Home
    {173, 168},  // browser Refresh
    {183, 124},  // F13
    {184, 125},  // F14
    {185, 126},  // F15
    {186, 127},  // F16
    {187, 128},  // F17
    {188, 129},  // F18
    {189, 130},  // F19
    {190, 131},  // F20
    {191, 132},  // F21
    {192, 133},  // F22
    {193, 134},  // F23
    {194, 135},  // F24
    {217, 170},  // browser Search
});
static_assert(std::is_sorted(kFixedKeys.begin(), kFixedKeys.end(),
                             [](FixedKey a, FixedKey b) { return a.evdev_code < b.evdev_code; }));
static_assert(kFixedKeys.front().evdev_code > kLastPlainScanCode);

}  // namespace

uint32_t VirtualKeyOfEvdevKey(const KeyboardLayout& layout, uint32_t evdev_code) {
  if (evdev_code == 0) return 0;
  if (evdev_code <= kLastPlainScanCode) return layout.VirtualKeyFromScanCode(evdev_code);
  const auto found =
      std::lower_bound(kFixedKeys.begin(), kFixedKeys.end(), evdev_code,
                       [](FixedKey key, uint32_t code) { return key.evdev_code < code; });
  return found != kFixedKeys.end() && found->evdev_code == evdev_code ? found->virtual_key : 0;
}

}  // namespace vexel
