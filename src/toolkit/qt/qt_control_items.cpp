// The item, page, style and timer half of QtControl.
#include <QAbstractScrollArea>
#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QStringListModel>
#include <QTabWidget>

#include "toolkit/qt/color_palette.h"
#include "toolkit/qt/qt_control.h"
#include "toolkit/qt/qt_text.h"
#include "toolkit/qt/qt_toolkit.h"
#include "toolkit/qt/qt_window.h"

namespace vexel::toolkit::qt {
namespace {

// Stacked and tab widgets share what we need but not a base class.
struct Pages {
  QStackedWidget* stack = nullptr;
  QTabWidget* tabs = nullptr;
  explicit Pages(QWidget* widget)
      : stack(qobject_cast<QStackedWidget*>(widget)), tabs(qobject_cast<QTabWidget*>(widget)) {}
  int count() const { return stack ? stack->count() : tabs ? tabs->count() : 0; }
  int current() const { return stack ? stack->currentIndex() : tabs ? tabs->currentIndex() : -1; }
  QWidget* page(int i) const { return stack ? stack->widget(i) : tabs ? tabs->widget(i) : nullptr; }
  void select(int i) const {
    if (stack) stack->setCurrentIndex(i);
    if (tabs) tabs->setCurrentIndex(i);
  }
};

QSize ItemSize(int height) {
  return QSize(0, height);
}

}  // namespace

void QtControl::SetCompletions(const std::vector<std::string>& words) {
  auto* line = qobject_cast<QLineEdit*>(widget_);
  if (!line) return;
  QStringList list;
  for (const std::string& word : words) list << ToQ(word);
  // Qt may delete the old completer itself when it is replaced.
  const QPointer<QCompleter> old = line->completer();
  QCompleter* completer = nullptr;
  if (!list.isEmpty()) {
    completer = new QCompleter(list, line);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
  }
  line->setCompleter(completer);
  // Otherwise it goes once control is back in the event loop: it may still
  // be showing its list.
  if (old) old->deleteLater();
}

std::vector<std::string> QtControl::Completions() const {
  auto* line = qobject_cast<QLineEdit*>(widget_);
  QCompleter* completer = line ? line->completer() : nullptr;
  auto* model = completer ? qobject_cast<QStringListModel*>(completer->model()) : nullptr;
  std::vector<std::string> words;
  if (model) {
    for (const QString& word : model->stringList()) words.push_back(word.toStdString());
  }
  return words;
}

int QtControl::AddItem(std::string_view text, int height) {
  const QSignalBlocker block(widget_);
  if (auto* list = qobject_cast<QListWidget*>(widget_)) {
    auto* item = new QListWidgetItem(ToQ(text), list);
    item->setSizeHint(ItemSize(height));
    return list->count() - 1;
  }
  if (auto* combo = qobject_cast<QComboBox*>(widget_)) {
    // Qt selects the first item added to an empty combo; the toolkit does not.
    const int selected = combo->currentIndex();
    raw_items_ << ToQ(text);
    combo->addItem(Shown(raw_items_.back()));
    combo->setItemData(combo->count() - 1, ItemSize(height), Qt::SizeHintRole);
    combo->setCurrentIndex(selected);
    return combo->count() - 1;
  }
  return -1;
}

Control* QtControl::AddLayoutItem(std::string_view layout_file, int height) {
  auto* list = qobject_cast<QListWidget*>(widget_);
  if (!list) return nullptr;
  QString error;
  const QString path = ToQ(window_.toolkit().ResourcePath(layout_file));
  QWidget* row = LoadLayout(path, ToQ(window_.toolkit().ResourceFolder()), nullptr, &error);
  if (!row) {
    window_.toolkit().Trace("toolkit: cannot load list row " + path.toStdString() + ": " +
                            error.toStdString());
    return nullptr;
  }
  const QSignalBlocker block(widget_);
  auto* item = new QListWidgetItem(list);
  item->setSizeHint(ItemSize(height));
  list->setItemWidget(item, row);
  std::vector<std::unique_ptr<QtControl>>& controls = rows_[item];
  controls.push_back(window_.Wrap(row));
  for (QWidget* child : row->findChildren<QWidget*>()) {
    if (!child->objectName().isEmpty()) controls.push_back(window_.Wrap(child));
  }
  return controls.front().get();
}

void QtControl::RemoveItem(int index) {
  if (index < 0 || index >= ItemCount()) return;
  const int selected = SelectedItem();
  const QSignalBlocker block(widget_);
  if (auto* list = qobject_cast<QListWidget*>(widget_)) {
    QListWidgetItem* item = list->takeItem(index);
    rows_.erase(item);
    delete item;
    // Qt moves the current row to a neighbour; the toolkit clears it.
    list->setCurrentRow(selected == index ? -1 : selected > index ? selected - 1 : selected);
  } else if (auto* combo = qobject_cast<QComboBox*>(widget_)) {
    combo->removeItem(index);
    raw_items_.removeAt(index);
    combo->setCurrentIndex(selected == index ? -1 : selected > index ? selected - 1 : selected);
  }
  last_selection_ = SelectedItem();
}

void QtControl::RemoveAllItems() {
  const QSignalBlocker block(widget_);
  if (auto* list = qobject_cast<QListWidget*>(widget_)) list->clear();
  if (auto* combo = qobject_cast<QComboBox*>(widget_)) combo->clear();
  rows_.clear();
  raw_items_.clear();
  last_selection_ = -1;
}

int QtControl::ItemCount() const {
  if (auto* list = qobject_cast<QListWidget*>(widget_)) return list->count();
  if (auto* combo = qobject_cast<QComboBox*>(widget_)) return combo->count();
  return 0;
}

std::string QtControl::ItemText(int index) const {
  if (index < 0 || index >= ItemCount()) return {};
  if (auto* list = qobject_cast<QListWidget*>(widget_))
    return list->item(index)->text().toStdString();
  return index < raw_items_.size() ? raw_items_[index].toStdString() : std::string();
}

void QtControl::SetItemText(int index, std::string_view text) {
  if (index < 0 || index >= ItemCount()) return;
  if (auto* list = qobject_cast<QListWidget*>(widget_)) list->item(index)->setText(ToQ(text));
  if (auto* combo = qobject_cast<QComboBox*>(widget_); combo && index < raw_items_.size()) {
    raw_items_[index] = ToQ(text);
    combo->setItemText(index, Shown(raw_items_[index]));
  }
}

int QtControl::ItemHeight(int index) const {
  if (index < 0 || index >= ItemCount()) return 0;
  QSize size;
  if (auto* list = qobject_cast<QListWidget*>(widget_)) size = list->item(index)->sizeHint();
  if (auto* combo = qobject_cast<QComboBox*>(widget_)) {
    size = combo->itemData(index, Qt::SizeHintRole).toSize();
  }
  return size.height() > 0 ? size.height() : kDefaultItemHeight;
}

int QtControl::SelectedItem() const {
  if (auto* list = qobject_cast<QListWidget*>(widget_)) return list->currentRow();
  if (auto* combo = qobject_cast<QComboBox*>(widget_)) return combo->currentIndex();
  return -1;
}

void QtControl::SelectItem(int index, bool notify) {
  if (index < 0 || index >= ItemCount()) index = -1;
  const int previous = SelectedItem();
  {
    const QSignalBlocker block(widget_);
    if (auto* list = qobject_cast<QListWidget*>(widget_)) list->setCurrentRow(index);
    if (auto* combo = qobject_cast<QComboBox*>(widget_)) combo->setCurrentIndex(index);
  }
  last_selection_ = index;
  if (notify && previous != index) Raise(kNotifyItemSelect, index, previous);
}

void QtControl::EnsureItemVisible(int index) {
  auto* list = qobject_cast<QListWidget*>(widget_);
  if (list && index >= 0 && index < list->count()) list->scrollToItem(list->item(index));
}

Control* QtControl::FindChild(std::string_view name) {
  if (!widget_) return nullptr;
  return window_.WrapperFor(widget_->findChild<QWidget*>(ToQ(name)));
}

int QtControl::SelectedPage() const {
  const Pages pages(widget_);
  return no_page_ || pages.count() == 0 ? -1 : pages.current();
}

void QtControl::SelectPage(int index) {
  const Pages pages(widget_);
  if (pages.count() == 0) return;
  no_page_ = index < 0 || index >= pages.count();
  if (no_page_) {
    if (QWidget* current = pages.page(pages.current())) current->hide();
    return;
  }
  pages.select(index);
  pages.page(index)->show();
}

int QtControl::PageCount() const {
  return Pages(widget_).count();
}

void QtControl::ScrollToEnd() {
  if (auto* area = qobject_cast<QAbstractScrollArea*>(widget_)) {
    QScrollBar* bar = area->verticalScrollBar();
    bar->setValue(bar->maximum());
  }
}

void QtControl::SetBackgroundColour(uint32_t argb) {
  background_ = argb;
  ApplyStyle();
}

uint32_t QtControl::SelectedColour() const {
  auto* palette = dynamic_cast<ColorPalette*>(widget_.data());
  return palette ? palette->SelectedColour() : 0;
}

void QtControl::SetSelectedColour(uint32_t argb) {
  if (auto* palette = dynamic_cast<ColorPalette*>(widget_.data())) palette->SetSelectedColour(argb);
}

void QtControl::SetBackgroundImage(std::string_view image) {
  // Also takes the skin's "res='skins/x.png' dest='...'" form.
  QString path = ToQ(image);
  const QRegularExpressionMatch match = QRegularExpression("res='([^']*)'").match(path);
  if (match.hasMatch()) path = match.captured(1);
  background_image_ =
      path.isEmpty() ? QString() : ToQ(window_.toolkit().ResourcePath(path.toStdString()));
  ApplyStyle();
}

void QtControl::ApplyStyle() {
  if (!widget_) return;
  QString rules;
  if (background_ != 0) {
    const QColor colour = QColor::fromRgba(background_);
    rules += QString("background-color: rgba(%1, %2, %3, %4);")
                 .arg(colour.red())
                 .arg(colour.green())
                 .arg(colour.blue())
                 .arg(colour.alpha());
  }
  if (!background_image_.isEmpty()) {
    rules += QString(
                 "background-image: url(%1); background-repeat: no-repeat;"
                 " background-position: left center;")
                 .arg(background_image_);
  }
  if (rules.isEmpty()) {
    widget_->setStyleSheet(base_style_);
  } else if (name_.empty()) {
    widget_->setStyleSheet(rules);
  } else {
    widget_->setStyleSheet(base_style_ + "\n#" + ToQ(name_) + " { " + rules + " }");
  }
}

Rect QtControl::Position() const {
  if (!widget_) return {};
  const QPoint top_left = widget_->mapTo(widget_->window(), QPoint(0, 0));
  return Rect{top_left.x(), top_left.y(), top_left.x() + widget_->width(),
              top_left.y() + widget_->height()};
}

std::string QtControl::AccessibleName() const {
  return widget_ ? widget_->accessibleName().toStdString() : std::string();
}

std::string QtControl::AccessibleDescription() const {
  return widget_ ? widget_->accessibleDescription().toStdString() : std::string();
}

void QtControl::SetAccessibleDescription(std::string_view description) {
  if (widget_) widget_->setAccessibleDescription(ToQ(description));
}

void QtControl::SetTimer(uint32_t id, int period_ms) {
  window_.toolkit().timers().Set(this, id, period_ms, [this, id] { Raise(kNotifyTimer, id); });
}

void QtControl::KillTimer(uint32_t id) {
  window_.toolkit().timers().Kill(this, id);
}

void QtControl::StopTimers() {
  window_.toolkit().timers().KillAll(this);
}

bool QtControl::IsReachable() const {
  QWidget* root = window_.root();
  return widget_ && root && root->isVisible() && widget_->isVisibleTo(root) && widget_->isEnabled();
}

void QtControl::Raise(std::string_view type, intptr_t wparam, intptr_t lparam) {
  window_.Notify(Notification{std::string(type), this, virtual_window_, wparam, lparam});
}

}  // namespace vexel::toolkit::qt
