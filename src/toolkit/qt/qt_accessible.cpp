#include "toolkit/qt/qt_accessible.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>

namespace vexel::toolkit::qt {
namespace {

// On Linux, Qt names a combo box after its current item and leaves the label
// to a relation; a screen reader then announces "Rainbow" where the user needs
// "Lighting effect". This one takes the name the layout gives the box and
// keeps the current item as its value, with the same list child and actions.
class NamedComboBox : public QAccessibleWidget {
 public:
  explicit NamedComboBox(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

  int childCount() const override { return 1; }
  QAccessibleInterface* child(int index) const override {
    return index == 0 ? QAccessible::queryAccessibleInterface(Box()->view()) : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return child != nullptr && child->object() == Box()->view() ? 0 : -1;
  }
  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Name && !Box()->accessibleName().isEmpty()) {
      return Box()->accessibleName();
    }
    if (kind == QAccessible::Name || kind == QAccessible::Value) return Box()->currentText();
    return QAccessibleWidget::text(kind);
  }
  QStringList actionNames() const override {
    return {QAccessibleActionInterface::showMenuAction(),
            QAccessibleActionInterface::pressAction()};
  }
  void doAction(const QString& action) override {
    if (action == QAccessibleActionInterface::showMenuAction() ||
        action == QAccessibleActionInterface::pressAction()) {
      Box()->showPopup();
    }
  }
  QStringList keyBindingsForAction(const QString&) const override { return {}; }

 private:
  QComboBox* Box() const { return static_cast<QComboBox*>(object()); }
};

constexpr char kRoleProperty[] = "vexel_accessible_role";

QAccessibleInterface* NamedControls(const QString& class_name, QObject* object) {
  if (class_name == QLatin1String("QComboBox")) {
    if (auto* box = qobject_cast<QComboBox*>(object)) return new NamedComboBox(box);
  }
  const QVariant role = object->property(kRoleProperty);
  if (auto* widget = qobject_cast<QWidget*>(object); widget && role.isValid()) {
    return new QAccessibleWidget(widget, static_cast<QAccessible::Role>(role.toInt()));
  }
  return nullptr;
}

}  // namespace

void InstallAccessibleNames() {
  static const bool installed = [] {
    QAccessible::installFactory(NamedControls);
    return true;
  }();
  (void)installed;
}

void SetAccessibleRole(QWidget* window, WindowRole role) {
  if (role == WindowRole::kWindow) return;
  window->setProperty(kRoleProperty,
                      role == WindowRole::kAlert ? QAccessible::AlertMessage : QAccessible::Dialog);
  // Loading the layout may have made the window's interface already (a title
  // change announces itself); the next query makes it afresh with the role.
  if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(window);
      made && made->role() != QAccessible::Dialog && made->role() != QAccessible::AlertMessage) {
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
  }
}

}  // namespace vexel::toolkit::qt
