// Names are UTF-16 in fixed arrays that end at the first zero unit.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vexel {

// The name held in a fixed array: up to the first zero unit, or the whole
// array when a damaged record has no terminator.
template <std::size_t N>
std::u16string_view NameView(const char16_t (&units)[N]) {
  std::size_t length = 0;
  while (length < N && units[length] != 0) ++length;
  return std::u16string_view(units, length);
}

// Stores `name` cut to N - 1 units and zero-fills the rest, so the array
// always ends with a terminator.
template <std::size_t N>
void SetName(char16_t (&units)[N], std::u16string_view name) {
  const std::size_t length = name.size() < N - 1 ? name.size() : N - 1;
  for (std::size_t i = 0; i < N; ++i) units[i] = i < length ? name[i] : char16_t{0};
}

// Forces a terminator into the last unit of a name array (damaged input).
template <std::size_t N>
void TerminateName(char16_t (&units)[N]) {
  units[N - 1] = 0;
}

// Case-insensitive equality as the program compares names: per UTF-16 unit,
// folding ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic capitals.
char16_t FoldCase(char16_t unit);
bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b);

// UTF-8 <-> UTF-16 for names that cross the command line, JSON and XML.
// Invalid input sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace vexel
