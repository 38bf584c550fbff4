// The texts behind the language keys ("warning_title_text", ...), loaded from
// res/lan.xml. A key without a text reads as the key itself, so a missing text
// shows on screen instead of an empty label.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

namespace vexel {

class LanguageTable {
 public:
  // Replaces the table with the entries of the file; false (table unchanged,
  // `error` set) when the file cannot be read or parsed.
  bool LoadFile(const std::string& path, std::string* error = nullptr);
  bool LoadText(std::string_view xml, std::string* error = nullptr);

  // UTF-8 text of `key`, or `key` itself when the table has no text for it.
  std::string Text(std::string_view key) const;
  bool Has(std::string_view key) const;
  std::size_t size() const { return texts_.size(); }

 private:
  std::unordered_map<std::string, std::string> texts_;
};

}  // namespace vexel
