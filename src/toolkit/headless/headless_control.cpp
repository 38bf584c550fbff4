#include "toolkit/headless/headless_control.h"

#include <algorithm>

#include "toolkit/headless/headless_toolkit.h"
#include "toolkit/headless/headless_window.h"

namespace vexel::toolkit::headless {
namespace {

int Utf8Length(std::string_view text) {
  return static_cast<int>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

}  // namespace

HeadlessControl::HeadlessControl(HeadlessWindowBackend& window, HeadlessControl* parent,
                                 const UiNode& node)
    : window_(window),
      parent_(parent),
      name_(node.name),
      kind_(ControlKindOfClass(node.class_name, node.Bool("checkable", false))),
      virtual_window_(node.Text("virtualwnd", parent ? parent->virtual_window_ : "")),
      group_(node.Text("group")),
      visible_(node.Bool("visible", true)),
      enabled_(node.Bool("enabled", true)),
      text_(node.Text("text", node.Text("plainText"))),
      text_mode_(node.Text("textmode") == "key" ? TextMode::kLanguageKey : TextMode::kPlain),
      caret_(Utf8Length(text_)),
      minimum_(node.Number("minimum", 0)),
      maximum_(node.Number("maximum", kind_ == ControlKind::kSlider ? 99 : 100)),
      checked_(node.Bool("checked", false)),
      accessible_name_(node.Text("accessibleName")),
      accessible_description_(node.Text("accessibleDescription")) {
  value_ = std::clamp(node.Number("value", minimum_), minimum_, maximum_);
  if (const UiProperty* geometry = node.Property("geometry"); geometry && geometry->has_rect) {
    geometry_ = geometry->rect;
  }
  for (const std::string& item : node.items) AddItem(item);
  if (kind_ == ControlKind::kCombo && !items_.empty()) {
    selected_item_ = std::clamp(node.Number("currentIndex", 0), -1, ItemCount() - 1);
  }
  for (const auto& child : node.children) {
    children_.push_back(std::make_unique<HeadlessControl>(window, this, *child));
  }
  if (kind_ == ControlKind::kTab && !children_.empty()) {
    selected_page_ = std::clamp(node.Number("currentIndex", 0), -1, PageCount() - 1);
  }
}

HeadlessControl::~HeadlessControl() {
  window_.toolkit().timers().KillAll(this);
  window_.ForgetControl(this);
}

std::string HeadlessControl::AccessibleName() const {
  return accessible_name_.empty() ? accessible_name_
                                  : window_.toolkit().ControlText(accessible_name_, name_);
}

void HeadlessControl::SetFocus() {
  window_.MoveFocus(this, false);
}

void HeadlessControl::SetText(std::string_view text) {
  text_ = text;
  caret_ = Utf8Length(text_);
}

std::string HeadlessControl::ShownText() const {
  return text_mode_ == TextMode::kLanguageKey ? window_.toolkit().LanguageText(text_) : text_;
}

void HeadlessControl::SetCaretPosition(int position) {
  caret_ = std::clamp(position, 0, Utf8Length(text_));
}

void HeadlessControl::SetValue(int value) {
  value_ = std::clamp(value, minimum_, maximum_);
}

void HeadlessControl::SetRange(int minimum, int maximum) {
  minimum_ = minimum;
  maximum_ = std::max(minimum, maximum);
  value_ = std::clamp(value_, minimum_, maximum_);
}

void HeadlessControl::SetChecked(bool checked, bool notify) {
  if (kind_ == ControlKind::kOption && checked) {
    const bool changed = SelectOption();
    if (notify && changed) Raise(kNotifySelectChanged, 1);
    return;
  }
  checked_ = checked;
  if (notify && kind_ == ControlKind::kCheck) Raise(kNotifyCheckClick, checked ? 1 : 0);
}

bool HeadlessControl::SelectOption() {
  if (checked_) return false;
  for (HeadlessControl* member : GroupMembers()) member->checked_ = false;
  checked_ = true;
  return true;
}

std::vector<HeadlessControl*> HeadlessControl::GroupMembers() {
  std::vector<HeadlessControl*> members;
  if (!group_.empty()) {
    HeadlessControl* root = this;
    while (root->parent_) root = root->parent_;
    root->CollectOptions(group_, &members);
  } else if (parent_) {
    for (const auto& sibling : parent_->children_) {
      if (sibling->kind_ == ControlKind::kOption && sibling->group_.empty()) {
        members.push_back(sibling.get());
      }
    }
  } else {
    members.push_back(this);
  }
  return members;
}

void HeadlessControl::CollectOptions(const std::string& group, std::vector<HeadlessControl*>* out) {
  if (kind_ == ControlKind::kOption && group_ == group) out->push_back(this);
  for (const auto& child : children_) child->CollectOptions(group, out);
}

int HeadlessControl::AddItem(std::string_view text, int height) {
  items_.push_back(Item{std::string(text), height, nullptr});
  return ItemCount() - 1;
}

Control* HeadlessControl::AddLayoutItem(std::string_view layout_file, int height) {
  std::unique_ptr<HeadlessControl> row = window_.BuildRow(layout_file, this);
  if (!row) return nullptr;
  items_.push_back(Item{"", height, std::move(row)});
  return items_.back().row.get();
}

void HeadlessControl::RemoveItem(int index) {
  if (!HasItem(index)) return;
  items_.erase(items_.begin() + index);
  if (selected_item_ == index) {
    selected_item_ = -1;
  } else if (selected_item_ > index) {
    --selected_item_;
  }
}

void HeadlessControl::RemoveAllItems() {
  items_.clear();
  selected_item_ = -1;
  visible_item_ = -1;
}

std::string HeadlessControl::ItemText(int index) const {
  return HasItem(index) ? items_[index].text : std::string();
}

void HeadlessControl::SetItemText(int index, std::string_view text) {
  if (HasItem(index)) items_[index].text = text;
}

int HeadlessControl::ItemHeight(int index) const {
  return HasItem(index) ? items_[index].height : 0;
}

void HeadlessControl::SelectItem(int index, bool notify) {
  if (!HasItem(index)) index = -1;
  const int previous = selected_item_;
  selected_item_ = index;
  if (notify && previous != index) Raise(kNotifyItemSelect, index, previous);
}

void HeadlessControl::EnsureItemVisible(int index) {
  if (HasItem(index)) visible_item_ = index;
}

Control* HeadlessControl::FindChild(std::string_view name) {
  for (const auto& child : children_) {
    if (child->name_ == name) return child.get();
    if (Control* found = child->FindChild(name)) return found;
  }
  for (const Item& item : items_) {
    if (!item.row) continue;
    if (item.row->name_ == name) return item.row.get();
    if (Control* found = item.row->FindChild(name)) return found;
  }
  return nullptr;
}

void HeadlessControl::SelectPage(int index) {
  selected_page_ = (index >= 0 && index < PageCount()) ? index : -1;
}

int HeadlessControl::PageCount() const {
  return kind_ == ControlKind::kTab ? static_cast<int>(children_.size()) : 0;
}

Rect HeadlessControl::Position() const {
  Rect rect = geometry_;
  for (const HeadlessControl* up = parent_; up && up->parent_; up = up->parent_) {
    rect.left += up->geometry_.left;
    rect.right += up->geometry_.left;
    rect.top += up->geometry_.top;
    rect.bottom += up->geometry_.top;
  }
  return rect;
}

void HeadlessControl::SetTimer(uint32_t id, int period_ms) {
  window_.toolkit().timers().Set(this, id, period_ms, [this, id] { Raise(kNotifyTimer, id); });
}

void HeadlessControl::KillTimer(uint32_t id) {
  window_.toolkit().timers().Kill(this, id);
}

bool HeadlessControl::IsReachable() const {
  for (const HeadlessControl* control = this; control; control = control->parent_) {
    if (!control->visible_ || !control->enabled_) return false;
    // Only the shown page of a tab layout can be reached.
    const HeadlessControl* up = control->parent_;
    if (up && up->kind_ == ControlKind::kTab &&
        (up->selected_page_ < 0 || up->children_[up->selected_page_].get() != control)) {
      return false;
    }
  }
  return window_.IsVisible();
}

void HeadlessControl::Raise(std::string_view type, intptr_t wparam, intptr_t lparam) {
  window_.Notify(Notification{std::string(type), this, virtual_window_, wparam, lparam});
}

void HeadlessControl::StopTimers() {
  window_.toolkit().timers().KillAll(this);
  for (const auto& child : children_) child->StopTimers();
  for (const Item& item : items_) {
    if (item.row) item.row->StopTimers();
  }
}

void HeadlessControl::RegisterNames(std::map<std::string, HeadlessControl*, std::less<>>* names) {
  if (!name_.empty()) names->emplace(name_, this);  // the first of a name wins
  for (const auto& child : children_) child->RegisterNames(names);
}

}  // namespace vexel::toolkit::headless
