// A keyboard layout for tests: starts as a US keyboard and lets a test move
// virtual keys and characters between keys. Not thread-safe.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "platform/keyboard_layout.h"

namespace vexel {

class FakeKeyboardLayout final : public KeyboardLayout {
 public:
  struct Key {
    uint32_t virtual_key = 0;
    std::string characters;
  };

  FakeKeyboardLayout() {
    for (uint32_t scan = 1; scan <= kLastPlainScanCode; ++scan) {
      if (UsVirtualKeyOfScanCode(scan) != 0) keys_[scan].virtual_key = UsVirtualKeyOfScanCode(scan);
    }
    // Unshifted characters of the US rows, each string starting at its scan code.
    const auto type_row = [this](uint32_t first_scan, std::string_view characters) {
      for (char c : characters) keys_[first_scan++].characters = std::string(1, c);
    };
    type_row(2, "1234567890-=");
    type_row(16, "qwertyuiop[]");
    type_row(30, "asdfghjkl;'`");
    type_row(43, "\\zxcvbnm,./");
    type_row(57, " ");
  }

  // Replaces what the key at `scan_code` carries; virtual key 0 removes it.
  void SetKey(uint32_t scan_code, uint32_t virtual_key, std::string characters) {
    keys_[scan_code] = Key{virtual_key, std::move(characters)};
  }

  uint32_t ScanCodeFromVirtualKey(uint32_t virtual_key) const override {
    if (virtual_key == 0) return 0;
    for (const auto& [scan, key] : keys_) {
      if (key.virtual_key == virtual_key) return scan;
    }
    return 0;
  }

  uint32_t VirtualKeyFromScanCode(uint32_t scan_code) const override {
    const auto found = keys_.find(scan_code);
    return found == keys_.end() ? 0 : found->second.virtual_key;
  }

  std::string CharactersFromVirtualKey(uint32_t virtual_key) const override {
    const uint32_t scan = ScanCodeFromVirtualKey(virtual_key);
    return scan == 0 ? std::string() : keys_.at(scan).characters;
  }

 private:
  std::map<uint32_t, Key> keys_;
};

}  // namespace vexel
