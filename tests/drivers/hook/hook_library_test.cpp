// Hook.so for real: loaded the way the program loads it, on a private Xvfb,
// with keys and buttons injected through XTEST.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <vector>

#include "hiddriver/hiddriver.h"
#include "messages/app_messages.h"
#include "platform/hook_library.h"
#include "platform/linux/bluez/private_bus.h"
#include "platform/posix/dl_library_loader.h"
#include "support/private_x_server.h"

// Last: Xlib defines macros (None, Bool, ...) that clash with other headers.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace vexel::testing {
namespace {

using Posted = std::pair<uintptr_t, intptr_t>;  // wparam, lparam
const Posted kMarkDown{'B', 0}, kMarkUp{'B', 1};

// A window that records the hook messages posted to it, from any thread.
struct Recorder {
  bluez::Inbox<Posted> posted;
  // When set, the next post calls removehook on the posting thread.
  std::atomic<const HookEntries*> remove_in_next_post{nullptr};
  VexelPostTarget target{
      [](void* ctx, uint32_t message, uintptr_t wparam, intptr_t lparam) {
        auto* self = static_cast<Recorder*>(ctx);
        if (message == kMsgHookEvent) self->posted.Put({wparam, lparam});
        if (const HookEntries* hook = self->remove_in_next_post.exchange(nullptr))
          hook->removehook();
      },
      this};

  std::vector<Posted> WaitFor(size_t count) { return posted.WaitFor(count); }
};

// X keycodes: evdev codes + 8.
constexpr unsigned kKeyA = 38, kKeyLeftShift = 50, kKeyLeft = 113, kKeyUsY = 29, kKeyUsZ = 52,
                   kKeyB = 56;

class HookLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (server_.display().empty()) GTEST_SKIP() << "Xvfb could not be started";
    ::setenv("DISPLAY", server_.display().c_str(), 1);
    injector_ = XOpenDisplay(server_.display().c_str());
    ASSERT_NE(injector_, nullptr);
    std::string error;
    hook_ = LoadHookLibrary(loader_, std::string(VEXEL_BIN_DIR) + "/" + kHookLibraryFile, &error);
    ASSERT_NE(hook_, nullptr) << error;
    const HookEntries& e = hook_->entries;
    ASSERT_TRUE(e.installmousehook && e.removemousehook && e.enablemousehook && e.installhook &&
                e.removehook && e.enablehook && e.mousewheelenable);
  }

  void TearDown() override {
    hook_.reset();  // unloading stops whatever is still installed
    if (injector_ != nullptr) XCloseDisplay(injector_);
  }

  HookEntries& hook() { return hook_->entries; }

  void Key(unsigned keycode, bool pressed) {
    XTestFakeKeyEvent(injector_, keycode, pressed, CurrentTime);
    XSync(injector_, False);
  }
  void Tap(std::initializer_list<unsigned> keycodes) {
    for (unsigned keycode : keycodes) {
      Key(keycode, true);
      Key(keycode, false);
    }
  }
  void Click(unsigned button) {
    XTestFakeButtonEvent(injector_, button, True, CurrentTime);
    XTestFakeButtonEvent(injector_, button, False, CurrentTime);
    XSync(injector_, False);
  }
  // Taps the marker key (B on every layout used here) and waits until
  // `posted_by_then` messages, the marker's last, have arrived: everything
  // injected before it has then been handled.
  void Mark(size_t posted_by_then) {
    Tap({kKeyB});
    recorder_.WaitFor(posted_by_then);
  }
  // As a layout switch key does.
  void LockGroup(unsigned group) {
    XkbLockGroup(injector_, XkbUseCoreKbd, group);
    XSync(injector_, False);
  }

  PrivateXServer server_;
  Display* injector_ = nullptr;
  DlLibraryLoader loader_;
  std::unique_ptr<HookLibrary> hook_;
  Recorder recorder_;
};

// Which key is which virtual key is the message table's rule; here: order,
// held keys, and the keyboard changed while the hook runs: a key remapped
// through the core protocol, a new keymap, the locked layout of several.
TEST_F(HookLibraryTest, KeysArriveWithPressAndReleaseInTheLayoutInForce) {
  ASSERT_EQ(hook().installhook(&recorder_.target), 1);
  hook().enablehook(1);
  Key(kKeyLeftShift, true);
  Tap({kKeyA});
  Key(kKeyLeftShift, false);
  // A held key: the server repeats nothing through raw events, and a second
  // press of a key already down is not reported.
  Key(kKeyLeft, true);
  Key(kKeyLeft, true);
  Key(kKeyLeft, false);
  Mark(8);
  KeySym m[] = {XK_m, XK_M};  // as xmodmap does: the A key types m
  XChangeKeyboardMapping(injector_, kKeyA, 2, m, 1);
  Tap({kKeyA});
  Mark(12);
  ASSERT_TRUE(RunToSuccess({"setxkbmap", "-display", server_.display(), "-layout", "us,de"}));
  LockGroup(1);
  Tap({kKeyUsY, kKeyUsZ});
  Mark(18);
  LockGroup(0);
  Tap({kKeyUsY});
  const std::vector<Posted> expected = {{160, 0},  {'A', 0},  {'A', 1}, {160, 1}, {37, 0},
                                        {37, 1},   kMarkDown, kMarkUp,  {'M', 0}, {'M', 1},
                                        kMarkDown, kMarkUp,   {'Z', 0}, {'Z', 1}, {'Y', 0},
                                        {'Y', 1},  kMarkDown, kMarkUp,  {'Y', 0}, {'Y', 1}};
  EXPECT_EQ(recorder_.WaitFor(expected.size()), expected);
  EXPECT_EQ(hook().removehook(), 1);
}

// The button table is the message table's rule; here: which reports are on.
TEST_F(HookLibraryTest, ButtonsArriveWhileMouseReportsAreOn) {
  ASSERT_EQ(hook().installhook(&recorder_.target), 1);  // as the program does: no installmousehook
  hook().enablehook(1);
  Click(1);  // mouse reports still off
  Mark(2);
  hook().enablemousehook(1);
  Click(9);
  hook().mousewheelenable(1);
  Click(4);
  Mark(7);
  hook().mousewheelenable(0);
  Click(5);
  hook().enablemousehook(0);
  Click(1);
  Mark(9);
  const std::vector<Posted> expected = {kMarkDown, kMarkUp, {523, 1},  {524, 1}, {522, 120},
                                        kMarkDown, kMarkUp, kMarkDown, kMarkUp};
  EXPECT_EQ(recorder_.WaitFor(expected.size()), expected);
}

TEST_F(HookLibraryTest, ReportsStopWhenDisabledOrRemovedEvenInThePostAndGoToTheLastInstall) {
  ASSERT_EQ(hook().installhook(&recorder_.target), 1);
  hook().enablemousehook(1);  // mouse clicks mark progress while keys are off
  Tap({kKeyA});               // installed, not yet enabled
  Click(1);
  recorder_.WaitFor(2);
  hook().enablehook(1);
  hook().enablehook(0);
  Tap({kKeyA});
  Click(3);
  recorder_.WaitFor(4);
  EXPECT_EQ(hook().removehook(), 1);
  EXPECT_EQ(hook().removehook() + hook().removemousehook(), 0);  // neither is installed now
  Tap({kKeyA});
  Click(1);
  // Installed again: every report starts switched off.
  ASSERT_EQ(hook().installhook(&recorder_.target), 1);
  Click(1);
  hook().enablehook(1);
  recorder_.remove_in_next_post = &hook();
  Tap({kKeyA});  // its release comes after the removal
  recorder_.WaitFor(5);
  // Installed again from this thread, capture works as before.
  ASSERT_EQ(hook().installhook(&recorder_.target), 1);
  hook().enablehook(1);
  Mark(7);
  // A second install takes the keys from the first window; a mouse window
  // takes the buttons and keeps capture running once the keys' window goes.
  Recorder second, buttons;
  ASSERT_EQ(hook().installhook(&second.target), 1);
  ASSERT_EQ(hook().installmousehook(&buttons.target), 1);
  hook().enablehook(1);
  hook().enablemousehook(1);
  Tap({kKeyA});
  EXPECT_EQ(second.WaitFor(2), (std::vector<Posted>{{'A', 0}, {'A', 1}}));
  EXPECT_EQ(hook().removehook(), 1);
  Click(2);
  EXPECT_EQ(buttons.WaitFor(2), (std::vector<Posted>{{519, 0}, {520, 0}}));
  EXPECT_EQ(hook().removemousehook(), 1);
  const std::vector<Posted> expected = {{513, 0}, {514, 0},  {516, 0}, {517, 0},
                                        {'A', 0}, kMarkDown, kMarkUp};
  EXPECT_EQ(recorder_.WaitFor(expected.size()), expected);
}

TEST(HookLibraryWithoutDisplayTest, InstallFailsCleanly) {
  ::setenv("DISPLAY", ":65000", 1);
  DlLibraryLoader loader;
  auto hook = LoadHookLibrary(loader, std::string(VEXEL_BIN_DIR) + "/" + kHookLibraryFile, nullptr);
  ASSERT_NE(hook, nullptr);
  const HookEntries& e = hook->entries;
  Recorder recorder;
  EXPECT_EQ(std::vector<int>({e.installhook(&recorder.target), e.installmousehook(&recorder.target),
                              e.installhook(nullptr), e.enablehook(1), e.removehook(),
                              e.removemousehook()}),
            std::vector<int>({0, 0, 0, 1, 0, 0}));
}

}  // namespace
}  // namespace vexel::testing
