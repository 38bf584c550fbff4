// The shared behaviour suite on the headless toolkit, and what only the
// headless toolkit has: unanswered scripts, untrusted layout files, the message
// box with an odd or missing skin; and the timer table both toolkits run on.
#include "toolkit/headless/headless_toolkit.h"

#include "tests/toolkit/toolkit_behaviour_suite.h"
#include "toolkit/headless/ui_layout.h"
#include "toolkit/timer_schedule.h"

namespace vexel::toolkit::testing {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;

std::unique_ptr<Toolkit> MakeHeadless(Clock& clock) {
  return std::make_unique<headless::HeadlessToolkit>(clock);
}
INSTANTIATE_TEST_SUITE_P(Headless, ToolkitBehaviour, ::testing::Values(&MakeHeadless));

class HeadlessToolkitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    toolkit_.SetResourceFolder(VEXEL_SOURCE_DIR "/tests/toolkit/layouts");
    toolkit_.SetTraceSink([this](std::string_view line) { trace_.emplace_back(line); });
    toolkit_.SetLanguage([](std::string_view key) { return "<" + std::string(key) + ">"; });
  }
  ManualClock clock_;
  headless::HeadlessToolkit toolkit_{clock_};
  std::vector<std::string> trace_;
};

TEST_F(HeadlessToolkitTest, UnansweredModalsAndFileDialogsAreCancelledAndLogged) {
  TestWindow dialog(toolkit_);
  ASSERT_TRUE(dialog.Create());
  dialog.CenterWindow();  // 600 x 400 on the work area of 1920 x 1040
  EXPECT_EQ(dialog.ScreenRect(), (Rect{660, 320, 1260, 720}));
  EXPECT_EQ(dialog.ShowModal(), 0);
  EXPECT_THAT(trace_, Contains(HasSubstr("no scripted answer")));
  EXPECT_EQ(toolkit_.RunFileDialog(nullptr, {.filter_name = "Profile", .patterns = "*.pro"}),
            std::nullopt);
  EXPECT_EQ(toolkit_.FileDialogLog().at(0).patterns, "*.pro");
}

// A skin whose labels are plain text and which lacks "btn_cancel" still shows
// the keys and answers; without a skin the box answers cancel at once; a box
// marked delete-on-close frees itself (the sanitizers see a leak or a double free).
TEST_F(HeadlessToolkitTest, MessageBoxCopesWithAnOddOrMissingSkin) {
  std::string shown;
  toolkit_.ScriptModal([&](Window& box) {
    shown = box.FindControl("warning_title")->ShownText() + box.FindControl("warning")->ShownText();
    toolkit_.Input().Click(*box.FindControl("btn_ok"));
  });
  EXPECT_EQ(CMsgWnd::Show(toolkit_, nullptr, "warning_title_text", "restore_text"), CMsgWnd::kOk);
  EXPECT_EQ(shown, "<warning_title_text><restore_text>");
  EXPECT_THAT(trace_, Contains(HasSubstr("\"btn_cancel\"")));
  trace_.clear();
  toolkit_.SetResourceFolder("/nonexistent/res");
  toolkit_.ScriptModalClick("btn_ok");
  EXPECT_EQ(CMsgWnd::Show(toolkit_, nullptr, "warning_title_text", "no_device_text"),
            CMsgWnd::kCancel);
  EXPECT_EQ(toolkit_.PendingModalScripts(), 1) << "no modal run took place";
  EXPECT_THAT(trace_, Contains(HasSubstr("msg.xml")));
  toolkit_.SetResourceFolder(VEXEL_SOURCE_DIR "/res");
  auto* box = new CMsgWnd(toolkit_, "warning_title_text", "no_device_text");
  box->delete_on_close = true;
  ASSERT_TRUE(box->Create());
  toolkit_.Input().Click(*box->FindControl("btn_cancel"));
  toolkit_.ProcessEvents();
}

TEST(LayoutFiles, MenusHoldCommandsAndSubMenus) {
  MenuLayout layout;
  std::string error;
  ASSERT_TRUE(ParseMenuLayout(R"(<menu><item name="a" text="a_text" checked="true"/><separator/>
      <menu text="m"><item name="b" text="b_text" data="7"/></menu>
      <item name="c" visible="false"/></menu>)",
                              &layout, &error))
      << error;
  EXPECT_EQ(layout.VisibleItemCount(), 2);
  ASSERT_NE(layout.Find("B"), nullptr);
  EXPECT_EQ(layout.Find("b")->data, "7");
  EXPECT_TRUE(layout.Find("a")->checkable && layout.Find("a")->checked);
  EXPECT_FALSE(layout.Find("b")->checkable);
  EXPECT_EQ(layout.Find("m"), nullptr) << "sub-menus are not commands";
}

TEST(LayoutFiles, MalformedOrTooDeepFilesAreRejected) {
  std::string deep_ui = "<ui>";
  for (int i = 0; i < 71; ++i) deep_ui += "<widget class='QWidget'>";
  for (int i = 0; i < 71; ++i) deep_ui += "</widget>";
  std::string deep_menu;
  for (int i = 0; i < 20; ++i) deep_menu = "<menu>" + deep_menu + "</menu>";
  const std::string bad_ui[] = {"",
                                "<ui>",
                                "<notui><widget class='QWidget'/></notui>",
                                "<ui version='4.0'/>",
                                "<ui><widget name='x'/></ui>",
                                std::string(200, '<'),
                                deep_ui + "</ui>"};
  for (const std::string& xml : bad_ui) {
    std::string error;
    EXPECT_EQ(headless::ParseUi(xml, &error), nullptr) << xml;
    EXPECT_FALSE(error.empty()) << xml;
  }
  const std::string bad_menu[] = {"",
                                  "<item name='a'/>",
                                  "<menu><item/></menu>",
                                  deep_menu,
                                  "<menu><button name='x'/></menu>",
                                  "<menu><item name='a'>"};
  for (const std::string& xml : bad_menu) {
    MenuLayout layout;
    std::string error;
    EXPECT_FALSE(ParseMenuLayout(xml, &layout, &error)) << xml;
  }
}

class TimerScheduleTest : public ::testing::Test {
 protected:
  void Advance(int ms) {
    clock_.Advance(Clock::Ms(ms));
    schedule_.RunDue();
  }
  TimerSchedule::Fire Log(std::string what) {
    return [this, what] { fired_ += what + " "; };
  }
  ManualClock clock_;
  TimerSchedule schedule_{clock_};
  std::string fired_;
  const int a_ = 0;
  const int b_ = 0;
};

// Overdue timers fire once each per pass, earliest first, and re-arm from now;
// a zero period counts as 1 ms so that it cannot spin inside one pass.
TEST_F(TimerScheduleTest, FiresInOrderOfExpiryOncePerPass) {
  schedule_.Set(&a_, 1, 30, Log("a30"));
  schedule_.Set(&b_, 1, 10, Log("b10"));
  schedule_.Set(&a_, 2, 20, Log("a20"));
  schedule_.Set(&b_, 2, 0, Log("b0"));
  Advance(0);
  EXPECT_EQ(fired_, "");
  EXPECT_EQ(schedule_.NextDue(), Clock::Ms(1));
  Advance(100);
  EXPECT_EQ(fired_, "b0 b10 a20 a30 ");
  EXPECT_EQ(schedule_.NextDue(), Clock::Ms(101));
}

TEST_F(TimerScheduleTest, CallbacksMayKillAndRestartTimersDuringAPass) {
  schedule_.Set(&a_, 1, 10, [this] {
    fired_ += "a1 ";
    schedule_.Kill(&a_, 1);                // itself
    schedule_.Kill(&a_, 2);                // due in the same pass: must not fire
    schedule_.Set(&b_, 1, 50, Log("b1"));  // restarted: not in this pass
  });
  schedule_.Set(&a_, 2, 10, Log("a2"));
  schedule_.Set(&b_, 1, 10, Log("b1"));
  Advance(10);
  EXPECT_EQ(fired_, "a1 ");
  Advance(49);
  EXPECT_EQ(fired_, "a1 ");
  Advance(1);
  EXPECT_EQ(fired_, "a1 b1 ");
  EXPECT_FALSE(schedule_.IsSet(&a_, 1));
}

TEST_F(TimerScheduleTest, KillAllStopsOnlyThatOwner) {
  int changes = 0;
  schedule_.SetOnChange([&] { ++changes; });
  schedule_.Set(&a_, 1, 10, Log("a1"));
  schedule_.Set(&a_, 7, 10, Log("a7"));
  schedule_.Set(&b_, 1, 10, Log("b1"));
  schedule_.KillAll(&a_);
  schedule_.KillAll(&a_);  // nothing left: no change reported
  Advance(10);
  EXPECT_EQ(fired_, "b1 ");
  EXPECT_EQ(changes, 5);  // three sets, one kill-all, one pass that fired
}

}  // namespace
}  // namespace vexel::toolkit::testing
