#include "language/language_table.h"

#include <tinyxml2.h>

#include <cstring>
#include <fstream>
#include <sstream>

namespace vexel {
namespace {

constexpr const char* kRootName = "language";
constexpr const char* kEntryName = "text";
constexpr const char* kKeyAttribute = "key";

void SetError(std::string* error, std::string message) {
  if (error) *error = std::move(message);
}

}  // namespace

bool LanguageTable::LoadFile(const std::string& path, std::string* error) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  if (!file || !(content << file.rdbuf())) {
    SetError(error, path + ": cannot read the file");
    return false;
  }
  if (!LoadText(content.str(), error)) {
    if (error) *error = path + ": " + *error;
    return false;
  }
  return true;
}

bool LanguageTable::LoadText(std::string_view xml, std::string* error) {
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
  std::unordered_map<std::string, std::string> texts;
  for (const auto* entry = root->FirstChildElement(kEntryName); entry;
       entry = entry->NextSiblingElement(kEntryName)) {
    const char* key = entry->Attribute(kKeyAttribute);
    if (!key || key[0] == '\0') {
      SetError(error, "line " + std::to_string(entry->GetLineNum()) + ": <" + kEntryName +
                          "> without a " + kKeyAttribute + " attribute");
      return false;
    }
    const char* text = entry->GetText();
    texts.insert_or_assign(key, text ? text : "");
  }
  texts_ = std::move(texts);
  return true;
}

std::string LanguageTable::Text(std::string_view key) const {
  const auto it = texts_.find(std::string(key));
  return it != texts_.end() ? it->second : std::string(key);
}

bool LanguageTable::Has(std::string_view key) const {
  return texts_.find(std::string(key)) != texts_.end();
}

}  // namespace vexel
