// Numeric text fields accept digits only.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vexel {
namespace toolkit {
class Control;
}

// The text of an edit field and where its caret stands, in characters from the
// start (an empty selection).
struct EditText {
  std::string text;  // UTF-8
  std::size_t caret = 0;
  friend bool operator==(const EditText&, const EditText&) = default;
};

// A field holding digits only comes back untouched, caret included. Otherwise
// every character other than 0-9 is dropped and the caret goes to the end.
EditText FilterDigits(EditText field);

// The same on an edit control, called on its "textchanged" with its current
// text: sets the digits and puts the caret at the end only when something was
// removed.
void FilterDigits(toolkit::Control& field, std::string_view text);

}  // namespace vexel
