// The texts behind the language keys ("warning_title_text", ...), loaded from
// res/lan.xml (English) and, over it, the table of the user's language
// (res/lan.de.xml). A key without a text reads as the key itself, so a missing
// text shows on screen instead of an empty label.
#pragma once

#include <functional>
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
  // Adds the entries of the file over the present ones; keys the file lacks
  // keep their texts. False (table unchanged) as LoadFile.
  bool AddFile(const std::string& path, std::string* error = nullptr);

  // UTF-8 text of `key`, or `key` itself when the table has no text for it.
  std::string Text(std::string_view key) const;
  bool Has(std::string_view key) const;
  std::size_t size() const { return texts_.size(); }

 private:
  using Texts = std::unordered_map<std::string, std::string>;
  static bool ReadFile(const std::string& path, Texts* texts, std::string* error);
  static bool Parse(std::string_view xml, Texts* texts, std::string* error);

  Texts texts_;
};

// The language the user reads messages in, as the C library decides it:
// LC_ALL, else LC_MESSAGES, else LANG (the first that is set and not empty),
// cut to its language code ("de_DE.UTF-8" gives "de"); "" for C, POSIX or
// nothing set. `env` is getenv or a stand-in.
std::string MessagesLanguage(const std::function<const char*(const char*)>& env);

// "lan.xml" of `folder` (ending in '/'), then over it "lan.<language>.xml"
// when that file exists. False only when lan.xml cannot be loaded; a broken
// translation leaves the English table and sets `error` all the same.
bool LoadLanguageTables(LanguageTable& table, const std::string& folder, std::string_view language,
                        std::string* error);

}  // namespace vexel
