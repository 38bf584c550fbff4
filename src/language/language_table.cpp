#include "language/language_table.h"

#include <tinyxml2.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

namespace vexel {
namespace {

constexpr const char* kRootName = "language";
constexpr const char* kEntryName = "text";
constexpr const char* kKeyAttribute = "key";

void SetError(std::string* error, std::string message) {
  if (error) *error = std::move(message);
}

}  // namespace

bool LanguageTable::ReadFile(const std::string& path, Texts* texts, std::string* error) {
  // C stdio, not streams: a stream would set up the C++ locale machinery,
  // some hundreds of kilobytes, for this one read at start-up.
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                             &std::fclose);
  std::string content;
  char chunk[16384];
  std::size_t got = 0;
  while (file && (got = std::fread(chunk, 1, sizeof(chunk), file.get())) > 0) {
    content.append(chunk, got);
  }
  if (!file || std::ferror(file.get())) {
    SetError(error, path + ": cannot read the file");
    return false;
  }
  if (!Parse(content, texts, error)) {
    if (error) *error = path + ": " + *error;
    return false;
  }
  return true;
}

bool LanguageTable::LoadFile(const std::string& path, std::string* error) {
  Texts texts;
  if (!ReadFile(path, &texts, error)) return false;
  texts_ = std::move(texts);
  return true;
}

bool LanguageTable::AddFile(const std::string& path, std::string* error) {
  Texts texts;
  if (!ReadFile(path, &texts, error)) return false;
  for (auto& [key, text] : texts) texts_.insert_or_assign(key, std::move(text));
  return true;
}

bool LanguageTable::LoadText(std::string_view xml, std::string* error) {
  Texts texts;
  if (!Parse(xml, &texts, error)) return false;
  texts_ = std::move(texts);
  return true;
}

bool LanguageTable::Parse(std::string_view xml, Texts* texts, std::string* error) {
  tinyxml2::XMLDocument document;
  if (document.Parse(xml.data(), xml.size()) != tinyxml2::XML_SUCCESS) {
    SetError(error, document.ErrorStr());
    return false;
  }
  const tinyxml2::XMLElement* root = document.RootElement();
  if (!root || std::strcmp(root->Name(), kRootName) != 0) {
    SetError(error, std::string("the root element must be <") + kRootName + ">");
    return false;
  }
  for (const auto* entry = root->FirstChildElement(kEntryName); entry;
       entry = entry->NextSiblingElement(kEntryName)) {
    const char* key = entry->Attribute(kKeyAttribute);
    if (!key || key[0] == '\0') {
      SetError(error, "line " + std::to_string(entry->GetLineNum()) + ": <" + kEntryName +
                          "> without a " + kKeyAttribute + " attribute");
      return false;
    }
    const char* text = entry->GetText();
    texts->insert_or_assign(key, text ? text : "");
  }
  return true;
}

std::string LanguageTable::Text(std::string_view key) const {
  const auto it = texts_.find(std::string(key));
  return it != texts_.end() ? it->second : std::string(key);
}

bool LanguageTable::Has(std::string_view key) const {
  return texts_.find(std::string(key)) != texts_.end();
}

std::string MessagesLanguage(const std::function<const char*(const char*)>& env) {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = env(variable);
    if (!value || value[0] == '\0') continue;
    // "de_DE.UTF-8", "de@euro", "de": the letters before the territory,
    // codeset or modifier. "C", "C.UTF-8" and "POSIX" are the untranslated
    // program.
    std::string language;
    for (const char* c = value; std::islower(static_cast<unsigned char>(*c)); ++c) {
      language += *c;
    }
    return language;
  }
  return {};
}

bool LoadLanguageTables(LanguageTable& table, const std::string& folder, std::string_view language,
                        std::string* error) {
  if (!table.LoadFile(folder + "lan.xml", error)) return false;
  if (language.empty()) return true;
  const std::string translation = folder + "lan." + std::string(language) + ".xml";
  std::error_code ignored;
  if (std::filesystem::is_regular_file(translation, ignored)) table.AddFile(translation, error);
  return true;
}

}  // namespace vexel
