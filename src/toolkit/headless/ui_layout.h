// Reads a Qt Designer .ui file into a plain tree, so the headless toolkit builds
// exactly the controls the real skin has. Layouts are flattened: a widget's
// children are the widgets found under it, at any layout depth.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/geometry.h"

namespace vexel::toolkit::headless {

struct UiProperty {
  std::string text;  // <string>, <enum>, <cstring>, or the number/bool as text
  int number = 0;
  bool boolean = false;
  bool has_rect = false;
  Rect rect;
};

struct UiNode {
  std::string class_name;
  std::string name;
  std::map<std::string, UiProperty, std::less<>> properties;
  std::vector<std::string> items;  // QComboBox / QListWidget entries
  std::vector<std::unique_ptr<UiNode>> children;

  const UiProperty* Property(std::string_view property) const;
  std::string Text(std::string_view property, std::string_view fallback = {}) const;
  int Number(std::string_view property, int fallback) const;
  bool Bool(std::string_view property, bool fallback) const;
};

// Untrusted input: nullptr and `error` set when the file is not a usable .ui.
std::unique_ptr<UiNode> LoadUiFile(const std::string& path, std::string* error);
std::unique_ptr<UiNode> ParseUi(std::string_view xml, std::string* error);

}  // namespace vexel::toolkit::headless
