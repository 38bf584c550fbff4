#include "ui/macro/filter_digits.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace vexel
