// The X server path for real: a private Xvfb whose keymap the test may change
// without disturbing anything else running on the session's server, and the
// fallback when there is no server.
#include <gtest/gtest.h>
#include <xcb/xcb.h>
// xcb/xkb.h names a struct member "explicit", which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/linux/xkb_keyboard_layout.h"
#include "support/private_x_server.h"

namespace vexel {
namespace {

using vexel::testing::PrivateXServer;
using vexel::testing::RunToSuccess;

constexpr xcb_keycode_t kXkbKeycodeOfScanCode30 = 30 + 8;
constexpr xcb_keysym_t kKeysymM = 'm';
constexpr xcb_keysym_t kKeysymCapitalM = 'M';

// Makes the key at `keycode` type `lower` / `upper` through the core protocol,
// the way xmodmap does, and waits until the server has done it.
void RemapKey(const std::string& display, xcb_keycode_t keycode, xcb_keysym_t lower,
              xcb_keysym_t upper) {
  xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
  ASSERT_FALSE(xcb_connection_has_error(connection));
  const xcb_keysym_t keysyms[2] = {lower, upper};
  xcb_change_keyboard_mapping(connection, 1, keycode, 2, keysyms);
  free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
  xcb_disconnect(connection);
}

TEST(X11KeyboardLayoutTest, WithoutAServerThereIsNoLayoutAndTheSessionFallsBackToUs) {
  const char* saved = std::getenv("DISPLAY");
  const std::string saved_display = saved != nullptr ? saved : "";
  unsetenv("DISPLAY");
  EXPECT_EQ(XkbKeyboardLayout::FromXServer(":65000"), nullptr);
  const auto layout = XkbKeyboardLayout::ForThisSession();
  if (!saved_display.empty()) setenv("DISPLAY", saved_display.c_str(), 1);
  ASSERT_NE(layout, nullptr);
  EXPECT_EQ(layout->ScanCodeFromVirtualKey('A'), 30u);
  EXPECT_EQ(layout->CharactersFromVirtualKey(186), ";");
}

// Keyboard changes on a server of the test's own.
class PrivateServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (server_.display().empty()) GTEST_SKIP() << "Xvfb could not be started";
    layout_ = XkbKeyboardLayout::FromXServer(server_.display().c_str());
    ASSERT_NE(layout_, nullptr);
  }

  bool SetLayouts(const std::string& layouts) {
    return RunToSuccess({"setxkbmap", "-display", server_.display(), "-layout", layouts});
  }

  // Locks the server's keyboard to layout `index`, as a layout switch key does.
  void LockLayout(uint8_t index) {
    xcb_connection_t* connection = xcb_connect(server_.display().c_str(), nullptr);
    ASSERT_FALSE(xcb_connection_has_error(connection));
    free(xcb_xkb_use_extension_reply(connection, xcb_xkb_use_extension(connection, 1, 0), nullptr));
    xcb_xkb_latch_lock_state(connection, XCB_XKB_ID_USE_CORE_KBD, 0, 0, 1, index, 0, 0, 0);
    free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    xcb_disconnect(connection);
  }

  PrivateXServer server_;
  std::unique_ptr<XkbKeyboardLayout> layout_;
};

// One layout object follows every change at the next question: a key remapped
// through the core protocol, a new keymap, the locked layout of several.
TEST_F(PrivateServerTest, FollowsTheServersKeyboardAtTheNextQuestion) {
  ASSERT_EQ(layout_->VirtualKeyFromScanCode(30), static_cast<uint32_t>('A'));
  // The US A key now types m: it takes 'M', and the US M key, which lost 'M',
  // takes the 'A' that the A key left behind.
  RemapKey(server_.display(), kXkbKeycodeOfScanCode30, kKeysymM, kKeysymCapitalM);
  EXPECT_EQ(layout_->VirtualKeyFromScanCode(30), static_cast<uint32_t>('M'));
  EXPECT_EQ(layout_->ScanCodeFromVirtualKey('A'), 50u);
  EXPECT_EQ(layout_->CharactersFromVirtualKey('M'), "m");

  ASSERT_TRUE(SetLayouts("fr"));
  EXPECT_EQ(layout_->VirtualKeyFromScanCode(16), static_cast<uint32_t>('A'));
  EXPECT_EQ(layout_->ScanCodeFromVirtualKey('Q'), 30u);

  ASSERT_TRUE(SetLayouts("us,ru"));
  EXPECT_EQ(layout_->CharactersFromVirtualKey('Q'), "q");
  LockLayout(1);
  EXPECT_EQ(layout_->CharactersFromVirtualKey('Q'), "\u0439");
  EXPECT_EQ(layout_->VirtualKeyFromScanCode(16), static_cast<uint32_t>('Q'));
  LockLayout(0);
  EXPECT_EQ(layout_->CharactersFromVirtualKey('Q'), "q");
}

}  // namespace
}  // namespace vexel
