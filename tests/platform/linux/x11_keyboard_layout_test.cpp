// The X server path for real: the session's server when there is a display,
// and a private Xvfb whose keymap the test may change without disturbing
// anything else running on the session's server.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
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

extern char** environ;

namespace vexel {
namespace {

constexpr int kServerStartTimeoutMs = 20000;
constexpr xcb_keycode_t kXkbKeycodeOfScanCode30 = 30 + 8;
constexpr xcb_keysym_t kKeysymM = 'm';
constexpr xcb_keysym_t kKeysymCapitalM = 'M';

pid_t Spawn(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  return posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 ? pid : -1;
}

bool RunToSuccess(std::vector<std::string> args) {
  const pid_t pid = Spawn(std::move(args));
  int status = 0;
  return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

// Xvfb on a display number it picks itself (-displayfd), stopped at the end.
class PrivateXServer {
 public:
  PrivateXServer() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return;
    const int write_fd = fcntl(fds[1], F_DUPFD, 3);  // a copy without O_CLOEXEC for Xvfb
    close(fds[1]);
    pid_ = Spawn({"Xvfb", "-displayfd", std::to_string(write_fd), "-nolisten", "tcp", "-screen",
                  "0", "320x200x24"});
    close(write_fd);
    std::string number;
    pollfd readable{fds[0], POLLIN, 0};
    char c = 0;
    while (pid_ > 0 && poll(&readable, 1, kServerStartTimeoutMs) == 1 && read(fds[0], &c, 1) == 1 &&
           c != '\n') {
      number += c;
    }
    close(fds[0]);
    if (!number.empty()) display_ = ":" + number;
  }

  ~PrivateXServer() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }

  // Empty when the server did not come up.
  const std::string& display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

bool HasSessionDisplay() {
  const char* display = std::getenv("DISPLAY");
  return display != nullptr && *display != '\0';
}

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

TEST(X11KeyboardLayoutTest, ReadsTheSessionServersKeyboard) {
  if (!HasSessionDisplay()) GTEST_SKIP() << "DISPLAY is not set";
  const auto server = XkbKeyboardLayout::FromXServer();
  ASSERT_NE(server, nullptr);
  // Whatever the session's layout, Esc, Enter and the digit row do not move,
  // and each key's virtual key leads back to it.
  EXPECT_EQ(server->VirtualKeyFromScanCode(1), 27u);
  EXPECT_EQ(server->VirtualKeyFromScanCode(28), 13u);
  EXPECT_EQ(server->VirtualKeyFromScanCode(2), static_cast<uint32_t>('1'));
  const uint32_t key_a = server->ScanCodeFromVirtualKey('A');
  ASSERT_NE(key_a, 0u);
  EXPECT_EQ(server->VirtualKeyFromScanCode(key_a), static_cast<uint32_t>('A'));
  EXPECT_EQ(server->CharactersFromVirtualKey('A'), "a");
}

TEST(X11KeyboardLayoutTest, SessionLayoutFallsBackToUsWithoutDisplay) {
  const char* saved = std::getenv("DISPLAY");
  const std::string saved_display = saved != nullptr ? saved : "";
  unsetenv("DISPLAY");
  const auto layout = XkbKeyboardLayout::ForThisSession();
  if (!saved_display.empty()) setenv("DISPLAY", saved_display.c_str(), 1);
  ASSERT_NE(layout, nullptr);
  EXPECT_EQ(layout->ScanCodeFromVirtualKey('A'), 30u);
  EXPECT_EQ(layout->CharactersFromVirtualKey(186), ";");
}

// Keyboard changes on a server of the test's own.
class PrivateServerTest : public testing::Test {
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

TEST_F(PrivateServerTest, FollowsAKeyRemappedThroughTheCoreProtocol) {
  ASSERT_EQ(layout_->VirtualKeyFromScanCode(30), static_cast<uint32_t>('A'));
  // The US A key now types m: it takes 'M', and the US M key, which lost 'M',
  // takes the 'A' that the A key left behind.
  RemapKey(server_.display(), kXkbKeycodeOfScanCode30, kKeysymM, kKeysymCapitalM);
  EXPECT_EQ(layout_->VirtualKeyFromScanCode(30), static_cast<uint32_t>('M'));
  EXPECT_EQ(layout_->ScanCodeFromVirtualKey('A'), 50u);
  EXPECT_EQ(layout_->CharactersFromVirtualKey('M'), "m");
}

TEST_F(PrivateServerTest, FollowsANewKeymapAtTheNextQuestion) {
  ASSERT_EQ(layout_->VirtualKeyFromScanCode(16), static_cast<uint32_t>('Q'));
  ASSERT_TRUE(SetLayouts("fr"));
  EXPECT_EQ(layout_->VirtualKeyFromScanCode(16), static_cast<uint32_t>('A'));
  EXPECT_EQ(layout_->ScanCodeFromVirtualKey('Q'), 30u);
}

TEST_F(PrivateServerTest, AnswersForTheLockedLayout) {
  ASSERT_TRUE(SetLayouts("us,ru"));
  EXPECT_EQ(layout_->CharactersFromVirtualKey('Q'), "q");
  LockLayout(1);
  EXPECT_EQ(layout_->CharactersFromVirtualKey('Q'), "\u0439");
  EXPECT_EQ(layout_->VirtualKeyFromScanCode(16), static_cast<uint32_t>('Q'));
  LockLayout(0);
  EXPECT_EQ(layout_->CharactersFromVirtualKey('Q'), "q");
}

TEST(X11KeyboardLayoutTest, UnreachableDisplayGivesNoLayout) {
  EXPECT_EQ(XkbKeyboardLayout::FromXServer(":65000"), nullptr);
}

}  // namespace
}  // namespace vexel
