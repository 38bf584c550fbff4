// A control of the headless toolkit: plain state, built from a .ui node.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/control.h"
#include "toolkit/headless/ui_layout.h"

namespace vexel::toolkit::headless {

class HeadlessWindowBackend;

class HeadlessControl final : public Control {
 public:
  // Builds the control and its children from `node`.
  HeadlessControl(HeadlessWindowBackend& window, HeadlessControl* parent, const UiNode& node);
  ~HeadlessControl() override;

  const std::string& Name() const override { return name_; }
  ControlKind Kind() const override { return kind_; }
  bool IsVisible() const override { return visible_; }
  void SetVisible(bool visible) override { visible_ = visible; }
  bool IsEnabled() const override { return enabled_; }
  void SetEnabled(bool enabled) override { enabled_ = enabled; }
  void SetFocus() override;

  std::string Text() const override { return text_; }
  void SetText(std::string_view text) override;
  std::string ShownText() const override;
  TextMode GetTextMode() const override { return text_mode_; }
  void SetTextMode(TextMode mode) override { text_mode_ = mode; }
  int CaretPosition() const override { return caret_; }
  void SetCaretPosition(int position) override;
  void SetCompletions(const std::vector<std::string>& words) override { completions_ = words; }
  std::vector<std::string> Completions() const override { return completions_; }

  int Value() const override { return value_; }
  void SetValue(int value) override;
  int Minimum() const override { return minimum_; }
  int Maximum() const override { return maximum_; }
  void SetRange(int minimum, int maximum) override;

  bool IsChecked() const override { return checked_; }
  void SetChecked(bool checked, bool notify = false) override;

  int AddItem(std::string_view text, int height = kDefaultItemHeight) override;
  Control* AddLayoutItem(std::string_view layout_file, int height) override;
  void RemoveItem(int index) override;
  void RemoveAllItems() override;
  int ItemCount() const override { return static_cast<int>(items_.size()); }
  std::string ItemText(int index) const override;
  void SetItemText(int index, std::string_view text) override;
  int ItemHeight(int index) const override;
  int SelectedItem() const override { return selected_item_; }
  void SelectItem(int index, bool notify) override;
  void EnsureItemVisible(int index) override;
  Control* FindChild(std::string_view name) override;

  int SelectedPage() const override { return selected_page_; }
  void SelectPage(int index) override;
  int PageCount() const override;

  void ScrollToEnd() override { ++scroll_to_end_count_; }

  uint32_t BackgroundColour() const override { return background_; }
  void SetBackgroundColour(uint32_t argb) override { background_ = argb; }
  uint32_t SelectedColour() const override { return selected_colour_; }
  void SetSelectedColour(uint32_t argb) override { selected_colour_ = argb; }
  void SetBackgroundImage(std::string_view image) override { background_image_ = image; }

  Rect Position() const override;
  std::string AccessibleName() const override;
  std::string AccessibleDescription() const override { return accessible_description_; }
  void SetAccessibleDescription(std::string_view description) override {
    accessible_description_ = description;
  }
  void SetTimer(uint32_t id, int period_ms) override;
  void KillTimer(uint32_t id) override;

  // ---- For the headless window and UserInput ----
  // Visible and enabled up to the window: a user can reach it.
  bool IsReachable() const;
  void Raise(std::string_view type, intptr_t wparam = 0, intptr_t lparam = 0);
  // Selects an option and clears the rest of its group; true when it changed.
  bool SelectOption();
  // Stops the timers of this control and everything inside it.
  void StopTimers();
  void RegisterNames(std::map<std::string, HeadlessControl*, std::less<>>* names);
  HeadlessControl* parent() const { return parent_; }
  HeadlessWindowBackend& window() const { return window_; }
  const std::string& group() const { return group_; }
  const std::string& background_image() const { return background_image_; }
  int scroll_to_end_count() const { return scroll_to_end_count_; }
  int visible_item() const { return visible_item_; }
  // All options of this control's group (itself included).
  std::vector<HeadlessControl*> GroupMembers();

 private:
  struct Item {
    std::string text;
    int height = kDefaultItemHeight;
    std::unique_ptr<HeadlessControl> row;
  };
  bool HasItem(int index) const { return index >= 0 && index < ItemCount(); }
  void CollectOptions(const std::string& group, std::vector<HeadlessControl*>* out);

  HeadlessWindowBackend& window_;
  HeadlessControl* parent_;
  std::string name_;
  ControlKind kind_;
  std::string virtual_window_;
  std::string group_;
  bool visible_ = true;
  bool enabled_ = true;
  std::string text_;
  TextMode text_mode_ = TextMode::kPlain;
  int caret_ = 0;
  std::vector<std::string> completions_;
  int value_ = 0;
  int minimum_ = 0;
  int maximum_ = 100;
  bool checked_ = false;
  std::vector<Item> items_;
  int selected_item_ = -1;
  int visible_item_ = -1;
  int selected_page_ = -1;
  int scroll_to_end_count_ = 0;
  uint32_t background_ = 0;
  uint32_t selected_colour_ = 0xFF000000;
  std::string background_image_;
  Rect geometry_;
  std::string accessible_name_;
  std::string accessible_description_;
  std::vector<std::unique_ptr<HeadlessControl>> children_;
};

}  // namespace vexel::toolkit::headless
