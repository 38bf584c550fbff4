#include "platform/linux/xkb_keyboard_layout.h"

#include <xcb/xcb.h>
// xcb/xkb.h names a struct member "explicit", which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <array>
#include <cstdlib>
#include <mutex>
#include <utility>

namespace vexel {
namespace {

// xkb keycodes are evdev key codes plus 8; plain set-1 scan codes equal evdev codes.
constexpr xkb_keycode_t kEvdevOffset = 8;
constexpr uint32_t kDigitRowFirst = 2;
constexpr uint32_t kDigitRowLast = 11;

template <typename T, void (*Free)(T*)>
struct Deleter {
  void operator()(T* pointer) const { Free(pointer); }
};
using ContextPtr = std::unique_ptr<xkb_context, Deleter<xkb_context, xkb_context_unref>>;
using KeymapPtr = std::unique_ptr<xkb_keymap, Deleter<xkb_keymap, xkb_keymap_unref>>;
using StatePtr = std::unique_ptr<xkb_state, Deleter<xkb_state, xkb_state_unref>>;
using ConnectionPtr = std::unique_ptr<xcb_connection_t, Deleter<xcb_connection_t, xcb_disconnect>>;

struct FreeDeleter {
  void operator()(void* pointer) const { std::free(pointer); }
};

ContextPtr NewContext() {
  return ContextPtr(xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES));
}

// What a dead key types on its own: its spacing accent, as Windows reports it.
std::string SpacingAccentOfDeadKey(xkb_keysym_t keysym) {
  switch (keysym) {
    case XKB_KEY_dead_grave:
      return "`";
    case XKB_KEY_dead_acute:
      return "\u00B4";
    case XKB_KEY_dead_circumflex:
      return "^";
    case XKB_KEY_dead_tilde:
      return "~";
    case XKB_KEY_dead_macron:
      return "\u00AF";
    case XKB_KEY_dead_breve:
      return "\u02D8";
    case XKB_KEY_dead_abovedot:
      return "\u02D9";
    case XKB_KEY_dead_diaeresis:
      return "\u00A8";
    case XKB_KEY_dead_abovering:
      return "\u02DA";
    case XKB_KEY_dead_doubleacute:
      return "\u02DD";
    case XKB_KEY_dead_caron:
      return "\u02C7";
    case XKB_KEY_dead_cedilla:
      return "\u00B8";
    case XKB_KEY_dead_ogonek:
      return "\u02DB";
    default:
      return {};
  }
}

// Virtual keys of one layout of one keymap, worked out the way Windows keyboard
// layouts assign them, in three groups:
//  1. The digit row (scan codes 2-11) keeps the digit keys '1'-'9', '0', whatever
//     it types (AZERTY types "&", "é", ... there and still reports the digits).
//  2. A key that types a Latin letter a-z with no modifier takes that letter's
//     virtual key, wherever it sits (AZERTY's A key is at the US Q position);
//     the first key in scan-code order wins if two type the same letter.
//  3. Every other key keeps its US positional virtual key. When a letter key of
//     group 2 already took that code (AZERTY's M moved to the US ";" key, so
//     the key at the US M position lost 'M'), the key takes the code the letter
//     key left behind, following the chain if that one was taken too.
// A layout without Latin letters (Cyrillic, Greek) thus stays fully positional.
class VirtualKeyMap {
 public:
  VirtualKeyMap(xkb_keymap* keymap, xkb_layout_index_t layout) : state_(xkb_state_new(keymap)) {
    if (!state_) return;
    xkb_state_update_mask(state_.get(), 0, 0, 0, 0, 0, layout);
    for (uint32_t scan = kDigitRowFirst; scan <= kDigitRowLast; ++scan) {
      Assign(scan, UsVirtualKeyOfScanCode(scan));
    }
    for (uint32_t scan = 1; scan <= kLastPlainScanCode; ++scan) {
      const uint32_t letter = LatinLetterVirtualKey(scan);
      if (letter != 0 && scan_of_key_[letter] == 0 && key_of_scan_[scan] == 0) Assign(scan, letter);
    }
    std::array<bool, kLastPlainScanCode + 1> displaced{};
    for (uint32_t scan = 1; scan <= kLastPlainScanCode; ++scan) {
      const uint32_t positional = UsVirtualKeyOfScanCode(scan);
      if (key_of_scan_[scan] != 0 || positional == 0 || !HasKey(keymap, scan)) continue;
      if (scan_of_key_[positional] == 0) {
        Assign(scan, positional);
      } else {
        displaced[scan] = true;
      }
    }
    for (uint32_t scan = 1; scan <= kLastPlainScanCode; ++scan) {
      if (displaced[scan]) Assign(scan, LeftBehindBy(UsVirtualKeyOfScanCode(scan)));
    }
  }

  uint32_t ScanCode(uint32_t virtual_key) const {
    return virtual_key < scan_of_key_.size() ? scan_of_key_[virtual_key] : 0;
  }
  uint32_t VirtualKey(uint32_t scan_code) const {
    return scan_code <= kLastPlainScanCode ? key_of_scan_[scan_code] : 0;
  }

  std::string Characters(uint32_t virtual_key) const {
    const uint32_t scan = ScanCode(virtual_key);
    if (scan == 0 || !state_) return {};
    const xkb_keycode_t keycode = scan + kEvdevOffset;
    std::array<char, 64> buffer{};
    const int length = xkb_state_key_get_utf8(state_.get(), keycode, buffer.data(), buffer.size());
    if (length > 0 && static_cast<size_t>(length) < buffer.size()) {
      return std::string(buffer.data(), length);
    }
    return SpacingAccentOfDeadKey(xkb_state_key_get_one_sym(state_.get(), keycode));
  }

 private:
  static bool HasKey(xkb_keymap* keymap, uint32_t scan) {
    return xkb_keymap_num_layouts_for_key(keymap, scan + kEvdevOffset) > 0;
  }

  uint32_t LatinLetterVirtualKey(uint32_t scan) const {
    const xkb_keysym_t keysym = xkb_state_key_get_one_sym(state_.get(), scan + kEvdevOffset);
    if (keysym >= XKB_KEY_a && keysym <= XKB_KEY_z) return 'A' + (keysym - XKB_KEY_a);
    if (keysym >= XKB_KEY_A && keysym <= XKB_KEY_Z) return 'A' + (keysym - XKB_KEY_A);
    return 0;
  }

  // The code that the letter key now holding `virtual_key` left free, or 0.
  uint32_t LeftBehindBy(uint32_t virtual_key) const {
    for (uint32_t step = 0; step <= kLastPlainScanCode && virtual_key != 0; ++step) {
      if (scan_of_key_[virtual_key] == 0) return virtual_key;
      virtual_key = UsVirtualKeyOfScanCode(scan_of_key_[virtual_key]);
    }
    return 0;
  }

  void Assign(uint32_t scan, uint32_t virtual_key) {
    if (virtual_key == 0) return;
    key_of_scan_[scan] = virtual_key;
    scan_of_key_[virtual_key] = scan;
  }

  StatePtr state_;
  std::array<uint32_t, kLastPlainScanCode + 1> key_of_scan_{};
  std::array<uint32_t, 256> scan_of_key_{};
};

}  // namespace

// The keymap source plus the virtual-key map of its layout in force. For the X
// server, each question makes one round trip (XkbGetState) for the locked
// layout; the reply also flushes in the XKB NewKeyboardNotify / MapNotify and
// core MappingNotify events sent before it, and any of them makes the keymap be
// fetched again. So every answer reflects the server at the moment of the call
// while the costly keymap download happens only after a change.
struct XkbKeyboardLayout::Impl {
  ContextPtr context;
  KeymapPtr keymap;
  ConnectionPtr connection;  // null for a keymap from names
  int32_t device_id = -1;

  std::mutex mutex;
  std::unique_ptr<VirtualKeyMap> keys;
  xkb_layout_index_t keys_layout = 0;

  xkb_layout_index_t LockedLayoutOfServer() {
    const auto cookie = xcb_xkb_get_state(connection.get(), device_id);
    std::unique_ptr<xcb_xkb_get_state_reply_t, FreeDeleter> reply(
        xcb_xkb_get_state_reply(connection.get(), cookie, nullptr));
    return reply ? reply->lockedGroup : keys_layout;
  }

  bool ServerKeymapChanged() {
    bool changed = false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection.get())) {
      changed = true;  // only keyboard-change events are selected
      std::free(event);
    }
    return changed;
  }

  bool FetchServerKeymap() {
    KeymapPtr fresh(xkb_x11_keymap_new_from_device(context.get(), connection.get(), device_id,
                                                   XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!fresh) return false;
    keymap = std::move(fresh);
    return true;
  }

  // Caller holds `mutex`.
  const VirtualKeyMap& Current() {
    bool rebuild = !keys;
    xkb_layout_index_t layout = keys_layout;
    if (connection && !xcb_connection_has_error(connection.get())) {
      layout = LockedLayoutOfServer();
      if (ServerKeymapChanged() && FetchServerKeymap()) rebuild = true;
    }
    if (rebuild || layout != keys_layout) {
      keys = std::make_unique<VirtualKeyMap>(keymap.get(), layout);
      keys_layout = layout;
    }
    return *keys;
  }
};

XkbKeyboardLayout::XkbKeyboardLayout(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
XkbKeyboardLayout::~XkbKeyboardLayout() = default;

std::unique_ptr<XkbKeyboardLayout> XkbKeyboardLayout::FromNames(const std::string& layout,
                                                                const std::string& variant,
                                                                const std::string& options) {
  auto impl = std::make_unique<Impl>();
  impl->context = NewContext();
  if (!impl->context) return nullptr;
  const xkb_rule_names rule_names{"evdev", "pc105", layout.c_str(), variant.c_str(),
                                  options.c_str()};
  impl->keymap.reset(
      xkb_keymap_new_from_names(impl->context.get(), &rule_names, XKB_KEYMAP_COMPILE_NO_FLAGS));
  if (!impl->keymap) return nullptr;
  return std::unique_ptr<XkbKeyboardLayout>(new XkbKeyboardLayout(std::move(impl)));
}

std::unique_ptr<XkbKeyboardLayout> XkbKeyboardLayout::FromXServer(const char* display_name) {
  auto impl = std::make_unique<Impl>();
  impl->context = NewContext();
  impl->connection.reset(xcb_connect(display_name, nullptr));
  if (!impl->context || xcb_connection_has_error(impl->connection.get())) return nullptr;
  xcb_connection_t* connection = impl->connection.get();
  if (!xkb_x11_setup_xkb_extension(
          connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
          XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr)) {
    return nullptr;
  }
  impl->device_id = xkb_x11_get_core_keyboard_device_id(connection);
  if (impl->device_id < 0) return nullptr;
  // Select the changes before the first download, so none falls in between.
  constexpr uint16_t kEvents =
      XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY;
  constexpr uint16_t kMapParts =
      XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS | XCB_XKB_MAP_PART_MODIFIER_MAP |
      XCB_XKB_MAP_PART_EXPLICIT_COMPONENTS | XCB_XKB_MAP_PART_KEY_ACTIONS |
      XCB_XKB_MAP_PART_VIRTUAL_MODS | XCB_XKB_MAP_PART_VIRTUAL_MOD_MAP;
  xcb_generic_error_t* error = xcb_request_check(
      connection, xcb_xkb_select_events_checked(connection, impl->device_id, kEvents, 0, kEvents,
                                                kMapParts, kMapParts, nullptr));
  if (error != nullptr) {
    std::free(error);
    return nullptr;
  }
  if (!impl->FetchServerKeymap()) return nullptr;
  return std::unique_ptr<XkbKeyboardLayout>(new XkbKeyboardLayout(std::move(impl)));
}

std::unique_ptr<KeyboardLayout> XkbKeyboardLayout::ForThisSession() {
  const char* display = std::getenv("DISPLAY");
  if (display != nullptr && *display != '\0') {
    if (auto server = FromXServer()) return server;
  }
  return FromNames();
}

uint32_t XkbKeyboardLayout::ScanCodeFromVirtualKey(uint32_t virtual_key) const {
  std::lock_guard lock(impl_->mutex);
  return impl_->Current().ScanCode(virtual_key);
}

uint32_t XkbKeyboardLayout::VirtualKeyFromScanCode(uint32_t scan_code) const {
  std::lock_guard lock(impl_->mutex);
  return impl_->Current().VirtualKey(scan_code);
}

std::string XkbKeyboardLayout::CharactersFromVirtualKey(uint32_t virtual_key) const {
  std::lock_guard lock(impl_->mutex);
  return impl_->Current().Characters(virtual_key);
}

}  // namespace vexel
