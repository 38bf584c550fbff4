// A control of the Qt toolkit: a named widget of a loaded layout. Reads and
// writes go to the widget; notifications come from its signals and events.
// Programmatic changes run with the widget's signals blocked, so only users
// (and UserInput) raise notifications.
#pragma once

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <map>
#include <memory>
#include <string>

#include "toolkit/control.h"

class QListWidgetItem;

namespace vexel::toolkit::qt {

class QtWindowBackend;

class QtControl final : public Control {
 public:
  QtControl(QtWindowBackend& window, QWidget* widget);
  ~QtControl() override;

  const std::string& Name() const override { return name_; }
  ControlKind Kind() const override { return kind_; }
  bool IsVisible() const override;
  void SetVisible(bool visible) override;
  bool IsEnabled() const override;
  void SetEnabled(bool enabled) override;
  void SetFocus() override;

  std::string Text() const override;
  void SetText(std::string_view text) override;
  std::string ShownText() const override;
  TextMode GetTextMode() const override { return text_mode_; }
  void SetTextMode(TextMode mode) override;
  int CaretPosition() const override;
  void SetCaretPosition(int position) override;
  void SetCompletions(const std::vector<std::string>& words) override;
  std::vector<std::string> Completions() const override;

  int Value() const override;
  void SetValue(int value) override;
  int Minimum() const override;
  int Maximum() const override;
  void SetRange(int minimum, int maximum) override;

  bool IsChecked() const override;
  void SetChecked(bool checked, bool notify = false) override;

  int AddItem(std::string_view text, int height = kDefaultItemHeight) override;
  Control* AddLayoutItem(std::string_view layout_file, int height) override;
  void RemoveItem(int index) override;
  void RemoveAllItems() override;
  int ItemCount() const override;
  std::string ItemText(int index) const override;
  void SetItemText(int index, std::string_view text) override;
  int ItemHeight(int index) const override;
  int SelectedItem() const override;
  void SelectItem(int index, bool notify) override;
  void EnsureItemVisible(int index) override;
  Control* FindChild(std::string_view name) override;

  int SelectedPage() const override;
  void SelectPage(int index) override;
  int PageCount() const override;
  void ScrollToEnd() override;

  uint32_t BackgroundColour() const override { return background_; }
  void SetBackgroundColour(uint32_t argb) override;
  uint32_t SelectedColour() const override;
  void SetSelectedColour(uint32_t argb) override;
  void SetBackgroundImage(std::string_view image) override;

  Rect Position() const override;
  std::string AccessibleName() const override;
  std::string AccessibleDescription() const override;
  void SetAccessibleDescription(std::string_view description) override;
  void SetTimer(uint32_t id, int period_ms) override;
  void KillTimer(uint32_t id) override;

  // ---- For the backend and UserInput ----
  QWidget* widget() const { return widget_; }
  QtWindowBackend& window() const { return window_; }
  // A user could reach it: the window shows it and it is enabled.
  bool IsReachable() const;
  void Raise(std::string_view type, intptr_t wparam = 0, intptr_t lparam = 0);
  // Re-shows language-key texts after the language changed.
  void RefreshText();
  void StopTimers();
  // Tracks the selection a list reported last, for "itemselect"'s lparam.
  void NoteSelection(int index) { last_selection_ = index; }
  int last_selection() const { return last_selection_; }

 private:
  void ConnectSignals();
  void ApplyStyle();
  QString Shown(const QString& raw) const;
  void AddRowControls(QListWidgetItem* item, QWidget* row);

  QtWindowBackend& window_;
  QPointer<QWidget> widget_;
  // Receiver of the widget's signals: gone with this object, so a signal can
  // never reach a deleted control.
  std::unique_ptr<QObject> context_;
  std::string name_;
  ControlKind kind_;
  std::string virtual_window_;
  TextMode text_mode_;
  QString raw_text_;  // the key in key mode
  // Language keys of the skin's accessible name and tooltip.
  QString name_key_;
  QString tooltip_key_;
  QStringList raw_items_;  // combo items as set (keys in key mode)
  int last_selection_ = -1;
  bool no_page_ = false;  // tab layout showing no page
  uint32_t background_ = 0;
  QString background_image_;
  QString base_style_;
  // Rows of a list built from layout files: the row and its named children.
  std::map<const QListWidgetItem*, std::vector<std::unique_ptr<QtControl>>> rows_;
};

}  // namespace vexel::toolkit::qt
