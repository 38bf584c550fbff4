// The behaviour every toolkit implementation must show, run against each of
// them (a typed suite): the same controller code, the same layouts, the same
// expectations. A binary instantiates it with an environment type:
//
//   struct Env { static std::unique_ptr<toolkit::Toolkit> Make(Clock& clock); };
//   INSTANTIATE_TYPED_TEST_SUITE_P(Headless, ToolkitBehaviour, Env);
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
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
inline constexpr uint32_t kOtherTestMessage = kMsgUser + 101;

struct SeenNotification {
  std::string type;
  std::string sender;
  intptr_t wparam = 0;
  intptr_t lparam = 0;
  bool operator==(const SeenNotification&) const = default;
  friend std::ostream& operator<<(std::ostream& out, const SeenNotification& n) {
    return out << n.type << "(" << n.sender << ", " << n.wparam << ", " << n.lparam << ")";
  }
};

// Records everything a window class can observe.
class RecordingSink : public NotificationSink {
 public:
  void Notify(const Notification& n) override {
    seen.push_back({n.type, std::string(n.SenderName()), n.wparam, n.lparam});
  }
  std::vector<SeenNotification> seen;
};

class TestWindow : public Window {
 public:
  explicit TestWindow(Toolkit& toolkit, std::string skin = "behaviour.ui")
      : Window(toolkit), skin_(std::move(skin)) {}
  std::string WindowClassName() const override { return "TestWnd"; }
  std::string SkinFile() const override { return skin_; }
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

  Control& Get(std::string_view name) {
    Control* control = FindControl(name);
    if (!control) throw std::runtime_error("no control " + std::string(name));
    return *control;
  }
  std::vector<uint32_t> TimerIds() const {
    std::vector<uint32_t> ids;
    for (const Message& m : messages) {
      if (m.id == kMsgTimer) ids.push_back(static_cast<uint32_t>(m.wparam));
    }
    return ids;
  }

  RecordingSink sink;
  std::vector<std::string> clicks;
  std::vector<Message> messages;
  std::vector<std::thread::id> threads;
  std::vector<std::string> life;
  std::optional<int> close_on_click;

 private:
  std::string skin_;
};

inline const std::map<std::string, std::string, std::less<>>& TestTexts() {
  static const std::map<std::string, std::string, std::less<>> texts = {
      {"hello_text", "Hello"},
      {"other_text", "Other"},
      {"exit_text", "Exit"},
      {"warning_title_text", "Warning"},
      {"delete_profile_text", "Delete the selected profile?"},
  };
  return texts;
}

template <class Env>
class ToolkitBehaviour : public ::testing::Test {
 protected:
  void SetUp() override {
    toolkit_ = Env::Make(clock_);
    toolkit_->SetResourceFolder(VEXEL_SOURCE_DIR "/tests/toolkit/layouts/");
    toolkit_->SetTraceSink([this](std::string_view line) { trace_.emplace_back(line); });
    toolkit_->SetLanguage([](std::string_view key) {
      auto it = TestTexts().find(key);
      return it == TestTexts().end() ? std::string(key) : it->second;
    });
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
  Control& Get(std::string_view name) { return window_->Get(name); }
  std::vector<SeenNotification>& Seen() { return window_->sink.seen; }

  ManualClock clock_;
  std::unique_ptr<Toolkit> toolkit_;
  std::unique_ptr<TestWindow> window_;
  std::vector<std::string> trace_;
};

TYPED_TEST_SUITE_P(ToolkitBehaviour);

TYPED_TEST_P(ToolkitBehaviour, EachUserActionRaisesItsNotification) {
  UserInput& input = this->Input();
  struct Case {
    std::string what;
    std::function<bool()> act;
    std::vector<SeenNotification> expected;
  };
  const std::vector<Case> cases = {
      {"button", [&] { return input.Click(this->Get("btn_one")); }, {{"click", "btn_one", 0, 0}}},
      {"option",
       [&] { return input.Click(this->Get("option_b")); },
       {{"selectchanged", "option_b", 1, 0}}},
      {"check",
       [&] { return input.Click(this->Get("check_one")); },
       {{"checkclick", "check_one", 1, 0}}},
      {"list",
       [&] { return input.ChooseItem(this->Get("list_one"), 2); },
       {{"itemselect", "list_one", 2, -1}}},
      {"combo",
       [&] { return input.ChooseItem(this->Get("combo_one"), 1); },
       {{"itemselect", "combo_one", 1, 0}}},
      {"slider",
       [&] { return input.MoveSlider(this->Get("slider_one"), 7); },
       {{"valuechanged", "slider_one", 7, 0}}},
      {"edit",
       [&] { return input.Type(this->Get("edit_one"), "12a"); },
       {{"textchanged", "edit_one", 0, 0}}},
      {"return",
       [&] { return input.PressReturn(this->Get("edit_one")); },
       {{"return", "edit_one", 0, 0}}},
      {"focus in",
       [&] { return input.Focus(this->Get("edit_one")); },
       {{"setfocus", "edit_one", 0, 0}}},
      {"focus moves",
       [&] { return input.Focus(this->Get("edit_two")); },
       {{"killfocus", "edit_one", 0, 0}, {"setfocus", "edit_two", 0, 0}}},
      {"enter",
       [&] { return input.Hover(this->Get("btn_one"), true); },
       {{"mouseenter", "btn_one", 0, 0}}},
      {"leave",
       [&] { return input.Hover(this->Get("btn_one"), false); },
       {{"mouseleave", "btn_one", 0, 0}}},
      {"palette drag",
       [&] { return input.PickColour(this->Get("palette_one"), 0xFF102030, false); },
       {{"colorchanged", "palette_one", 0, 0}}},
      {"palette release",
       [&] { return input.PickColour(this->Get("palette_one"), 0xFF405060, true); },
       {{"colorchangedbuttonup", "palette_one", 0, 0}}},
  };
  for (const Case& c : cases) {
    this->Seen().clear();
    EXPECT_TRUE(c.act()) << c.what;
    this->Pump();
    EXPECT_EQ(this->Seen(), c.expected) << c.what;
  }
  EXPECT_EQ(this->Get("edit_one").Text(), "12a");
  EXPECT_EQ(this->Get("palette_one").SelectedColour(), 0xFF405060u);
  EXPECT_EQ(this->Get("slider_one").Value(), 7);
  EXPECT_EQ(this->window_->clicks, std::vector<std::string>{"btn_one"});
}

TYPED_TEST_P(ToolkitBehaviour, UnreachableControlsTakeNoUserAction) {
  EXPECT_FALSE(this->Input().Click(this->Get("btn_hidden")));
  EXPECT_FALSE(this->Input().Click(this->Get("btn_disabled")));
  EXPECT_FALSE(this->Input().Click(this->Get("btn_on_page_1")));  // page 0 is shown
  EXPECT_FALSE(this->Input().Click(this->Get("slider_one")));     // wrong kind
  this->Get("tab_one").SelectPage(1);
  EXPECT_TRUE(this->Input().Click(this->Get("btn_on_page_1")));
  this->Pump();
  EXPECT_EQ(this->window_->clicks, std::vector<std::string>{"btn_on_page_1"});
}

TYPED_TEST_P(ToolkitBehaviour, ProgrammaticChangesRaiseNothingUnlessAsked) {
  Control& list = this->Get("list_one");
  list.SelectItem(1, false);
  this->Get("combo_one").SelectItem(2, false);
  this->Get("option_b").SetChecked(true, false);
  this->Get("check_one").SetChecked(true, false);
  this->Get("slider_one").SetValue(9);
  this->Get("edit_one").SetText("abc");
  this->Pump();
  EXPECT_THAT(this->Seen(), ::testing::IsEmpty());
  EXPECT_EQ(list.SelectedItem(), 1);
  EXPECT_EQ(this->Get("combo_one").SelectedItem(), 2);
  EXPECT_TRUE(this->Get("option_b").IsChecked());
  EXPECT_EQ(this->Get("slider_one").Value(), 9);

  list.SelectItem(0, true);
  list.SelectItem(0, true);  // no change, no notification
  this->Get("option_a").SetChecked(true, true);
  this->Pump();
  const std::vector<SeenNotification> expected = {{"itemselect", "list_one", 0, 1},
                                                  {"selectchanged", "option_a", 1, 0}};
  EXPECT_EQ(this->Seen(), expected);
}

TYPED_TEST_P(ToolkitBehaviour, OptionsOfAGroupExcludeEachOther) {
  Control& a = this->Get("option_a");
  Control& b = this->Get("option_b");
  a.SetChecked(true);
  b.SetChecked(true);
  EXPECT_FALSE(a.IsChecked());
  EXPECT_TRUE(b.IsChecked());
  // A named group spans containers.
  Control& p1 = this->Get("prate_1");
  Control& p2 = this->Get("prate_2");
  EXPECT_TRUE(this->Input().Click(p1));
  EXPECT_TRUE(this->Input().Click(p2));
  EXPECT_FALSE(p1.IsChecked());
  EXPECT_TRUE(p2.IsChecked());
  EXPECT_TRUE(b.IsChecked()) << "other groups are untouched";
  // Clicking the selected option again changes nothing and raises nothing.
  this->Seen().clear();
  EXPECT_TRUE(this->Input().Click(p2));
  this->Pump();
  EXPECT_THAT(this->Seen(), ::testing::IsEmpty());
}

// The period, restart and kill rules are TimerSchedule's; here only that each
// toolkit routes window timers as messages and control timers as notifications.
TYPED_TEST_P(ToolkitBehaviour, TimersReachTheirWindowOrControlUntilKilled) {
  TestWindow& w = *this->window_;
  Control& progress = this->Get("progress_one");
  w.SetTimer(513, 500);
  progress.SetTimer(53, 500);
  this->Advance(499);
  EXPECT_THAT(w.TimerIds(), ::testing::IsEmpty());
  this->Advance(1);
  EXPECT_EQ(w.TimerIds(), std::vector<uint32_t>{513});
  EXPECT_EQ(this->Seen(), (std::vector<SeenNotification>{{"timer", "progress_one", 53, 0}}));
  w.KillTimer(513);
  progress.KillTimer(53);
  this->Advance(5000);
  EXPECT_EQ(w.TimerIds().size(), 1u);
  EXPECT_EQ(this->Seen().size(), 1u);
}

TYPED_TEST_P(ToolkitBehaviour, MessagesFromOtherThreadsArriveInOrderOnTheUiThread) {
  constexpr int kPerThread = 200;
  std::vector<std::thread> posters;
  for (int t = 0; t < 2; ++t) {
    posters.emplace_back([this, t] {
      for (int i = 0; i < kPerThread; ++i) {
        this->window_->PostMessage(kTestMessage + t, static_cast<uintptr_t>(i), t);
      }
    });
  }
  for (std::thread& poster : posters) poster.join();
  EXPECT_THAT(this->window_->messages, ::testing::IsEmpty()) << "nothing runs before the loop";
  this->Pump();
  std::vector<int> next(2, 0);
  for (size_t i = 0; i < this->window_->messages.size(); ++i) {
    const Message& m = this->window_->messages[i];
    const int t = static_cast<int>(m.id - kTestMessage);
    ASSERT_TRUE(t == 0 || t == 1);
    EXPECT_EQ(m.wparam, static_cast<uintptr_t>(next[t]++));
    EXPECT_EQ(this->window_->threads[i], std::this_thread::get_id());
  }
  EXPECT_EQ(next, (std::vector<int>{kPerThread, kPerThread}));
}

TYPED_TEST_P(ToolkitBehaviour, MessageLoopRunsPostedMessagesUntilQuit) {
  struct QuitOnTestMessage : TestWindow {
    using TestWindow::TestWindow;
    bool HandleCustomMessage(const Message& m) override {
      TestWindow::HandleCustomMessage(m);
      if (m.id == kTestMessage) toolkit().Quit(3);
      return true;
    }
  };
  QuitOnTestMessage window(*this->toolkit_);
  ASSERT_TRUE(window.Create());
  std::thread poster([&] {
    window.PostMessage(kOtherTestMessage);
    window.PostMessage(kTestMessage);
  });
  EXPECT_EQ(this->toolkit_->RunMessageLoop(), 3);
  poster.join();
  ASSERT_EQ(window.messages.size(), 2u);
  EXPECT_EQ(window.messages[0].id, kOtherTestMessage);
  this->toolkit_->Quit(4);  // a quit before the loop ends it at once
  EXPECT_EQ(this->toolkit_->RunMessageLoop(), 4);
}

TYPED_TEST_P(ToolkitBehaviour, ModalRunsReturnTheirCloseCode) {
  struct Case {
    std::string what;
    Toolkit::ModalScript script;
    int expected;
  };
  const std::vector<Case> cases = {
      {"button closes with 7",
       [this](Window& w) { this->Input().Click(*w.FindControl("btn_one")); }, 7},
      {"Close(3)", [](Window& w) { w.Close(3); }, 3},
      {"window manager close", [this](Window& w) { this->Input().CloseWindow(w); }, 0},
  };
  for (const Case& c : cases) {
    TestWindow dialog(*this->toolkit_);
    dialog.close_on_click = 7;
    ASSERT_TRUE(dialog.Create(this->window_.get(), {.tool_window = true, .visible = false}));
    this->toolkit_->ScriptModal(c.script);
    EXPECT_EQ(dialog.ShowModal(), c.expected) << c.what;
    EXPECT_FALSE(dialog.IsCreated()) << c.what;
    EXPECT_EQ(dialog.life,
              (std::vector<std::string>{"destroy message", "OnDestroy", "OnFinalMessage"}))
        << c.what;
  }
  EXPECT_EQ(this->toolkit_->ModalLog().size(), cases.size());
}

TYPED_TEST_P(ToolkitBehaviour, NestedModalsTakeScriptsInOpeningOrder) {
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
  EXPECT_EQ(this->toolkit_->ModalLog(), (std::vector<std::string>{"TestWnd", "TestWnd"}));
}

TYPED_TEST_P(ToolkitBehaviour, ClosedAndDestroyedWindowsReceiveNothing) {
  auto other = std::make_unique<TestWindow>(*this->toolkit_);
  ASSERT_TRUE(other->Create());
  other->Close(1);
  other->Close(2);
  this->Pump();
  EXPECT_EQ(other->life,
            (std::vector<std::string>{"destroy message", "OnDestroy", "OnFinalMessage"}));
  // Timers and messages aimed at the closed window are dropped.
  other->SetTimer(1, 10);
  other->PostMessage(kTestMessage);
  this->Advance(100);
  EXPECT_EQ(other->messages.size(), 1u);  // only kMsgDestroy
  EXPECT_EQ(other->FindControl("btn_one"), nullptr);
  // A window object destroyed while open: its timers and messages go with it.
  auto open = std::make_unique<TestWindow>(*this->toolkit_);
  ASSERT_TRUE(open->Create());
  open->SetTimer(5, 10);
  open->Get("progress_one").SetTimer(53, 10);
  open->PostMessage(kTestMessage);
  open.reset();
  this->Advance(100);  // nothing may reach the destroyed object (sanitizers)
  EXPECT_TRUE(this->window_->IsCreated());
}

TYPED_TEST_P(ToolkitBehaviour, LabelsShowKeysThroughTheLanguageTableOrPlainText) {
  Control& key = this->Get("label_key");
  Control& plain = this->Get("label_plain");
  EXPECT_EQ(key.GetTextMode(), TextMode::kLanguageKey);
  EXPECT_EQ(key.Text(), "hello_text");
  EXPECT_EQ(key.ShownText(), "Hello");
  EXPECT_EQ(plain.GetTextMode(), TextMode::kPlain);
  EXPECT_EQ(plain.ShownText(), "hello_text");
  key.SetText("other_text");
  EXPECT_EQ(key.ShownText(), "Other");
  key.SetTextMode(TextMode::kPlain);
  key.SetText("57%");
  EXPECT_EQ(key.ShownText(), "57%");
  plain.SetTextMode(TextMode::kLanguageKey);
  plain.SetText("unknown_text");
  EXPECT_EQ(plain.ShownText(), "unknown_text") << "a key without a text shows as itself";
  this->toolkit_->SetLanguage([](std::string_view) { return std::string("Replaced"); });
  EXPECT_EQ(plain.ShownText(), "Replaced");
}

TYPED_TEST_P(ToolkitBehaviour, ListsAndCombosKeepItemsWithFixedHeights) {
  Control& list = this->Get("list_one");
  EXPECT_EQ(list.ItemCount(), 3);
  EXPECT_EQ(list.AddItem("fourth", 22), 3);
  EXPECT_EQ(list.ItemHeight(3), 22);
  list.SelectItem(2, false);
  list.RemoveItem(0);
  EXPECT_EQ(list.ItemText(0), "second");
  EXPECT_EQ(list.SelectedItem(), 1) << "selection follows its item";
  Control* row = list.AddLayoutItem("row.ui", 30);
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(list.ItemHeight(3), 30);
  Control* key = row->FindChild("key");
  ASSERT_NE(key, nullptr);
  key->SetText("A");
  EXPECT_EQ(key->ShownText(), "A");
  list.RemoveAllItems();
  EXPECT_EQ(list.ItemCount(), 0);
  EXPECT_EQ(list.SelectedItem(), -1);
  EXPECT_EQ(this->Get("combo_one").ItemText(2), "blue");
}

TYPED_TEST_P(ToolkitBehaviour, SlidersClampAndCaretsCountCharacters) {
  Control& slider = this->Get("slider_one");
  EXPECT_EQ(slider.Minimum(), 1);
  EXPECT_EQ(slider.Maximum(), 20);
  slider.SetValue(50);
  EXPECT_EQ(slider.Value(), 20) << "clamped to the range";
  slider.SetRange(1, 100);
  slider.SetValue(50);
  EXPECT_EQ(slider.Value(), 50);
  Control& edit = this->Get("edit_one");
  // Carets count characters, not bytes or UTF-16 units.
  edit.SetText(
      "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"
      "b");  // a e-acute euro emoji b
  EXPECT_EQ(edit.CaretPosition(), 5);
  edit.SetCaretPosition(4);
  EXPECT_EQ(edit.CaretPosition(), 4);
  edit.SetCaretPosition(99);
  EXPECT_EQ(edit.CaretPosition(), 5);
  EXPECT_EQ(edit.Text(),
            "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"
            "b");
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
  EXPECT_EQ(page.seen, (std::vector<SeenNotification>{{"click", "page_btn", 0, 0}}));
  EXPECT_EQ(this->window_->clicks, std::vector<std::string>{"btn_one"});
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
  this->Pump();
  ASSERT_EQ(this->window_->messages.size(), 1u);
  const Message& m = this->window_->messages[0];
  EXPECT_EQ(m.id, kMsgMenuCommand);
  ASSERT_NE(m.menu_command, nullptr);
  EXPECT_EQ(m.menu_command->name, "exit");
  EXPECT_EQ(m.menu_command->text, "Exit");
  EXPECT_EQ(m.menu_command->data, "bye");
  EXPECT_FALSE(menu->IsOpen());

  std::unique_ptr<Menu> second = this->window_->CreateMenu("test_menu.xml", Point{0, 0});
  ASSERT_NE(second, nullptr);
  EXPECT_TRUE(second->Trigger("MS_1_PLAY_PAUSE")) << "names compare without case";
  this->Pump();
  ASSERT_EQ(this->window_->messages.size(), 2u);
  EXPECT_EQ(this->window_->messages[1].menu_command->name, "ms_1_play_pause");
  EXPECT_EQ(this->window_->CreateMenu("missing_menu.xml", Point{}), nullptr);
}

TYPED_TEST_P(ToolkitBehaviour, MessageBoxAnswersOkOnlyForItsOkButton) {
  this->toolkit_->SetResourceFolder(VEXEL_SOURCE_DIR "/res/");
  struct Case {
    std::string what;
    Toolkit::ModalScript script;
    int expected;
  };
  std::string title_seen;
  std::string message_seen;
  const std::vector<Case> cases = {
      {"OK",
       [&](Window& w) {
         title_seen = w.FindControl("warning_title")->ShownText();
         message_seen = w.FindControl("warning")->ShownText();
         this->Input().Click(*w.FindControl("btn_ok"));
       },
       CMsgWnd::kOk},
      {"Cancel", [&](Window& w) { this->Input().Click(*w.FindControl("btn_cancel")); },
       CMsgWnd::kCancel},
      {"closed from the title bar", [&](Window& w) { this->Input().CloseWindow(w); },
       CMsgWnd::kCancel},
      {"closed by code 5", [&](Window& w) { w.Close(5); }, CMsgWnd::kCancel},
  };
  for (const Case& c : cases) {
    this->toolkit_->ScriptModal(c.script);
    EXPECT_EQ(CMsgWnd::Show(*this->toolkit_, this->window_.get(), "warning_title_text",
                            "delete_profile_text"),
              c.expected)
        << c.what;
  }
  EXPECT_EQ(title_seen, "Warning");
  EXPECT_EQ(message_seen, "Delete the selected profile?");
  EXPECT_EQ(this->toolkit_->ModalLog(),
            std::vector<std::string>(cases.size(), std::string("MsgWnd")));
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
    ToolkitBehaviour, EachUserActionRaisesItsNotification, UnreachableControlsTakeNoUserAction,
    ProgrammaticChangesRaiseNothingUnlessAsked, OptionsOfAGroupExcludeEachOther,
    TimersReachTheirWindowOrControlUntilKilled, MessagesFromOtherThreadsArriveInOrderOnTheUiThread,
    MessageLoopRunsPostedMessagesUntilQuit, ModalRunsReturnTheirCloseCode,
    NestedModalsTakeScriptsInOpeningOrder, ClosedAndDestroyedWindowsReceiveNothing,
    LabelsShowKeysThroughTheLanguageTableOrPlainText, ListsAndCombosKeepItemsWithFixedHeights,
    SlidersClampAndCaretsCountCharacters, VirtualWindowsReceiveTheirBranchesNotifications,
    MenuCommandsCarryTheItemName, MessageBoxAnswersOkOnlyForItsOkButton,
    ScriptedSaveAnswersTakeTheDefaultExtension);

}  // namespace vexel::toolkit::testing
