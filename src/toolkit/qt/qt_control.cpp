#include "toolkit/qt/qt_control.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTextEdit>
#include <algorithm>

#include "toolkit/qt/color_palette.h"
#include "toolkit/qt/qt_text.h"
#include "toolkit/qt/qt_toolkit.h"
#include "toolkit/qt/qt_window.h"

namespace vexel::toolkit::qt {
namespace {

std::string VirtualWindowOf(QWidget* widget) {
  for (QWidget* w = widget; w; w = w->parentWidget()) {
    const QString name = w->property("virtualwnd").toString();
    if (!name.isEmpty()) return name.toStdString();
    if (w->isWindow()) break;
  }
  return {};
}

// The text of a line edit or either text edit, or null when it is none.
std::optional<QString> EditText(QWidget* widget) {
  if (auto* line = qobject_cast<QLineEdit*>(widget)) return line->text();
  if (auto* rich = qobject_cast<QTextEdit*>(widget)) return rich->toPlainText();
  if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) return plain->toPlainText();
  return std::nullopt;
}

}  // namespace

QtControl::QtControl(QtWindowBackend& window, QWidget* widget)
    : window_(window),
      widget_(widget),
      context_(std::make_unique<QObject>()),
      name_(widget->objectName().toStdString()),
      kind_(ControlKindOfClass(widget->metaObject()->className(),
                               widget->property("checkable").toBool())),
      virtual_window_(VirtualWindowOf(widget)),
      text_mode_(widget->property("textmode").toString() == "key" ? TextMode::kLanguageKey
                                                                  : TextMode::kPlain),
      raw_text_(widget->property("text").toString()),
      name_key_(widget->accessibleName()),
      tooltip_key_(widget->toolTip()),
      base_style_(widget->styleSheet()) {
  if (dynamic_cast<ColorPalette*>(widget)) kind_ = ControlKind::kColorPalette;
  if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    for (int i = 0; i < combo->count(); ++i) raw_items_ << combo->itemText(i);
  }
  // Rows of the skin get the fixed height rows added later have by default.
  if (auto* list = qobject_cast<QListWidget*>(widget)) {
    for (int i = 0; i < list->count(); ++i) {
      if (!list->item(i)->sizeHint().isValid())
        list->item(i)->setSizeHint(QSize(0, kDefaultItemHeight));
    }
  }
  last_selection_ = SelectedItem();
  ConnectSignals();
  RefreshText();
}

QtControl::~QtControl() {
  StopTimers();
  window_.Forget(this);
}

void QtControl::ConnectSignals() {
  QObject* context = context_.get();
  if (auto* button = qobject_cast<QAbstractButton*>(widget_)) {
    if (kind_ == ControlKind::kButton) {
      QObject::connect(button, &QAbstractButton::clicked, context, [this] { Raise(kNotifyClick); });
    } else if (kind_ == ControlKind::kOption) {
      const QString group = button->property("group").toString();
      if (!group.isEmpty()) {
        window_.toolkit().ButtonGroup(window_.root(), group)->addButton(button);
      } else {
        button->setAutoExclusive(true);
      }
      QObject::connect(button, &QAbstractButton::toggled, context, [this](bool on) {
        if (on) Raise(kNotifySelectChanged, 1);
      });
    } else if (kind_ == ControlKind::kCheck) {
      // toggled, not clicked: assistive technologies toggle a check box
      // without clicking it. Programmatic changes are blocked (SetChecked).
      QObject::connect(button, &QAbstractButton::toggled, context,
                       [this](bool checked) { Raise(kNotifyCheckClick, checked ? 1 : 0); });
    }
  } else if (auto* line = qobject_cast<QLineEdit*>(widget_)) {
    QObject::connect(line, &QLineEdit::textEdited, context, [this] { Raise(kNotifyTextChanged); });
    QObject::connect(line, &QLineEdit::returnPressed, context, [this] { Raise(kNotifyReturn); });
  } else if (auto* rich = qobject_cast<QTextEdit*>(widget_)) {
    QObject::connect(rich, &QTextEdit::textChanged, context, [this] { Raise(kNotifyTextChanged); });
  } else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget_)) {
    QObject::connect(plain, &QPlainTextEdit::textChanged, context,
                     [this] { Raise(kNotifyTextChanged); });
  } else if (auto* slider = qobject_cast<QAbstractSlider*>(widget_)) {
    QObject::connect(slider, &QAbstractSlider::valueChanged, context,
                     [this](int value) { Raise(kNotifyValueChanged, value); });
  } else if (auto* list = qobject_cast<QListWidget*>(widget_)) {
    QObject::connect(list, &QListWidget::currentRowChanged, context, [this](int row) {
      const int previous = last_selection_;
      last_selection_ = row;
      Raise(kNotifyItemSelect, row, previous);
    });
    // A screen reader selects a row without making it current; the row it
    // selected is the user's choice all the same.
    QObject::connect(list, &QListWidget::itemSelectionChanged, context, [list] {
      const QList<QListWidgetItem*> selected = list->selectedItems();
      if (selected.size() == 1 && list->currentItem() != selected.front()) {
        list->setCurrentItem(selected.front());
      }
    });
  } else if (auto* combo = qobject_cast<QComboBox*>(widget_)) {
    QObject::connect(combo, &QComboBox::currentIndexChanged, context, [this](int index) {
      const int previous = last_selection_;
      last_selection_ = index;
      Raise(kNotifyItemSelect, index, previous);
    });
  } else if (auto* palette = dynamic_cast<ColorPalette*>(widget_.data())) {
    palette->SetOnPick([this](uint32_t, bool released) {
      Raise(released ? kNotifyColorChangedButtonUp : kNotifyColorChanged);
    });
  }
}

bool QtControl::IsVisible() const {
  return widget_ && !widget_->isHidden();
}

void QtControl::SetVisible(bool visible) {
  if (widget_) widget_->setVisible(visible);
}

bool QtControl::IsEnabled() const {
  return widget_ && !widget_->testAttribute(Qt::WA_ForceDisabled);
}

void QtControl::SetEnabled(bool enabled) {
  if (widget_) widget_->setEnabled(enabled);
}

void QtControl::SetFocus() {
  if (!widget_) return;
  window_.MoveFocus(this, false);
  widget_->setFocus(Qt::OtherFocusReason);
  // As when tabbed into: what is typed replaces the text.
  if (auto* line = qobject_cast<QLineEdit*>(widget_)) line->selectAll();
}

QString QtControl::Shown(const QString& raw) const {
  if (text_mode_ != TextMode::kLanguageKey) return raw;
  return ToQ(window_.toolkit().LanguageText(raw.toStdString()));
}

std::string QtControl::Text() const {
  if (auto text = EditText(widget_)) return text->toStdString();
  return raw_text_.toStdString();
}

void QtControl::SetText(std::string_view text) {
  raw_text_ = ToQ(text);
  if (!widget_) return;
  const QSignalBlocker block(widget_);
  if (auto* line = qobject_cast<QLineEdit*>(widget_)) {
    line->setText(raw_text_);
  } else if (auto* rich = qobject_cast<QTextEdit*>(widget_)) {
    rich->setPlainText(raw_text_);
    rich->moveCursor(QTextCursor::End);
  } else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget_)) {
    plain->setPlainText(raw_text_);
    plain->moveCursor(QTextCursor::End);
  } else {
    RefreshText();
  }
}

std::string QtControl::ShownText() const {
  if (auto text = EditText(widget_)) return text->toStdString();
  if (widget_ && widget_->metaObject()->indexOfProperty("text") >= 0) {
    return widget_->property("text").toString().toStdString();
  }
  return Shown(raw_text_).toStdString();
}

void QtControl::SetTextMode(TextMode mode) {
  text_mode_ = mode;
  RefreshText();
}

void QtControl::RefreshText() {
  if (!widget_) return;
  const Toolkit& toolkit = window_.toolkit();
  if (!name_key_.isEmpty()) {
    widget_->setAccessibleName(ToQ(toolkit.ControlText(name_key_.toStdString(), name_)));
  }
  if (!tooltip_key_.isEmpty()) {
    widget_->setToolTip(ToQ(toolkit.ControlText(tooltip_key_.toStdString(), name_)));
  }
  if (EditText(widget_)) return;
  const QSignalBlocker block(widget_);
  if (auto* combo = qobject_cast<QComboBox*>(widget_)) {
    for (int i = 0; i < combo->count() && i < raw_items_.size(); ++i) {
      combo->setItemText(i, Shown(raw_items_[i]));
    }
  } else if (widget_->metaObject()->indexOfProperty("text") >= 0) {
    widget_->setProperty("text", Shown(raw_text_));
  }
}

int QtControl::CaretPosition() const {
  if (auto* line = qobject_cast<QLineEdit*>(widget_)) {
    return CodePointsBefore(line->text(), line->cursorPosition());
  }
  if (auto* rich = qobject_cast<QTextEdit*>(widget_)) {
    return CodePointsBefore(rich->toPlainText(), rich->textCursor().position());
  }
  if (auto* plain = qobject_cast<QPlainTextEdit*>(widget_)) {
    return CodePointsBefore(plain->toPlainText(), plain->textCursor().position());
  }
  return 0;
}

void QtControl::SetCaretPosition(int position) {
  if (auto* line = qobject_cast<QLineEdit*>(widget_)) {
    line->setCursorPosition(Utf16Index(line->text(), position));
    return;
  }
  auto move = [position](auto* edit) {
    QTextCursor cursor = edit->textCursor();
    cursor.setPosition(Utf16Index(edit->toPlainText(), position));
    edit->setTextCursor(cursor);
  };
  if (auto* rich = qobject_cast<QTextEdit*>(widget_)) move(rich);
  if (auto* plain = qobject_cast<QPlainTextEdit*>(widget_)) move(plain);
}

int QtControl::Value() const {
  if (auto* slider = qobject_cast<QAbstractSlider*>(widget_)) return slider->value();
  if (auto* bar = qobject_cast<QProgressBar*>(widget_)) return bar->value();
  return 0;
}

void QtControl::SetValue(int value) {
  const QSignalBlocker block(widget_);
  if (auto* slider = qobject_cast<QAbstractSlider*>(widget_)) slider->setValue(value);
  if (auto* bar = qobject_cast<QProgressBar*>(widget_)) {
    value = std::clamp(value, bar->minimum(), bar->maximum());
    if (bar->value() == value) return;
    // QProgressBar::setValue repaints at once, a synchronous round trip to
    // the X server on every battery report and animation tick; with updates
    // held, the new value is painted with the rest of the next frame.
    const bool batched = bar->updatesEnabled();
    if (batched) bar->setUpdatesEnabled(false);
    bar->setValue(value);
    if (batched) bar->setUpdatesEnabled(true);  // schedules update()
  }
}

int QtControl::Minimum() const {
  if (auto* slider = qobject_cast<QAbstractSlider*>(widget_)) return slider->minimum();
  if (auto* bar = qobject_cast<QProgressBar*>(widget_)) return bar->minimum();
  return 0;
}

int QtControl::Maximum() const {
  if (auto* slider = qobject_cast<QAbstractSlider*>(widget_)) return slider->maximum();
  if (auto* bar = qobject_cast<QProgressBar*>(widget_)) return bar->maximum();
  return 0;
}

void QtControl::SetRange(int minimum, int maximum) {
  const QSignalBlocker block(widget_);
  maximum = std::max(minimum, maximum);
  if (auto* slider = qobject_cast<QAbstractSlider*>(widget_)) slider->setRange(minimum, maximum);
  if (auto* bar = qobject_cast<QProgressBar*>(widget_)) bar->setRange(minimum, maximum);
}

bool QtControl::IsChecked() const {
  auto* button = qobject_cast<QAbstractButton*>(widget_);
  return button && button->isChecked();
}

void QtControl::SetChecked(bool checked, bool notify) {
  auto* button = qobject_cast<QAbstractButton*>(widget_);
  if (!button) return;
  const bool before = button->isChecked();
  {
    const QSignalBlocker block(button);
    // Exclusive groups refuse to clear their checked button; a program may.
    QButtonGroup* group = button->group();
    const bool group_exclusive = group && group->exclusive();
    const bool auto_exclusive = button->autoExclusive();
    if (!checked) {
      if (group) group->setExclusive(false);
      button->setAutoExclusive(false);
    }
    button->setChecked(checked);
    if (group) group->setExclusive(group_exclusive);
    button->setAutoExclusive(auto_exclusive);
  }
  if (!notify) return;
  if (kind_ == ControlKind::kOption && checked && !before) Raise(kNotifySelectChanged, 1);
  if (kind_ == ControlKind::kCheck) Raise(kNotifyCheckClick, checked ? 1 : 0);
}

}  // namespace vexel::toolkit::qt
