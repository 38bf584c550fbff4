#include "ui/macro/filter_digits.h"

#include <gtest/gtest.h>

#include "platform/clock.h"
#include "toolkit/control.h"
#include "toolkit/headless/headless_toolkit.h"
#include "toolkit/window.h"

namespace vexel {
namespace {

TEST(FilterDigitsTest, KeepsDigitsAndMovesTheCaretOnlyWhenSomethingWasRemoved) {
  struct Case {
    EditText typed;
    EditText expected;
  };
  const Case cases[] = {
      {{"a1b2", 4}, {"12", 2}},
      {{"ab1", 1}, {"1", 1}},
      {{"123", 1}, {"123", 1}},  // untouched, caret included
      {{"", 0}, {"", 0}},
      {{"abc", 2}, {"", 0}},
      {{"1\u00E92 3", 1}, {"123", 3}},  // a two-byte character goes whole
      {{"-5", 2}, {"5", 1}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FilterDigits(c.typed), c.expected) << c.typed.text;
  }
}

// A numeric field that filters itself on "textchanged", as the dialogs do.
class DigitsWindow : public toolkit::Window {
 public:
  using Window::Window;
  std::string WindowClassName() const override { return "DigitsWnd"; }
  std::string SkinFile() const override { return "digits.ui"; }
  void Notify(const toolkit::Notification& notification) override {
    if (notification.Is(toolkit::kNotifyTextChanged)) {
      FilterDigits(*notification.sender, notification.sender->Text());
    }
  }
};

TEST(FilterDigitsTest, FiltersAnEditControlAsTheUserTypes) {
  ManualClock clock;
  toolkit::headless::HeadlessToolkit toolkit(clock);
  toolkit.SetResourceFolder(VEXEL_SOURCE_DIR "/tests/ui/macro/layouts");
  DigitsWindow window(toolkit);
  ASSERT_TRUE(window.Create());
  toolkit::Control* field = window.FindControl("edit_loop_time");
  ASSERT_NE(field, nullptr);

  ASSERT_TRUE(toolkit.Input().Type(*field, "a1b2"));
  EXPECT_EQ(field->Text(), "12");
  EXPECT_EQ(field->CaretPosition(), 2);

  ASSERT_TRUE(toolkit.Input().Type(*field, "123"));
  field->SetCaretPosition(1);
  FilterDigits(*field, field->Text());
  EXPECT_EQ(field->Text(), "123");
  EXPECT_EQ(field->CaretPosition(), 1);
}

}  // namespace
}  // namespace vexel
