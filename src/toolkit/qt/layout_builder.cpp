#include "toolkit/qt/layout_builder.h"

#include <tinyxml2.h>

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMetaProperty>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSlider>
#include <QSpacerItem>
#include <QStackedWidget>
#include <QVariant>
#include <map>
#include <string_view>

#include "toolkit/qt/color_palette.h"

namespace vexel::toolkit::qt {
namespace {

using tinyxml2::XMLElement;

// Children of `parent` named `name`, in order.
template <typename Visit>
void ForEachChild(const XMLElement* parent, const char* name, Visit visit) {
  for (const XMLElement* child = parent->FirstChildElement(name); child != nullptr;
       child = child->NextSiblingElement(name)) {
    visit(child);
  }
}

QString TextOf(const XMLElement* element) {
  const char* text = element ? element->GetText() : nullptr;
  return text ? QString::fromUtf8(text) : QString();
}

int NumberOf(const XMLElement* element, const char* name) {
  return TextOf(element->FirstChildElement(name)).toInt();
}

// "Qt::AlignRight|Qt::AlignVCenter" -> "AlignRight|AlignVCenter".
QByteArray WithoutScopes(const QString& keys) {
  QStringList parts = keys.split('|', Qt::SkipEmptyParts);
  for (QString& part : parts) part = part.mid(part.lastIndexOf("::") + 1).remove(':').trimmed();
  return parts.join('|').toLatin1();
}

QSizePolicy::Policy PolicyNamed(const QString& name) {
  const QMetaEnum policies = QMetaEnum::fromType<QSizePolicy::Policy>();
  bool known = false;
  const int value = policies.keyToValue(WithoutScopes(name).constData(), &known);
  return known ? static_cast<QSizePolicy::Policy>(value) : QSizePolicy::Preferred;
}

// The value of a <property>, typed by its element. Enums and sets take the
// value their names have in the object's property of that name.
QVariant ValueOf(const QObject& object, const char* name, const XMLElement* value) {
  const std::string_view type = value->Name();
  if (type == "string") return TextOf(value);
  if (type == "number") return TextOf(value).toInt();
  if (type == "bool") return TextOf(value) == "true";
  if (type == "size") return QSize(NumberOf(value, "width"), NumberOf(value, "height"));
  if (type == "rect") {
    return QRect(NumberOf(value, "x"), NumberOf(value, "y"), NumberOf(value, "width"),
                 NumberOf(value, "height"));
  }
  if (type == "sizepolicy") {
    QSizePolicy policy(PolicyNamed(value->Attribute("hsizetype")),
                       PolicyNamed(value->Attribute("vsizetype")));
    policy.setHorizontalStretch(NumberOf(value, "horstretch"));
    policy.setVerticalStretch(NumberOf(value, "verstretch"));
    return policy;
  }
  if (type == "enum" || type == "set") {
    const QMetaObject* meta = object.metaObject();
    const int index = meta->indexOfProperty(name);
    if (index < 0) return {};
    const QMetaEnum names = meta->property(index).enumerator();
    bool known = false;
    // An enum is the name after its last qualifier, as Qt's loader reads it:
    // "Qt::AlignRight|Qt::AlignVCenter" written as an enum is AlignVCenter.
    const QString text = TextOf(value);
    const int number =
        type == "set" ? names.keysToValue(WithoutScopes(text).constData(), &known)
                      : names.keyToValue(text.mid(text.lastIndexOf(':') + 1).toLatin1(), &known);
    return known ? QVariant(number) : QVariant();
  }
  return {};
}

// Each <property> of `element` as name and value element.
template <typename Visit>
void ForEachProperty(const XMLElement* element, Visit visit) {
  ForEachChild(element, "property", [&](const XMLElement* property) {
    const char* name = property->Attribute("name");
    const XMLElement* value = property->FirstChildElement();
    if (name != nullptr && value != nullptr) visit(name, value);
  });
}

// Qt builds a combo box's popup list, a window of about ten widgets that the
// style sheet then styles one by one, at the first change of style or font,
// long before anyone opens it: at start-up, for every combo box. Those changes
// are held back until the list is first opened and replayed then, so it is
// built and styled as Qt would have, only later.
class LazyPopupComboBox : public QComboBox {
 public:
  using QComboBox::QComboBox;

 protected:
  void changeEvent(QEvent* event) override {
    const bool restyle =
        event->type() == QEvent::StyleChange || event->type() == QEvent::FontChange;
    if (restyle && !popup_opened_) {
      QWidget::changeEvent(event);
      return;
    }
    QComboBox::changeEvent(event);
  }

  void showPopup() override {
    if (!popup_opened_) {
      popup_opened_ = true;
      for (const QEvent::Type type : {QEvent::StyleChange, QEvent::FontChange}) {
        QEvent held_back(type);
        QComboBox::changeEvent(&held_back);
      }
    }
    QComboBox::showPopup();
  }

 private:
  bool popup_opened_ = false;
};

template <typename Made>
QWidget* Make(QWidget* parent) {
  return new Made(parent);
}

QWidget* MakeWidget(const QString& class_name, QWidget* parent) {
  static const std::map<QString, QWidget* (*)(QWidget*)> makers = {
      {"QWidget", &Make<QWidget>},
      {"QLabel", &Make<QLabel>},
      {"QPushButton", &Make<QPushButton>},
      {"QCheckBox", &Make<QCheckBox>},
      {"QRadioButton", &Make<QRadioButton>},
      {"QSlider", &Make<QSlider>},
      {"QLineEdit", &Make<QLineEdit>},
      {"QFrame", &Make<QFrame>},
      {"QComboBox", &Make<LazyPopupComboBox>},
      {"QProgressBar", &Make<QProgressBar>},
      {"QListWidget", &Make<QListWidget>},
      {"QStackedWidget", &Make<QStackedWidget>},
      {"QScrollArea", &Make<QScrollArea>},
      {"ColorPalette", &Make<ColorPalette>},
  };
  const auto maker = makers.find(class_name);
  return maker == makers.end() ? nullptr : maker->second(parent);
}

class Builder {
 public:
  explicit Builder(BuiltLayout& built) : built_(built) {}

  QWidget* Widget(const XMLElement* element, QWidget* parent, bool root) {
    const QString class_name = QString::fromUtf8(element->Attribute("class"));
    QWidget* widget = MakeWidget(class_name, parent);
    if (widget == nullptr) {
      Fail("unknown widget class \"" + class_name + "\"");
      return nullptr;
    }
    widget->setObjectName(QString::fromUtf8(element->Attribute("name")));
    ForEachProperty(element, [&](const char* name, const XMLElement* value) {
      const std::string_view property = name;
      if (root && property == "styleSheet") {
        built_.root_style_sheet = TextOf(value);
      } else if (root && property == "geometry") {
        // A window's place is the program's to choose: only the size counts.
        widget->resize(ValueOf(*widget, name, value).toRect().size());
      } else if (property != "currentIndex" || !qobject_cast<QStackedWidget*>(widget)) {
        SetProperty(*widget, name, value);
      }
    });
    auto* stack = qobject_cast<QStackedWidget*>(widget);
    auto* scroll = qobject_cast<QScrollArea*>(widget);
    ForEachChild(element, "widget", [&](const XMLElement* child) {
      if (!built_.error.isEmpty()) return;
      // A stack's pages start as windows of their own, as with Qt's loader:
      // a page not shown keeps a window's size until it is.
      QWidget* page = Widget(child, stack ? nullptr : widget, false);
      if (stack && page) stack->addWidget(page);
      if (scroll && page) scroll->setWidget(page);
    });
    ForEachChild(element, "layout", [&](const XMLElement* child) {
      if (built_.error.isEmpty()) Layout(child, widget);
    });
    Items(element, widget);
    return widget;
  }

 private:
  void Fail(const QString& error) {
    if (built_.error.isEmpty()) built_.error = error;
  }

  static void SetProperty(QObject& object, const char* name, const XMLElement* value) {
    const QVariant typed = ValueOf(object, name, value);
    if (typed.isValid()) object.setProperty(name, typed);
  }

  // The items of a combo box or list, and a stack's page chosen after its
  // pages exist.
  static void Items(const XMLElement* element, QWidget* widget) {
    auto* combo = qobject_cast<QComboBox*>(widget);
    auto* list = qobject_cast<QListWidget*>(widget);
    ForEachChild(element, "item", [&](const XMLElement* item) {
      QString text;
      ForEachProperty(item, [&](const char* name, const XMLElement* value) {
        if (std::string_view(name) == "text") text = TextOf(value);
      });
      if (combo) combo->addItem(text);
      if (list) new QListWidgetItem(text, list);
    });
    if (auto* stack = qobject_cast<QStackedWidget*>(widget)) {
      ForEachProperty(element, [&](const char* name, const XMLElement* value) {
        if (std::string_view(name) == "currentIndex") stack->setCurrentIndex(TextOf(value).toInt());
      });
    }
  }

  // A layout on `owner` (the widget its items belong to), or inside `outer`.
  QLayout* Layout(const XMLElement* element, QWidget* owner, QLayout* outer = nullptr) {
    const std::string_view class_name =
        element->Attribute("class") ? element->Attribute("class") : "";
    QWidget* on = outer ? nullptr : owner;
    QLayout* layout = nullptr;
    if (class_name == "QHBoxLayout") layout = new QHBoxLayout(on);
    if (class_name == "QVBoxLayout") layout = new QVBoxLayout(on);
    if (class_name == "QGridLayout") layout = new QGridLayout(on);
    if (layout == nullptr) {
      Fail("unknown layout class \"" + QString::fromUtf8(class_name.data(), class_name.size()) +
           "\"");
      return nullptr;
    }
    layout->setObjectName(QString::fromUtf8(element->Attribute("name")));
    QMargins margins = layout->contentsMargins();
    ForEachProperty(element, [&](const char* name, const XMLElement* value) {
      const std::string_view property = name;
      const int number = TextOf(value).toInt();
      if (property == "leftMargin")
        margins.setLeft(number);
      else if (property == "topMargin")
        margins.setTop(number);
      else if (property == "rightMargin")
        margins.setRight(number);
      else if (property == "bottomMargin")
        margins.setBottom(number);
      else
        SetProperty(*layout, name, value);
    });
    layout->setContentsMargins(margins);
    ForEachChild(element, "item", [&](const XMLElement* item) {
      if (built_.error.isEmpty()) Item(item, owner, layout);
    });
    return layout;
  }

  void Item(const XMLElement* item, QWidget* owner, QLayout* layout) {
    const int row = item->IntAttribute("row"), column = item->IntAttribute("column");
    const int rows = item->IntAttribute("rowspan", 1), columns = item->IntAttribute("colspan", 1);
    bool known = false;
    const int aligned = QMetaEnum::fromType<Qt::Alignment>().keysToValue(
        WithoutScopes(QString::fromUtf8(item->Attribute("alignment"))).constData(), &known);
    const Qt::Alignment alignment = known ? static_cast<Qt::Alignment>(aligned) : Qt::Alignment();
    auto* grid = qobject_cast<QGridLayout*>(layout);
    auto* box = qobject_cast<QBoxLayout*>(layout);
    if (const XMLElement* child = item->FirstChildElement("widget")) {
      QWidget* widget = Widget(child, owner, false);
      if (widget && grid) grid->addWidget(widget, row, column, rows, columns, alignment);
      if (widget && box) box->addWidget(widget, 0, alignment);
    } else if (const XMLElement* child = item->FirstChildElement("layout")) {
      QLayout* inner = Layout(child, owner, layout);
      if (inner && grid) grid->addLayout(inner, row, column, rows, columns, alignment);
      if (inner && box) box->addLayout(inner);
    } else if (const XMLElement* child = item->FirstChildElement("spacer")) {
      QSpacerItem* spacer = Spacer(child);
      if (grid) grid->addItem(spacer, row, column, rows, columns, alignment);
      if (box) box->addItem(spacer);
    }
  }

  static QSpacerItem* Spacer(const XMLElement* element) {
    bool vertical = false;
    QSizePolicy::Policy size_type = QSizePolicy::Expanding;
    QSize size(0, 0);
    ForEachProperty(element, [&](const char* name, const XMLElement* value) {
      const std::string_view property = name;
      if (property == "orientation") vertical = TextOf(value).endsWith("Vertical");
      if (property == "sizeType") size_type = PolicyNamed(TextOf(value));
      if (property == "sizeHint") size = QSize(NumberOf(value, "width"), NumberOf(value, "height"));
    });
    return new QSpacerItem(size.width(), size.height(), vertical ? QSizePolicy::Minimum : size_type,
                           vertical ? size_type : QSizePolicy::Minimum);
  }

  BuiltLayout& built_;
};

}  // namespace

BuiltLayout BuildLayout(const QByteArray& text, QWidget* parent) {
  BuiltLayout built;
  tinyxml2::XMLDocument document;
  if (document.Parse(text.constData(), static_cast<size_t>(text.size())) != tinyxml2::XML_SUCCESS) {
    built.error = QString::fromUtf8(document.ErrorStr());
    return built;
  }
  const XMLElement* ui = document.FirstChildElement("ui");
  const XMLElement* top = ui ? ui->FirstChildElement("widget") : nullptr;
  if (top == nullptr) {
    built.error = "no widget in the layout";
    return built;
  }
  built.root = Builder(built).Widget(top, parent, true);
  if (!built.error.isEmpty()) {
    delete built.root;
    built.root = nullptr;
  }
  return built;
}

}  // namespace vexel::toolkit::qt
