// The behaviour every toolkit implementation must show, run against each of
// them (a typed suite): the same controller code, the same layouts, the same
// expectations. A binary instantiates it with its toolkit's factory:
//
//   INSTANTIATE_TEST_SUITE_P(Headless, ToolkitBehaviour, ::testing::Values(&MakeHeadless));
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "toolkit/control.h"
#include "toolkit/toolkit.h"
#include "toolkit/user_input.h"
#include "toolkit/window.h"

namespace vexel::toolkit::testing {

// Message numbers of the tests' own windows: any number above kMsgUser.
inline constexpr uint32_t kTestMessage = kMsgUser + 100;
inline constexpr uint32_t kQuitMessage = kTestMessage + 2;  // quits the loop with 3

// Records each notification as "type sender wparam lparam;".
class TestWindow : public Window {
 public:
  using Window::Window;
  std::string WindowClassName() const override { return "TestWnd"; }
  std::string SkinFile() const override { return "behaviour.ui"; }
  void Notify(const Notification& n) override {
    seen += n.type + " " + std::string(n.SenderName()) + " " + std::to_string(n.wparam) + " " +
            std::to_string(n.lparam) + ";";
    Window::Notify(n);
  }
  bool HandleCustomMessage(const Message& m) override {
    messages.push_back(m);
    threads.push_back(std::this_thread::get_id());
    if (m.id == kMsgDestroy) life += "destroy message;";
    if (m.id == kQuitMessage) toolkit().Quit(3);
    return true;
  }
  void OnDestroy() override { life += "OnDestroy;"; }
  void OnFinalMessage() override { life += "OnFinalMessage;"; }
  int Count(uint32_t id) const {
    return static_cast<int>(std::ranges::count(messages, id, &Message::id));
  }

  std::string seen;
  std::vector<Message> messages;
  std::vector<std::thread::id> threads;
  std::string life;
};

inline const std::string kWholeLife = "destroy message;OnDestroy;OnFinalMessage;";

using ToolkitFactory = std::unique_ptr<Toolkit> (*)(Clock& clock);

class ToolkitBehaviour : public ::testing::TestWithParam<ToolkitFactory> {
 protected:
  void SetUp() override {
    toolkit_ = GetParam()(clock_);
    toolkit_->SetResourceFolder(VEXEL_SOURCE_DIR "/tests/toolkit/layouts/");
    toolkit_->SetLanguage([](std::string_view key) { return "<" + std::string(key) + ">"; });
    window_ = std::make_unique<TestWindow>(*toolkit_);
    ASSERT_TRUE(window_->Create());
    Pump();
  }
  void TearDown() override {
    window_.reset();
    if (toolkit_) toolkit_->ProcessEvents();
  }

  void Pump() { toolkit_->ProcessEvents(); }
  void Advance(int ms) {
    clock_.Advance(Clock::Ms(ms));
    Pump();
  }
  UserInput& Input() { return toolkit_->Input(); }
  Control& Get(std::string_view name) { return *window_->FindControl(name); }
  // What the window saw since the last call.
  std::string Seen() {
    Pump();
    return std::exchange(window_->seen, "");
  }

  ManualClock clock_;
  std::unique_ptr<Toolkit> toolkit_;
  std::unique_ptr<TestWindow> window_;
};

// Hidden, disabled, off-page and wrong-kind controls refuse the action.
TEST_P(ToolkitBehaviour, EachUserActionRaisesItsNotification) {
  const struct {
    const char* control;
    std::string action;
    uint32_t arg;
    std::string expected;  // empty: the action is refused
  } cases[] = {
      {"btn_one", "click", 0, "click btn_one 0 0;"},
      {"option_b", "click", 0, "selectchanged option_b 1 0;"},
      {"check_one", "click", 0, "checkclick check_one 1 0;"},
      {"list_one", "choose", 2, "itemselect list_one 2 -1;"},
      {"combo_one", "choose", 1, "itemselect combo_one 1 0;"},
      {"slider_one", "slide", 7, "valuechanged slider_one 7 0;"},
      {"edit_one", "type", 0, "textchanged edit_one 0 0;"},
      {"edit_one", "return", 0, "return edit_one 0 0;"},
      {"edit_one", "focus", 0, "setfocus edit_one 0 0;"},
      {"edit_two", "focus", 0, "killfocus edit_one 0 0;setfocus edit_two 0 0;"},
      {"btn_one", "hover", 1, "mouseenter btn_one 0 0;"},
      {"btn_one", "hover", 0, "mouseleave btn_one 0 0;"},
      {"palette_one", "pick", 0xFF102030, "colorchanged palette_one 0 0;"},
      {"palette_one", "release", 0xFF405060, "colorchangedbuttonup palette_one 0 0;"},
      {"btn_hidden", "click", 0, ""},
      {"btn_disabled", "click", 0, ""},
      {"btn_on_page_1", "click", 0, ""},
      {"slider_one", "click", 0, ""},
  };
  UserInput& in = Input();
  for (const auto& c : cases) {
    Control& control = Get(c.control);
    const std::string& a = c.action;
    const bool taken = a == "click"    ? in.Click(control)
                       : a == "choose" ? in.ChooseItem(control, static_cast<int>(c.arg))
                       : a == "slide"  ? in.MoveSlider(control, static_cast<int>(c.arg))
                       : a == "type"   ? in.Type(control, "12a")
                       : a == "return" ? in.PressReturn(control)
                       : a == "focus"  ? in.Focus(control)
                       : a == "hover"  ? in.Hover(control, c.arg == 1)
                                       : in.PickColour(control, c.arg, a == "release");
    EXPECT_EQ(taken, !c.expected.empty()) << c.control << " " << a;
    EXPECT_EQ(Seen(), c.expected) << c.control << " " << a;
  }
  Get("tab_one").SelectPage(1);
  EXPECT_TRUE(in.Click(Get("btn_on_page_1")));
  EXPECT_EQ(Seen(), "click btn_on_page_1 0 0;");
  EXPECT_EQ(Get("edit_one").Text(), "12a");
  EXPECT_EQ(Get("palette_one").SelectedColour(), 0xFF405060u);
  EXPECT_EQ(Get("slider_one").Value(), 7);
}

TEST_P(ToolkitBehaviour, ProgrammaticChangesRaiseNothingUnlessAsked) {
  Control& list = Get("list_one");
  list.SelectItem(1, false);
  Get("combo_one").SelectItem(2, false);
  Get("option_b").SetChecked(true, false);
  Get("check_one").SetChecked(true, false);
  Get("slider_one").SetValue(9);
  Get("edit_one").SetText("abc");
  Get("label_key").SetText("other_text");  // a key-mode label, shown through the language
  EXPECT_EQ(Seen(), "");
  EXPECT_EQ(Get("label_key").ShownText() + " " + Get("label_plain").ShownText(),
            "<other_text> hello_text");
  EXPECT_EQ((std::vector<int>{list.SelectedItem(), Get("combo_one").SelectedItem(),
                              Get("check_one").IsChecked(), Get("slider_one").Value()}),
            (std::vector<int>{1, 2, 1, 9}));
  list.SelectItem(0, true);
  list.SelectItem(0, true);  // no change, no notification
  Get("option_a").SetChecked(true, true);
  EXPECT_EQ(Seen(), "itemselect list_one 0 1;selectchanged option_a 1 0;");
  EXPECT_FALSE(Get("option_b").IsChecked()) << "options of a box exclude each other";
  // A named group spans containers and leaves other groups alone; clicking
  // the selected option again raises nothing.
  Control& p2 = Get("prate_2");
  EXPECT_TRUE(Input().Click(Get("prate_1")));
  EXPECT_TRUE(Input().Click(p2));
  EXPECT_EQ(Seen(), "selectchanged prate_1 1 0;selectchanged prate_2 1 0;");
  EXPECT_TRUE(Input().Click(p2));
  EXPECT_EQ(Seen(), "");
  EXPECT_EQ(
      (std::vector<bool>{Get("prate_1").IsChecked(), p2.IsChecked(), Get("option_a").IsChecked()}),
      (std::vector<bool>{false, true, true}));
}

// The loop wakes for messages posted while it waits and runs them in order on
// the UI thread.
TEST_P(ToolkitBehaviour, MessagesFromAnotherThreadRunInOrderInTheLoopUntilQuit) {
  std::thread poster([this] {
    for (uintptr_t i = 0; i < 200; ++i) window_->PostMessage(kTestMessage, i);
    window_->PostMessage(kQuitMessage);
  });
  EXPECT_EQ(toolkit_->RunMessageLoop(), 3);
  poster.join();
  ASSERT_EQ(window_->messages.size(), 201u);
  for (uintptr_t i = 0; i < 200; ++i) EXPECT_EQ(window_->messages[i].wparam, i);
  EXPECT_EQ(window_->threads, std::vector(201, std::this_thread::get_id()));
  toolkit_->Quit(4);  // a quit before the loop ends it at once
  EXPECT_EQ(toolkit_->RunMessageLoop(), 4);
}

// Nested runs take their scripts in opening order; a window closed from the
// title bar answers 0.
TEST_P(ToolkitBehaviour, ModalRunsReturnTheirCloseCode) {
  TestWindow outer(*toolkit_);
  ASSERT_TRUE(outer.Create(window_.get(), {.tool_window = true, .visible = false}));
  int inner_code = -1;
  toolkit_->ScriptModal([&](Window&) {
    TestWindow inner(*toolkit_);
    ASSERT_TRUE(inner.Create(&outer, {.visible = false}));
    inner_code = inner.ShowModal();
    outer.Close(2);
  });
  toolkit_->ScriptModal([this](Window& w) { Input().CloseWindow(w); });
  EXPECT_EQ(outer.ShowModal(), 2);
  EXPECT_EQ(inner_code, 0);
  EXPECT_FALSE(outer.IsCreated());
  EXPECT_EQ(outer.life, kWholeLife);
  EXPECT_EQ(toolkit_->ModalLog(), std::vector<std::string>(2, "TestWnd"));
}

// The period, restart and kill rules are TimerSchedule's; here only that each
// toolkit routes window timers as messages and control timers as notifications,
// and that nothing reaches a killed timer, a closed window or a window object
// destroyed while open (the sanitizers see what reaches a destroyed one).
TEST_P(ToolkitBehaviour, TimersAndMessagesReachOnlyOpenWindowsAndLiveTimers) {
  TestWindow& w = *window_;
  w.SetTimer(513, 500);
  Get("progress_one").SetTimer(53, 500);
  Advance(499);
  EXPECT_EQ(w.Count(kMsgTimer), 0);
  Advance(1);
  ASSERT_EQ(w.Count(kMsgTimer), 1);
  EXPECT_EQ(w.messages.back().wparam, 513u);
  EXPECT_EQ(Seen(), "timer progress_one 53 0;");
  w.KillTimer(513);
  Get("progress_one").KillTimer(53);
  TestWindow closed(*toolkit_);
  ASSERT_TRUE(closed.Create());
  closed.Close(1);
  closed.Close(2);
  Pump();
  closed.SetTimer(1, 10);
  closed.PostMessage(kTestMessage);
  auto destroyed = std::make_unique<TestWindow>(*toolkit_);
  ASSERT_TRUE(destroyed->Create());
  destroyed->SetTimer(5, 10);
  destroyed->FindControl("progress_one")->SetTimer(53, 10);
  destroyed->PostMessage(kTestMessage);
  destroyed.reset();
  Advance(5000);
  EXPECT_EQ(w.Count(kMsgTimer), 1);
  EXPECT_EQ(Seen(), "");
  EXPECT_EQ(closed.life, kWholeLife);
  EXPECT_FALSE(closed.IsVisible());
  EXPECT_EQ(closed.messages.size(), 1u);  // only kMsgDestroy
  EXPECT_EQ(closed.FindControl("btn_one"), nullptr);
}

// The selection follows its item; values clamp to the range; carets count
// characters, not bytes or UTF-16 units; completions replace the ones before.
TEST_P(ToolkitBehaviour, ListsKeepItemsAndSlidersAndCaretsClamp) {
  Control& list = Get("list_one");
  EXPECT_EQ(list.AddItem("fourth", 22), 3);
  list.SelectItem(2, false);
  list.RemoveItem(0);
  Control* row = list.AddLayoutItem("row.ui", 30);
  ASSERT_NE(row, nullptr);
  ASSERT_NE(row->FindChild("key"), nullptr);
  EXPECT_EQ((std::vector<int>{list.SelectedItem(), list.ItemHeight(2), list.ItemHeight(3)}),
            (std::vector<int>{1, 22, 30}));
  EXPECT_EQ(list.ItemText(0) + Get("combo_one").ItemText(2), "secondblue");
  list.RemoveAllItems();
  EXPECT_EQ((std::pair{list.ItemCount(), list.SelectedItem()}), (std::pair{0, -1}));
  Control& slider = Get("slider_one");
  slider.SetValue(-50);
  const int minimum = slider.Value();
  slider.SetValue(50);
  const int maximum = slider.Value();
  slider.SetRange(1, 100);
  slider.SetValue(50);
  EXPECT_EQ((std::vector<int>{minimum, maximum, slider.Value()}), (std::vector<int>{1, 20, 50}));
  const std::string text = "a\u00E9\u20AC\U0001F600b";  // a e-acute euro emoji b
  Control& edit = Get("edit_one");
  edit.SetText(text);
  std::vector<int> carets{edit.CaretPosition()};
  for (int at : {4, 99}) {
    edit.SetCaretPosition(at);
    carets.push_back(edit.CaretPosition());
  }
  EXPECT_EQ(carets, (std::vector<int>{5, 4, 5}));
  EXPECT_EQ(edit.Text(), text);
  for (const std::vector<std::string>& words : {std::vector<std::string>{"gimp", "x"}, {}}) {
    edit.SetCompletions(words);
    EXPECT_EQ(edit.Completions(), words);
  }
}

TEST_P(ToolkitBehaviour, VirtualWindowsReceiveTheirBranchesNotifications) {
  TestWindow page(*toolkit_);
  window_->AddVirtualWindow("TestPage", &page);
  EXPECT_TRUE(Input().Click(Get("page_btn")));
  EXPECT_TRUE(Input().Click(Get("btn_one")));
  EXPECT_EQ(Seen(), "click btn_one 0 0;");
  EXPECT_EQ(page.seen, "click page_btn 0 0;");
}

TEST_P(ToolkitBehaviour, MenuCommandsCarryTheItemName) {
  std::unique_ptr<Menu> menu = window_->CreateMenu("test_menu.xml", Point{300, 200});
  ASSERT_NE(menu, nullptr);
  EXPECT_TRUE(menu->IsOpen());
  EXPECT_EQ(menu->VisibleItemCount(), 3);
  EXPECT_FALSE(menu->Trigger("secret")) << "hidden items cannot be chosen";
  EXPECT_FALSE(menu->Trigger("nothing"));
  EXPECT_TRUE(menu->Trigger("exit"));
  EXPECT_FALSE(menu->IsOpen());
  std::unique_ptr<Menu> second = window_->CreateMenu("test_menu.xml", Point{0, 0});
  EXPECT_TRUE(second->Trigger("MS_1_PLAY_PAUSE")) << "names compare without case";
  Pump();
  ASSERT_EQ(window_->Count(kMsgMenuCommand), 2);
  std::string commands;
  for (const Message& m : window_->messages)
    commands +=
        m.menu_command->name + " " + m.menu_command->text + " " + m.menu_command->data + ";";
  EXPECT_EQ(commands, "exit <exit_text> bye;ms_1_play_pause <play_pause_text> 65;");
  EXPECT_EQ(window_->CreateMenu("missing_menu.xml", Point{}), nullptr);
}

}  // namespace vexel::toolkit::testing
