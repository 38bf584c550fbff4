#include <tinyxml2.h>

#include <algorithm>
#include <cctype>

#include "toolkit/menu.h"

namespace vexel::toolkit {
namespace {

constexpr int kMaxMenuDepth = 8;

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

std::string Attribute(const tinyxml2::XMLElement& element, const char* name) {
  const char* value = element.Attribute(name);
  return value ? value : "";
}

bool ParseItems(const tinyxml2::XMLElement& parent, int depth, std::vector<MenuItem>* items,
                std::string* error) {
  if (depth > kMaxMenuDepth) {
    *error = "menus nested too deeply";
    return false;
  }
  for (const auto* child = parent.FirstChildElement(); child; child = child->NextSiblingElement()) {
    const std::string_view tag = child->Name();
    MenuItem item;
    item.visible = child->BoolAttribute("visible", true);
    if (tag == "separator") {
      item.separator = true;
    } else if (tag == "item" || tag == "menu") {
      item.name = Attribute(*child, "name");
      item.text = Attribute(*child, "text");
      item.data = Attribute(*child, "data");
      item.checkable = child->Attribute("checked") != nullptr;
      item.checked = child->BoolAttribute("checked", false);
      if (tag == "menu") {
        if (!ParseItems(*child, depth + 1, &item.children, error)) return false;
      } else if (item.name.empty()) {
        *error = "menu item without a name";
        return false;
      }
    } else {
      *error = "unknown menu element <" + std::string(tag) + ">";
      return false;
    }
    items->push_back(std::move(item));
  }
  return true;
}

const MenuItem* FindIn(const std::vector<MenuItem>& items, std::string_view name) {
  for (const MenuItem& item : items) {
    if (!item.separator && item.children.empty() && EqualsNoCase(item.name, name)) return &item;
    if (const MenuItem* found = FindIn(item.children, name)) return found;
  }
  return nullptr;
}

bool ParseDocument(tinyxml2::XMLDocument& doc, MenuLayout* layout, std::string* error) {
  if (doc.Error()) {
    *error = doc.ErrorStr();
    return false;
  }
  const tinyxml2::XMLElement* root = doc.RootElement();
  if (!root || std::string_view(root->Name()) != "menu") {
    *error = "root element is not <menu>";
    return false;
  }
  MenuLayout parsed;
  if (!ParseItems(*root, 0, &parsed.items, error)) return false;
  *layout = std::move(parsed);
  return true;
}

}  // namespace

int MenuLayout::VisibleItemCount() const {
  return static_cast<int>(std::count_if(items.begin(), items.end(), [](const MenuItem& item) {
    return item.visible && !item.separator;
  }));
}

const MenuItem* MenuLayout::Find(std::string_view name) const {
  return FindIn(items, name);
}

bool ParseMenuLayout(std::string_view xml, MenuLayout* layout, std::string* error) {
  std::string ignored;
  if (!error) error = &ignored;
  tinyxml2::XMLDocument doc;
  doc.Parse(xml.data(), xml.size());
  return ParseDocument(doc, layout, error);
}

bool LoadMenuLayout(const std::string& path, MenuLayout* layout, std::string* error) {
  std::string ignored;
  if (!error) error = &ignored;
  tinyxml2::XMLDocument doc;
  doc.LoadFile(path.c_str());
  return ParseDocument(doc, layout, error);
}

}  // namespace vexel::toolkit
