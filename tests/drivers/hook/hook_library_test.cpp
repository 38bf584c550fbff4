// Hook.so for real: loaded the way the program loads it, on a private Xvfb,
// with keys and buttons injected through XTEST.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "hiddriver/hiddriver.h"
#include "messages/app_messages.h"
#include "platform/hook_library.h"
#include "platform/posix/dl_library_loader.h"
#include "support/private_x_server.h"

// Last: Xlib defines macros (None, Bool, ...) that clash with other headers.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace vexel::testing {
namespace {

struct Posted {
  uintptr_t wparam;
  intptr_t lparam;
  friend bool operator==(const Posted&, const Posted&) = default;
};

void PrintTo(const Posted& posted, std::ostream* out) {
  *out << "(" << posted.wparam << ", " << posted.lparam << ")";
}

// A window that records the hook messages posted to it, from any thread.
class Recorder {
 public:
  VexelPostTarget target{&Recorder::Post, this};
  // When set, the next post calls removehook on the posting thread.
  std::atomic<const HookEntries*> remove_in_next_post{nullptr};

  // The messages once `done` holds for them, or what came within 5 s.
  std::vector<Posted> WaitUntil(const std::function<bool(const std::vector<Posted>&)>& done) {
    std::unique_lock lock(mutex_);
    arrived_.wait_for(lock, std::chrono::seconds(5), [&] { return done(posted_); });
    return posted_;
  }
  std::vector<Posted> WaitFor(size_t count) {
    return WaitUntil([count](const auto& posted) { return posted.size() >= count; });
  }

 private:
  static void Post(void* ctx, uint32_t message, uintptr_t wparam, intptr_t lparam) {
    auto* self = static_cast<Recorder*>(ctx);
    {
      std::lock_guard lock(self->mutex_);
      if (message == kMsgHookEvent) self->posted_.push_back({wparam, lparam});
    }
    self->arrived_.notify_all();
    if (const HookEntries* hook = self->remove_in_next_post.exchange(nullptr)) hook->removehook();
  }

  std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<Posted> posted_;
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

  void Keys(std::initializer_list<unsigned> keycodes, bool pressed) {
    for (unsigned keycode : keycodes) XTestFakeKeyEvent(injector_, keycode, pressed, CurrentTime);
    XSync(injector_, False);
  }
  void Tap(std::initializer_list<unsigned> keycodes) {
    for (unsigned keycode : keycodes) {
      Keys({keycode}, true);
      Keys({keycode}, false);
    }
  }
  void Click(std::initializer_list<unsigned> buttons) {
    for (unsigned button : buttons) {
      XTestFakeButtonEvent(injector_, button, True, CurrentTime);
      XTestFakeButtonEvent(injector_, button, False, CurrentTime);
    }
    XSync(injector_, False);
  }
  // Taps the marker key (B on every layout used here) and waits until it has
  // arrived: everything injected before it has then been handled.
  void Mark() {
    Tap({kKeyB});
    const auto marks = ++marks_;
    recorder_.WaitUntil([marks](const std::vector<Posted>& posted) {
      return std::count(posted.begin(), posted.end(), Posted{'B', 1}) >= marks;
    });
  }
  bool SetLayout(const std::string& layout) {
    return RunToSuccess({"setxkbmap", "-display", server_.display(), "-layout", layout});
  }

  PrivateXServer server_;
  Display* injector_ = nullptr;
  DlLibraryLoader loader_;
  std::unique_ptr<HookLibrary> hook_;
  Recorder recorder_;
  std::ptrdiff_t marks_ = 0;
};

constexpr Posted kMarkDown{'B', 0}, kMarkUp{'B', 1};

// Which key is which virtual key is the message table's rule; here: order,
// held keys, and a layout switched while the hook runs.
TEST_F(HookLibraryTest, KeysArriveWithPressAndReleaseInTheLayoutInForce) {
  ASSERT_EQ(hook().installhook(&recorder_.target), 1);
  hook().enablehook(1);
  Keys({kKeyLeftShift}, true);
  Tap({kKeyA});
  Keys({kKeyLeftShift}, false);
  // A held key: the server repeats nothing through raw events, and a second
  // press of a key already down is not reported.
  Keys({kKeyLeft}, true);
  Keys({kKeyLeft}, true);
  Keys({kKeyLeft}, false);
  Tap({kKeyUsY});
  Mark();
  ASSERT_TRUE(SetLayout("de"));
  Tap({kKeyUsY, kKeyUsZ});
  Mark();
  ASSERT_TRUE(SetLayout("us"));
  Tap({kKeyUsY});
  const std::vector<Posted> expected = {
      {160, 0}, {'A', 0}, {'A', 1}, {160, 1}, {37, 0},  {37, 1},   {'Y', 0}, {'Y', 1}, kMarkDown,
      kMarkUp,  {'Z', 0}, {'Z', 1}, {'Y', 0}, {'Y', 1}, kMarkDown, kMarkUp,  {'Y', 0}, {'Y', 1}};
  EXPECT_EQ(recorder_.WaitFor(expected.size()), expected);
  EXPECT_EQ(hook().removehook(), 1);
}

TEST_F(HookLibraryTest, ButtonsArriveWhileMouseReportsAreOn) {
  ASSERT_EQ(hook().installhook(&recorder_.target), 1);  // as the program does: no installmousehook
  hook().enablehook(1);
  Click({1});  // mouse reports still off
  Mark();
  hook().enablemousehook(1);
  Click({1, 3, 2, 9, 8});
  hook().mousewheelenable(1);
  Click({4});
  Mark();
  hook().mousewheelenable(0);
  Click({5});
  hook().enablemousehook(0);
  Click({1});
  Mark();
  const std::vector<Posted> expected = {
      kMarkDown, kMarkUp,  {513, 0}, {514, 0},   {516, 0},  {517, 0}, {519, 0},  {520, 0}, {523, 1},
      {524, 1},  {523, 2}, {524, 2}, {522, 120}, kMarkDown, kMarkUp,  kMarkDown, kMarkUp};
  EXPECT_EQ(recorder_.WaitFor(expected.size()), expected);
}

TEST_F(HookLibraryTest, NothingArrivesWhileDisabledOrAfterRemoval) {
  ASSERT_EQ(hook().installhook(&recorder_.target), 1);
  hook().enablemousehook(1);  // mouse clicks mark progress while keys are off
  Tap({kKeyA});               // installed, not yet enabled
  Click({1});
  recorder_.WaitFor(2);
  hook().enablehook(1);
  hook().enablehook(0);
  Tap({kKeyA});
  Click({3});
  recorder_.WaitFor(4);
  EXPECT_EQ(hook().removehook(), 1);
  EXPECT_EQ(hook().removehook(), 0);
  EXPECT_EQ(hook().removemousehook(), 0);
  Tap({kKeyA});
  Click({1});
  // Installed again: every report starts switched off.
  ASSERT_EQ(hook().installhook(&recorder_.target), 1);
  Click({1});
  hook().enablehook(1);
  Mark();
  const std::vector<Posted> expected = {{513, 0}, {514, 0}, {516, 0}, {517, 0}, kMarkDown, kMarkUp};
  EXPECT_EQ(recorder_.WaitFor(expected.size()), expected);
}

TEST_F(HookLibraryTest, ASecondInstallRedirectsAndAMouseWindowTakesTheButtons) {
  Recorder second;
  Recorder buttons;
  ASSERT_EQ(hook().installhook(&recorder_.target), 1);
  ASSERT_EQ(hook().installhook(&second.target), 1);
  ASSERT_EQ(hook().installmousehook(&buttons.target), 1);
  hook().enablehook(1);
  hook().enablemousehook(1);
  Click({3});
  Tap({kKeyB});
  EXPECT_EQ(buttons.WaitFor(2), (std::vector<Posted>{{516, 0}, {517, 0}}));
  EXPECT_EQ(second.WaitFor(2), (std::vector<Posted>{kMarkDown, kMarkUp}));
  EXPECT_TRUE(recorder_.WaitFor(0).empty());
  // The keyboard window gone, the mouse window keeps capture running.
  EXPECT_EQ(hook().removehook(), 1);
  Click({2});
  EXPECT_EQ(buttons.WaitFor(4).size(), 4u);
  EXPECT_EQ(hook().removemousehook(), 1);
}

TEST_F(HookLibraryTest, RemovingFromInsideThePostFunctionStopsCapture) {
  ASSERT_EQ(hook().installhook(&recorder_.target), 1);
  hook().enablehook(1);
  recorder_.remove_in_next_post = &hook();
  Tap({kKeyA});
  EXPECT_EQ(recorder_.WaitFor(1), (std::vector<Posted>{{'A', 0}}));
  // Installed again from this thread, capture works as before.
  ASSERT_EQ(hook().installhook(&recorder_.target), 1);
  hook().enablehook(1);
  Mark();
  EXPECT_EQ(recorder_.WaitFor(3), (std::vector<Posted>{{'A', 0}, kMarkDown, kMarkUp}));
}

TEST(HookLibraryWithoutDisplayTest, InstallFailsCleanly) {
  ::setenv("DISPLAY", ":65000", 1);
  DlLibraryLoader loader;
  auto hook = LoadHookLibrary(loader, std::string(VEXEL_BIN_DIR) + "/" + kHookLibraryFile, nullptr);
  ASSERT_NE(hook, nullptr);
  Recorder recorder;
  EXPECT_EQ(hook->entries.installhook(&recorder.target), 0);
  EXPECT_EQ(hook->entries.installmousehook(&recorder.target), 0);
  EXPECT_EQ(hook->entries.installhook(nullptr), 0);
  EXPECT_EQ(hook->entries.enablehook(1), 1);
  EXPECT_EQ(hook->entries.removehook(), 0);
  EXPECT_EQ(hook->entries.removemousehook(), 0);
}

}  // namespace
}  // namespace vexel::testing
