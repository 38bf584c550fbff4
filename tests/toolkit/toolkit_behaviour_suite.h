// The behaviour every toolkit implementation must show, run against each of
// them (a typed suite): the same controller code, the same layouts, the same
// expectations. A binary instantiates it with an environment type:
//
//   struct Env { static std::unique_ptr<toolkit::Toolkit> Make(Clock& clock); };
//   INSTANTIATE_TYPED_TEST_SUITE_P(Headless, ToolkitBehaviour, Env);
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/msg_wnd.h"
#include "platform/clock.h"
#include "toolkit/control.h"
#include "toolkit/toolkit.h"
#include "toolkit/user_input.h"
#include "toolkit/window.h"

namespace vexel::toolkit::testing {

// Message numbers of the tests' own windows: any number above kMsgUser.
inline constexpr uint32_t kTestMessage = kMsgUser + 100;

// Records each notification as "type sender wparam lparam;".
class RecordingSink : public NotificationSink {
 public:
  void Notify(const Notification& n) override {
    seen += n.type + " " + std::string(n.SenderName()) + " " + std::to_string(n.wparam) + " " +
            std::to_string(n.lparam) + ";";
  }
  std::string seen;
};

class TestWindow : public Window {
 public:
  using Window::Window;
  std::string WindowClassName() const override { return "TestWnd"; }
  std::string SkinFile() const override { return "behaviour.ui"; }
  void Notify(const Notification& n) override {
    sink.Notify(n);
    Window::Notify(n);
  }
  void OnClick(const Notification& n) override {
    clicks.emplace_back(n.SenderName());
    if (n.SenderName() == "btn_one" && close_on_click) Close(*close_on_click);
  }
  bool HandleCustomMessage(const Message& m) override {
    messages.push_back(m);
    threads.push_back(std::this_thread::get_id());
    if (m.id == kMsgDestroy) life.push_back("destroy message");
    return true;
  }
  void OnDestroy() override { life.push_back("OnDestroy"); }
  void OnFinalMessage() override { life.push_back("OnFinalMessage"); }
  int Count(uint32_t id) const {
    return static_cast<int>(std::ranges::count(messages, id, &Message::id));
  }

  RecordingSink sink;
  std::vector<std::string> clicks;
  std::vector<Message> messages;
  std::vector<std::thread::id> threads;
  std::vector<std::string> life;
  std::optional<int> close_on_click;
};

inline const std::vector<std::string> kWholeLife = {"destroy message", "OnDestroy",
                                                    "OnFinalMessage"};

template <class Env>
class ToolkitBehaviour : public ::testing::Test {
 protected:
  void SetUp() override {
    toolkit_ = Env::Make(clock_);
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
    return std::exchange(window_->sink.seen, "");
  }

  ManualClock clock_;
  std::unique_ptr<Toolkit> toolkit_;
  std::unique_ptr<TestWindow> window_;
};

TYPED_TEST_SUITE_P(ToolkitBehaviour);

// Hidden, disabled, off-page and wrong-kind controls refuse the action.
TYPED_TEST_P(ToolkitBehaviour, EachUserActionRaisesItsNotification) {
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
  UserInput& in = this->Input();
  for (const auto& c : cases) {
    Control& control = this->Get(c.control);
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
    EXPECT_EQ(this->Seen(), c.expected) << c.control << " " << a;
  }
  this->Get("tab_one").SelectPage(1);
  EXPECT_TRUE(in.Click(this->Get("btn_on_page_1")));
  this->Pump();
  EXPECT_EQ(this->window_->clicks, (std::vector<std::string>{"btn_one", "btn_on_page_1"}));
  EXPECT_EQ(this->Get("edit_one").Text(), "12a");
  EXPECT_EQ(this->Get("palette_one").SelectedColour(), 0xFF405060u);
  EXPECT_EQ(this->Get("slider_one").Value(), 7);
}

TYPED_TEST_P(ToolkitBehaviour, ProgrammaticChangesRaiseNothingUnlessAsked) {
  Control& list = this->Get("list_one");
  list.SelectItem(1, false);
  this->Get("combo_one").SelectItem(2, false);
  this->Get("option_b").SetChecked(true, false);
  this->Get("check_one").SetChecked(true, false);
  this->Get("slider_one").SetValue(9);
  this->Get("edit_one").SetText("abc");
  EXPECT_EQ(this->Seen(), "");
  EXPECT_EQ((std::vector<int>{list.SelectedItem(), this->Get("combo_one").SelectedItem(),
                              this->Get("check_one").IsChecked(), this->Get("slider_one").Value()}),
            (std::vector<int>{1, 2, 1, 9}));
  list.SelectItem(0, true);
  list.SelectItem(0, true);  // no change, no notification
  this->Get("option_a").SetChecked(true, true);
  EXPECT_EQ(this->Seen(), "itemselect list_one 0 1;selectchanged option_a 1 0;");
  EXPECT_FALSE(this->Get("option_b").IsChecked()) << "options of a box exclude each other";
  // A named group spans containers and leaves other groups alone; clicking
  // the selected option again raises nothing.
  Control& p2 = this->Get("prate_2");
  EXPECT_TRUE(this->Input().Click(this->Get("prate_1")));
  EXPECT_TRUE(this->Input().Click(p2));
  EXPECT_EQ(this->Seen(), "selectchanged prate_1 1 0;selectchanged prate_2 1 0;");
  EXPECT_TRUE(this->Input().Click(p2));
  EXPECT_EQ(this->Seen(), "");
  EXPECT_EQ((std::vector<bool>{this->Get("prate_1").IsChecked(), p2.IsChecked(),
                               this->Get("option_a").IsChecked()}),
            (std::vector<bool>{false, true, true}));
}

// The period, restart and kill rules are TimerSchedule's; here only that each
// toolkit routes window timers as messages and control timers as notifications.
TYPED_TEST_P(ToolkitBehaviour, TimersReachTheirWindowOrControlUntilKilled) {
  TestWindow& w = *this->window_;
  Control& progress = this->Get("progress_one");
  w.SetTimer(513, 500);
  progress.SetTimer(53, 500);
  this->Advance(499);
  EXPECT_EQ(w.Count(kMsgTimer), 0);
  this->Advance(1);
  ASSERT_EQ(w.Count(kMsgTimer), 1);
  EXPECT_EQ(w.messages.back().wparam, 513u);
  EXPECT_EQ(this->Seen(), "timer progress_one 53 0;");
  w.KillTimer(513);
  progress.KillTimer(53);
  this->Advance(5000);
  EXPECT_EQ(w.Count(kMsgTimer), 1);
  EXPECT_EQ(this->Seen(), "");
}

TYPED_TEST_P(ToolkitBehaviour, MessagesFromOtherThreadsArriveInOrderOnTheUiThread) {
  constexpr uintptr_t kPerThread = 200;
  std::vector<std::thread> posters;
  for (uint32_t t = 0; t < 2; ++t) {
    posters.emplace_back([this, t] {
      for (uintptr_t i = 0; i < kPerThread; ++i) this->window_->PostMessage(kTestMessage + t, i);
    });
  }
  for (std::thread& poster : posters) poster.join();
  EXPECT_THAT(this->window_->messages, ::testing::IsEmpty()) << "nothing runs before the loop";
  this->Pump();
  std::vector<uintptr_t> next(2, 0);
  for (size_t i = 0; i < this->window_->messages.size(); ++i) {
    const uint32_t t = this->window_->messages[i].id - kTestMessage;
    ASSERT_LT(t, 2u);
    EXPECT_EQ(this->window_->messages[i].wparam, next[t]++);
    EXPECT_EQ(this->window_->threads[i], std::this_thread::get_id());
  }
  EXPECT_EQ(next, (std::vector<uintptr_t>{kPerThread, kPerThread}));
}

TYPED_TEST_P(ToolkitBehaviour, MessageLoopRunsPostedMessagesUntilQuit) {
  struct QuitOnTestMessage : TestWindow {
    using TestWindow::TestWindow;
    bool HandleCustomMessage(const Message& m) override {
      if (m.id == kTestMessage) toolkit().Quit(3);
      return TestWindow::HandleCustomMessage(m);
    }
  };
  QuitOnTestMessage window(*this->toolkit_);
  ASSERT_TRUE(window.Create());
  std::thread poster([&] {
    window.PostMessage(kTestMessage + 1);
    window.PostMessage(kTestMessage);
  });
  EXPECT_EQ(this->toolkit_->RunMessageLoop(), 3);
  poster.join();
  EXPECT_EQ(window.Count(kTestMessage + 1), 1);
  this->toolkit_->Quit(4);  // a quit before the loop ends it at once
  EXPECT_EQ(this->toolkit_->RunMessageLoop(), 4);
}

TYPED_TEST_P(ToolkitBehaviour, ModalRunsReturnTheirCloseCode) {
  const std::pair<Toolkit::ModalScript, int> cases[] = {
      {[this](Window& w) { this->Input().Click(*w.FindControl("btn_one")); }, 7},
      {[](Window& w) { w.Close(3); }, 3},
      {[this](Window& w) { this->Input().CloseWindow(w); }, 0},
  };
  for (const auto& [script, expected] : cases) {
    TestWindow dialog(*this->toolkit_);
    dialog.close_on_click = 7;
    ASSERT_TRUE(dialog.Create(this->window_.get(), {.tool_window = true, .visible = false}));
    this->toolkit_->ScriptModal(script);
    EXPECT_EQ(dialog.ShowModal(), expected);
    EXPECT_FALSE(dialog.IsCreated());
    EXPECT_EQ(dialog.life, kWholeLife) << expected;
  }
  // Nested runs take their scripts in opening order.
  TestWindow outer(*this->toolkit_);
  ASSERT_TRUE(outer.Create(this->window_.get(), {.visible = false}));
  int inner_code = -1;
  this->toolkit_->ScriptModal([&](Window&) {
    TestWindow inner(*this->toolkit_);
    ASSERT_TRUE(inner.Create(&outer, {.visible = false}));
    inner_code = inner.ShowModal();
    outer.Close(2);
  });
  this->toolkit_->ScriptModal([](Window& w) { w.Close(9); });
  EXPECT_EQ(outer.ShowModal(), 2);
  EXPECT_EQ(inner_code, 9);
  EXPECT_EQ(this->toolkit_->ModalLog(), std::vector<std::string>(5, "TestWnd"));
}

TYPED_TEST_P(ToolkitBehaviour, ClosedAndDestroyedWindowsReceiveNothing) {
  TestWindow other(*this->toolkit_);
  ASSERT_TRUE(other.Create());
  other.Close(1);
  other.Close(2);
  this->Pump();
  EXPECT_EQ(other.life, kWholeLife);
  other.SetTimer(1, 10);
  other.PostMessage(kTestMessage);
  this->Advance(100);
  EXPECT_EQ(other.messages.size(), 1u);  // only kMsgDestroy
  EXPECT_EQ(other.FindControl("btn_one"), nullptr);
  // A window object destroyed while open: its timers and messages go with it.
  auto open = std::make_unique<TestWindow>(*this->toolkit_);
  ASSERT_TRUE(open->Create());
  open->SetTimer(5, 10);
  open->FindControl("progress_one")->SetTimer(53, 10);
  open->PostMessage(kTestMessage);
  open.reset();
  this->Advance(100);  // nothing may reach the destroyed object (sanitizers)
  EXPECT_TRUE(this->window_->IsCreated());
}

TYPED_TEST_P(ToolkitBehaviour, LabelsShowKeysThroughTheLanguageTableOrPlainText) {
  Control& key = this->Get("label_key");
  Control& plain = this->Get("label_plain");
  EXPECT_EQ(key.GetTextMode(), TextMode::kLanguageKey);
  EXPECT_EQ(plain.GetTextMode(), TextMode::kPlain);
  EXPECT_EQ(key.Text() + " " + key.ShownText() + " " + plain.ShownText(),
            "hello_text <hello_text> hello_text");
  key.SetText("other_text");
  EXPECT_EQ(key.ShownText(), "<other_text>");
  key.SetTextMode(TextMode::kPlain);
  key.SetText("57%");
  plain.SetTextMode(TextMode::kLanguageKey);
  EXPECT_EQ(key.ShownText() + " " + plain.ShownText(), "57% <hello_text>");
  this->toolkit_->SetLanguage([](std::string_view) { return std::string("Replaced"); });
  EXPECT_EQ(plain.ShownText(), "Replaced");
}

TYPED_TEST_P(ToolkitBehaviour, ListsKeepItemsAndSlidersAndCaretsClamp) {
  Control& list = this->Get("list_one");
  EXPECT_EQ(list.AddItem("fourth", 22), 3);
  EXPECT_EQ(list.ItemHeight(3), 22);
  list.SelectItem(2, false);
  list.RemoveItem(0);
  EXPECT_EQ(list.ItemText(0), "second");
  EXPECT_EQ(list.SelectedItem(), 1) << "selection follows its item";
  Control* row = list.AddLayoutItem("row.ui", 30);
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(list.ItemHeight(3), 30);
  ASSERT_NE(row->FindChild("key"), nullptr);
  list.RemoveAllItems();
  EXPECT_EQ(list.ItemCount(), 0);
  EXPECT_EQ(list.SelectedItem(), -1);
  EXPECT_EQ(this->Get("combo_one").ItemText(2), "blue");

  Control& slider = this->Get("slider_one");
  EXPECT_EQ(slider.Minimum(), 1);
  slider.SetValue(50);
  EXPECT_EQ(slider.Value(), 20) << "clamped to the range";
  slider.SetRange(1, 100);
  slider.SetValue(50);
  EXPECT_EQ(slider.Value(), 50);
  // Carets count characters, not bytes or UTF-16 units: a e-acute euro emoji b.
  const std::string text =
      "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"
      "b";
  Control& edit = this->Get("edit_one");
  edit.SetText(text);
  EXPECT_EQ(edit.CaretPosition(), 5);
  edit.SetCaretPosition(4);
  EXPECT_EQ(edit.CaretPosition(), 4);
  edit.SetCaretPosition(99);
  EXPECT_EQ(edit.CaretPosition(), 5);
  EXPECT_EQ(edit.Text(), text);
  // Completions replace the ones offered before; none leaves none.
  for (const std::vector<std::string>& words : {std::vector<std::string>{"gimp", "x"}, {}}) {
    edit.SetCompletions(words);
    EXPECT_EQ(edit.Completions(), words);
  }
}

TYPED_TEST_P(ToolkitBehaviour, VirtualWindowsReceiveTheirBranchesNotifications) {
  RecordingSink page;
  this->window_->AddVirtualWindow("TestPage", &page);
  EXPECT_TRUE(this->Input().Click(this->Get("page_btn")));
  EXPECT_TRUE(this->Input().Click(this->Get("btn_one")));
  this->Pump();
  EXPECT_EQ(page.seen, "click page_btn 0 0;");
  this->window_->RemoveVirtualWindow("TestPage");
  EXPECT_TRUE(this->Input().Click(this->Get("page_btn")));
  this->Pump();
  EXPECT_EQ(this->window_->clicks, (std::vector<std::string>{"btn_one", "page_btn"}));
}

TYPED_TEST_P(ToolkitBehaviour, MenuCommandsCarryTheItemName) {
  std::unique_ptr<Menu> menu = this->window_->CreateMenu("test_menu.xml", Point{300, 200});
  ASSERT_NE(menu, nullptr);
  EXPECT_TRUE(menu->IsOpen());
  EXPECT_EQ(menu->VisibleItemCount(), 3);
  EXPECT_FALSE(menu->Trigger("secret")) << "hidden items cannot be chosen";
  EXPECT_FALSE(menu->Trigger("nothing"));
  EXPECT_TRUE(menu->Trigger("exit"));
  EXPECT_FALSE(menu->IsOpen());
  std::unique_ptr<Menu> second = this->window_->CreateMenu("test_menu.xml", Point{0, 0});
  EXPECT_TRUE(second->Trigger("MS_1_PLAY_PAUSE")) << "names compare without case";
  this->Pump();
  std::string commands;
  for (const Message& m : this->window_->messages) {
    const MenuCommand& c = *m.menu_command;
    commands += std::to_string(m.id) + " " + c.name + " " + c.text + " " + c.data + ";";
  }
  const std::string id = std::to_string(kMsgMenuCommand);
  EXPECT_EQ(commands,
            id + " exit <exit_text> bye;" + id + " ms_1_play_pause <play_pause_text> 65;");
  EXPECT_EQ(this->window_->CreateMenu("missing_menu.xml", Point{}), nullptr);
}

TYPED_TEST_P(ToolkitBehaviour, MessageBoxAnswersOkOnlyForItsOkButton) {
  this->toolkit_->SetResourceFolder(VEXEL_SOURCE_DIR "/res/");
  this->toolkit_->ScriptModalClick("btn_ok");
  this->toolkit_->ScriptModalClick("btn_cancel");
  this->toolkit_->ScriptModal([&](Window& w) { this->Input().CloseWindow(w); });
  this->toolkit_->ScriptModal([&](Window& w) { w.Close(5); });
  std::vector<int> answers;
  for (int i = 0; i < 4; ++i) {
    answers.push_back(CMsgWnd::Show(*this->toolkit_, this->window_.get(), "warning_title_text",
                                    "delete_profile_text"));
  }
  EXPECT_EQ(answers,
            (std::vector<int>{CMsgWnd::kOk, CMsgWnd::kCancel, CMsgWnd::kCancel, CMsgWnd::kCancel}));
  EXPECT_EQ(this->toolkit_->ModalLog(), std::vector<std::string>(4, "MsgWnd"));
}

TYPED_TEST_P(ToolkitBehaviour, ScriptedSaveAnswersTakeTheDefaultExtension) {
  FileDialogRequest save{FileDialogRequest::Mode::kSave, "Macro Flie", "*.macro;*.MACRO", "/tmp",
                         "macro"};
  FileDialogRequest open = save;
  open.mode = FileDialogRequest::Mode::kOpen;
  const struct {
    const FileDialogRequest& request;
    std::optional<std::string> answer;
    std::optional<std::string> expected;
  } cases[] = {{save, "/tmp/a", "/tmp/a.macro"},
               {save, "/tmp/a.bin", "/tmp/a.bin"},
               {save, "/tmp/v1.2/a", "/tmp/v1.2/a.macro"},
               {save, std::nullopt, std::nullopt},
               {open, "/tmp/a", "/tmp/a"}};
  for (const auto& c : cases) {
    this->toolkit_->ScriptFileDialog(c.answer);
    EXPECT_EQ(this->toolkit_->RunFileDialog(this->window_.get(), c.request), c.expected);
  }
  EXPECT_EQ(this->toolkit_->FileDialogLog().back().initial_folder, "/tmp");
}

REGISTER_TYPED_TEST_SUITE_P(
    ToolkitBehaviour, EachUserActionRaisesItsNotification,
    ProgrammaticChangesRaiseNothingUnlessAsked, TimersReachTheirWindowOrControlUntilKilled,
    MessagesFromOtherThreadsArriveInOrderOnTheUiThread, MessageLoopRunsPostedMessagesUntilQuit,
    ModalRunsReturnTheirCloseCode, ClosedAndDestroyedWindowsReceiveNothing,
    LabelsShowKeysThroughTheLanguageTableOrPlainText, ListsKeepItemsAndSlidersAndCaretsClamp,
    VirtualWindowsReceiveTheirBranchesNotifications, MenuCommandsCarryTheItemName,
    MessageBoxAnswersOkOnlyForItsOkButton, ScriptedSaveAnswersTakeTheDefaultExtension);

}  // namespace vexel::toolkit::testing
