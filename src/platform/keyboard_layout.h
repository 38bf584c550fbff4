// The keyboard layout in force, asked the three questions that key naming needs.
// Keys are identified the way the stored data and the hook events identify them:
// Windows virtual-key codes and set-1 scan codes. Set-1 scan codes 1-88 are the
// same numbers as Linux evdev key codes.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace vexel {

class KeyboardLayout {
 public:
  virtual ~KeyboardLayout() = default;

  // Each question reads the layout at the moment of the call, so a layout
  // switch shows at once; implementations keep no answer between calls.

  // Set-1 scan code of the key that carries `virtual_key` in this layout; 0 when
  // no key does.
  virtual uint32_t ScanCodeFromVirtualKey(uint32_t virtual_key) const = 0;
  // Virtual key of the key at `scan_code` in this layout, left and right
  // modifiers told apart; 0 when the key has none.
  virtual uint32_t VirtualKeyFromScanCode(uint32_t scan_code) const = 0;
  // UTF-8 characters the key of `virtual_key` types with no modifier held and no
  // lock on; a dead key gives its spacing accent; empty when it types nothing.
  virtual std::string CharactersFromVirtualKey(uint32_t virtual_key) const = 0;
};

// Highest set-1 scan code without an 0xE0 prefix that a layout question covers.
inline constexpr uint32_t kLastPlainScanCode = 88;

// The virtual key that the key at each plain set-1 scan code carries on a US
// keyboard, which is also what every layout gives a key it does not move
// (0: no key there). Left-hand modifiers and keypad digits as with Num Lock on.
inline constexpr std::array<uint8_t, kLastPlainScanCode + 1> kUsVirtualKeyOfScanCode = {
    0,                                                 // 0
    27,                                                // 1 Esc
    '1', '2', '3', '4', '5', '6', '7', '8', '9', '0',  // 2-11
    189, 187, 8,   9,                                  // 12-15 - = BackSpace Tab
    'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'I', 'O', 'P',  // 16-25
    219, 221, 13,  162,                                // 26-29 [ ] Enter LCtrl
    'A', 'S', 'D', 'F', 'G', 'H', 'J', 'K', 'L',       // 30-38
    186, 222, 192, 160, 220,                           // 39-43 ; ' ` LShift backslash
    'Z', 'X', 'C', 'V', 'B', 'N', 'M',                 // 44-50
    188, 190, 191, 161, 106, 164, 32,  20,             // 51-58 , . / RShift Num* LAlt Space Caps
    112, 113, 114, 115, 116, 117, 118, 119, 120, 121,  // 59-68 F1-F10
    144, 145,                                          // 69-70 Num Lock, Scroll Lock
    103, 104, 105, 109, 100, 101, 102,                 // 71-77 keypad 7 8 9 - 4 5 6
    107, 97,  98,  99,  96,  110,                      // 78-83 keypad + 1 2 3 0 .
    0,   0,   226, 122, 123,                           // 84-88 - - <> F11 F12
};

inline uint32_t UsVirtualKeyOfScanCode(uint32_t scan_code) {
  return scan_code <= kLastPlainScanCode ? kUsVirtualKeyOfScanCode[scan_code] : 0;
}

}  // namespace vexel
