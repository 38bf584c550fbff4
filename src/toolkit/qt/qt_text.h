// UTF-8 <-> QString, and caret positions between code points (the toolkit's
// unit) and UTF-16 indices (Qt's).
#pragma once

#include <QString>
#include <string_view>

namespace vexel::toolkit::qt {

inline QString ToQ(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline int CodePointsBefore(const QString& text, int utf16_index) {
  return static_cast<int>(text.left(utf16_index).toUcs4().size());
}

inline int Utf16Index(const QString& text, int code_points) {
  int index = 0;
  for (int seen = 0; seen < code_points && index < text.size(); ++seen) {
    index += (text[index].isHighSurrogate() && index + 1 < text.size()) ? 2 : 1;
  }
  return index;
}

}  // namespace vexel::toolkit::qt
