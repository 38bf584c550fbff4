// The shared behaviour suite on the headless toolkit; the message box with an
// odd or missing skin; the timer table both toolkits run on.
#include "toolkit/headless/headless_toolkit.h"

#include "app/msg_wnd.h"
#include "tests/toolkit/toolkit_behaviour_suite.h"
#include "toolkit/timer_schedule.h"

namespace vexel::toolkit::testing {
namespace {

std::unique_ptr<Toolkit> MakeHeadless(Clock& clock) {
  return std::make_unique<headless::HeadlessToolkit>(clock);
}
INSTANTIATE_TEST_SUITE_P(Headless, ToolkitBehaviour, ::testing::Values(&MakeHeadless));

// A skin whose labels are plain text and which lacks "btn_cancel" still shows
// the keys and answers; without a skin the box answers cancel at once. Only
// its OK button answers OK; a box marked delete-on-close frees itself (the
// sanitizers see a leak or a double free).
TEST(MessageBox, AnswersOkOnlyForItsOkButtonWhateverTheSkin) {
  ManualClock clock;
  headless::HeadlessToolkit toolkit{clock};
  toolkit.SetResourceFolder(VEXEL_SOURCE_DIR "/tests/toolkit/layouts");
  toolkit.SetLanguage([](std::string_view key) { return "<" + std::string(key) + ">"; });
  std::string shown;
  toolkit.ScriptModal([&](Window& box) {
    shown = box.FindControl("warning_title")->ShownText() + box.FindControl("warning")->ShownText();
    toolkit.Input().Click(*box.FindControl("btn_ok"));
  });
  EXPECT_EQ(CMsgWnd::Show(toolkit, nullptr, "warning_title_text", "restore_text"), CMsgWnd::kOk);
  EXPECT_EQ(shown, "<warning_title_text><restore_text>");
  toolkit.SetResourceFolder("/nonexistent/res");
  toolkit.ScriptModalClick("btn_ok");
  EXPECT_EQ(CMsgWnd::Show(toolkit, nullptr, "warning_title_text", "no_device_text"),
            CMsgWnd::kCancel);
  toolkit.SetResourceFolder(VEXEL_SOURCE_DIR "/res");
  toolkit.ScriptModalClick("btn_cancel");
  toolkit.ScriptModal([&](Window& box) { toolkit.Input().CloseWindow(box); });
  toolkit.ScriptModal([](Window& box) { box.Close(5); });
  std::vector<int> answers;  // the first takes the script the missing skin left
  for (int i = 0; i < 4; ++i) answers.push_back(CMsgWnd::Show(toolkit, nullptr, "a", "b"));
  EXPECT_EQ(answers, (std::vector<int>{CMsgWnd::kOk, 0, 0, 0}));
  auto* box = new CMsgWnd(toolkit, "warning_title_text", "no_device_text");
  box->delete_on_close = true;
  ASSERT_TRUE(box->Create());
  toolkit.Input().Click(*box->FindControl("btn_cancel"));
  toolkit.ProcessEvents();
}

// Overdue timers fire once each per pass, earliest first, and re-arm from now;
// a zero period counts as 1 ms so that it cannot spin inside one pass. Kill-all
// stops only its owner and reports a change only when there was one. Callbacks
// may kill and restart timers during a pass.
TEST(TimerSchedule, FiresInOrderOncePerPassAndCallbacksMayKillOrRestart) {
  ManualClock clock;
  TimerSchedule schedule{clock};
  std::string fired;
  int changes = 0;
  const int a = 0, b = 0;  // owners
  const auto log = [&fired](std::string what) { return [&fired, what] { fired += what + " "; }; };
  const auto advance = [&](int ms) {
    clock.Advance(Clock::Ms(ms));
    schedule.RunDue();
  };
  schedule.SetOnChange([&] { ++changes; });
  schedule.Set(&a, 1, 30, log("a30"));
  schedule.Set(&b, 1, 10, log("b10"));
  schedule.Set(&a, 2, 20, log("a20"));
  schedule.Set(&b, 2, 0, log("b0"));
  advance(0);
  EXPECT_EQ(fired, "");
  EXPECT_EQ(schedule.NextDue(), Clock::Ms(1));
  advance(100);
  EXPECT_EQ(fired, "b0 b10 a20 a30 ");
  EXPECT_EQ(schedule.NextDue(), Clock::Ms(101));
  schedule.KillAll(&a);
  schedule.KillAll(&a);
  advance(10);
  EXPECT_EQ(fired, "b0 b10 a20 a30 b0 b10 ");
  EXPECT_EQ(changes, 7);  // four sets, two passes that fired, one kill-all
  schedule.KillAll(&b);
  fired.clear();
  schedule.Set(&a, 1, 10, [&] {
    fired += "a1 ";
    schedule.Kill(&a, 1);                // itself
    schedule.Kill(&a, 2);                // due in the same pass: must not fire
    schedule.Set(&b, 1, 50, log("b1"));  // restarted: not in this pass
  });
  schedule.Set(&a, 2, 10, log("a2"));
  schedule.Set(&b, 1, 10, log("b1"));
  advance(10);
  advance(49);
  EXPECT_EQ(fired, "a1 ");
  advance(1);
  EXPECT_EQ(fired, "a1 b1 ");
  EXPECT_FALSE(schedule.IsSet(&a, 1));
}

}  // namespace
}  // namespace vexel::toolkit::testing
