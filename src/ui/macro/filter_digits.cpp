#include "ui/macro/filter_digits.h"

#include <algorithm>

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

}  // namespace vexel
