#include "ui/macro/filter_digits.h"

#include <algorithm>

#include "toolkit/control.h"

namespace vexel {

EditText FilterDigits(EditText field) {
  // Bytes of multi-byte UTF-8 characters are never ASCII digits, so dropping
  // non-digit bytes drops whole characters.
  const auto is_not_digit = [](char c) { return c < '0' || c > '9'; };
  const auto first_removed = std::remove_if(field.text.begin(), field.text.end(), is_not_digit);
  if (first_removed == field.text.end()) return field;
  field.text.erase(first_removed, field.text.end());
  field.caret = field.text.size();
  return field;
}

void FilterDigits(toolkit::Control& field, std::string_view text) {
  const std::size_t caret = static_cast<std::size_t>(std::max(field.CaretPosition(), 0));
  EditText typed{std::string(text), caret};
  const EditText filtered = FilterDigits(typed);
  if (filtered == typed) return;
  field.SetText(filtered.text);
  field.SetCaretPosition(static_cast<int>(filtered.caret));
}

}  // namespace vexel
