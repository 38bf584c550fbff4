#include "toolkit/headless/ui_layout.h"

#include <tinyxml2.h>

namespace vexel::toolkit::headless {
namespace {

// Deep enough for any real skin, shallow enough that hostile input cannot
// exhaust the stack.
constexpr int kMaxDepth = 64;

using tinyxml2::XMLElement;

int IntText(const XMLElement* element) {
  int value = 0;
  if (element) element->QueryIntText(&value);
  return value;
}

UiProperty ReadProperty(const XMLElement& property) {
  UiProperty value;
  const XMLElement* content = property.FirstChildElement();
  if (!content) return value;
  const std::string_view type = content->Name();
  const char* text = content->GetText();
  if (type == "string" || type == "enum" || type == "cstring" || type == "set") {
    value.text = text ? text : "";
  } else if (type == "bool") {
    value.boolean = text && std::string_view(text) == "true";
    value.text = value.boolean ? "true" : "false";
  } else if (type == "number") {
    value.number = IntText(content);
    value.text = std::to_string(value.number);
  } else if (type == "rect") {
    value.has_rect = true;
    const int x = IntText(content->FirstChildElement("x"));
    const int y = IntText(content->FirstChildElement("y"));
    value.rect = Rect{x, y, x + IntText(content->FirstChildElement("width")),
                      y + IntText(content->FirstChildElement("height"))};
  }
  return value;
}

bool ReadWidget(const XMLElement& element, int depth, UiNode* node, std::string* error);

// Collects the widgets below `element`, looking through layouts and items.
bool ReadChildren(const XMLElement& element, int depth, UiNode* node, std::string* error) {
  if (depth > kMaxDepth) {
    *error = "layout nested too deeply";
    return false;
  }
  for (const XMLElement* child = element.FirstChildElement(); child;
       child = child->NextSiblingElement()) {
    const std::string_view tag = child->Name();
    if (tag == "widget") {
      auto widget = std::make_unique<UiNode>();
      if (!ReadWidget(*child, depth + 1, widget.get(), error)) return false;
      node->children.push_back(std::move(widget));
    } else if (tag == "layout" || (tag == "item" && !child->FirstChildElement("property"))) {
      if (!ReadChildren(*child, depth + 1, node, error)) return false;
    } else if (tag == "item") {
      const XMLElement* text = child->FirstChildElement("property");
      node->items.push_back(text ? ReadProperty(*text).text : "");
    }
  }
  return true;
}

bool ReadWidget(const XMLElement& element, int depth, UiNode* node, std::string* error) {
  const char* class_name = element.Attribute("class");
  if (!class_name) {
    *error = "widget without a class";
    return false;
  }
  node->class_name = class_name;
  const char* name = element.Attribute("name");
  node->name = name ? name : "";
  for (const XMLElement* property = element.FirstChildElement("property"); property;
       property = property->NextSiblingElement("property")) {
    const char* property_name = property->Attribute("name");
    if (property_name) node->properties[property_name] = ReadProperty(*property);
  }
  return ReadChildren(element, depth, node, error);
}

std::unique_ptr<UiNode> ReadDocument(tinyxml2::XMLDocument& doc, std::string* error) {
  std::string ignored;
  if (!error) error = &ignored;
  if (doc.Error()) {
    *error = doc.ErrorStr();
    return nullptr;
  }
  const XMLElement* root = doc.RootElement();
  const XMLElement* widget = root ? root->FirstChildElement("widget") : nullptr;
  if (!root || std::string_view(root->Name()) != "ui" || !widget) {
    *error = "not a Designer .ui file (no <ui><widget>)";
    return nullptr;
  }
  auto node = std::make_unique<UiNode>();
  if (!ReadWidget(*widget, 0, node.get(), error)) return nullptr;
  return node;
}

}  // namespace

const UiProperty* UiNode::Property(std::string_view property) const {
  auto it = properties.find(property);
  return it == properties.end() ? nullptr : &it->second;
}

std::string UiNode::Text(std::string_view property, std::string_view fallback) const {
  const UiProperty* value = Property(property);
  return value ? value->text : std::string(fallback);
}

int UiNode::Number(std::string_view property, int fallback) const {
  const UiProperty* value = Property(property);
  return value ? value->number : fallback;
}

bool UiNode::Bool(std::string_view property, bool fallback) const {
  const UiProperty* value = Property(property);
  return value ? value->boolean : fallback;
}

std::unique_ptr<UiNode> LoadUiFile(const std::string& path, std::string* error) {
  tinyxml2::XMLDocument doc;
  doc.LoadFile(path.c_str());
  return ReadDocument(doc, error);
}

std::unique_ptr<UiNode> ParseUi(std::string_view xml, std::string* error) {
  tinyxml2::XMLDocument doc;
  doc.Parse(xml.data(), xml.size());
  return ReadDocument(doc, error);
}

}  // namespace vexel::toolkit::headless
