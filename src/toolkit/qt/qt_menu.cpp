#include "toolkit/qt/qt_menu.h"

#include <QCoreApplication>
#include <QIcon>

#include "toolkit/qt/qt_text.h"
#include "toolkit/qt/qt_toolkit.h"
#include "toolkit/qt/qt_window.h"

namespace vexel::toolkit::qt {
namespace {

// Items as tall as the menu layout says, so callers can size menus by count.
const char kMenuStyle[] =
    "QMenu { background: #232733; color: #e4e6eb; border: 1px solid #3a4050; padding: 1px; }"
    "QMenu::item { height: 22px; padding: 0px 28px 0px 14px; }"
    "QMenu::item:selected { background: #e0403a; color: #ffffff; }"
    "QMenu::separator { height: 1px; background: #3a4050; margin: 0px 6px; }";

}  // namespace

QtMenu::QtMenu(QtToolkit& toolkit, QObject* mailbox, const MenuLayout& layout, Point position)
    : toolkit_(toolkit), mailbox_(mailbox), menu_(std::make_unique<QMenu>()) {
  menu_->setStyleSheet(kMenuStyle);
  AddItems(menu_.get(), layout.items);
  visible_items_ = layout.VisibleItemCount();
  menu_->popup(QPoint(position.x, position.y));
}

QtMenu::~QtMenu() = default;

void QtMenu::AddItems(QMenu* menu, const std::vector<MenuItem>& items) {
  for (const MenuItem& item : items) {
    if (!item.visible) continue;
    if (item.separator) {
      menu->addSeparator();
    } else if (!item.children.empty()) {
      QMenu* sub = menu->addMenu(ToQ(toolkit_.LanguageText(item.text)));
      sub->setStyleSheet(kMenuStyle);
      AddItems(sub, item.children);
    } else {
      const std::string text = item.literal_text ? item.text : toolkit_.LanguageText(item.text);
      QAction* action = menu->addAction(ToQ(text));
      action->setObjectName(ToQ(item.name));
      action->setData(ToQ(item.data));
      action->setCheckable(item.checkable);
      action->setChecked(item.checked);
      auto command = std::make_shared<const MenuCommand>(MenuCommand{item.name, text, item.data});
      QObject::connect(action, &QAction::triggered, menu_.get(), [this, command] {
        if (auto* backend = static_cast<QtWindowBackend*>(mailbox_.data())) {
          backend->Post(Message{kMsgMenuCommand, 0, 0, command});
        }
      });
    }
  }
}

Point QtMenu::Position() const {
  const QPoint position = menu_->pos();
  return Point{position.x(), position.y()};
}

void QtMenu::MoveTo(Point screen_position) {
  menu_->move(screen_position.x, screen_position.y);
}

void QtMenu::Close() {
  menu_->close();
}

bool QtMenu::Trigger(std::string_view name) {
  if (!IsOpen()) return false;
  const QString wanted = ToQ(name);
  for (QAction* action : menu_->findChildren<QAction*>()) {
    if (action->objectName().compare(wanted, Qt::CaseInsensitive) == 0 && action->isVisible()) {
      menu_->close();
      action->trigger();
      return true;
    }
  }
  return false;
}

void QtMenu::SetChecked(std::string_view name, bool checked) {
  const QString wanted = ToQ(name);
  for (QAction* action : menu_->findChildren<QAction*>()) {
    if (action->isCheckable() && action->objectName().compare(wanted, Qt::CaseInsensitive) == 0) {
      action->setChecked(checked);
    }
  }
}

QtTrayIcon::QtTrayIcon(QtToolkit& toolkit, Window& owner, std::string_view icon, const QString& tip,
                       uint32_t callback_message)
    : toolkit_(toolkit),
      owner_(owner),
      callback_message_(callback_message),
      icon_name_(icon),
      icon_(std::make_unique<QSystemTrayIcon>(toolkit.Icon(ToQ(toolkit.ResourcePath(icon))))) {
  icon_->setToolTip(tip);
  QObject::connect(icon_.get(), &QSystemTrayIcon::activated, icon_.get(),
                   [this](QSystemTrayIcon::ActivationReason reason) {
                     if (reason == QSystemTrayIcon::Trigger) Click(false);
                     if (reason == QSystemTrayIcon::Context) Click(true);
                   });
  // Without a tray (a bare X server, offscreen) the icon is simply not shown.
  if (QSystemTrayIcon::isSystemTrayAvailable()) icon_->show();
}

QtTrayIcon::~QtTrayIcon() = default;

bool QtTrayIcon::IsAvailable() const {
  // A tray that appeared after the icon was made does not show it: the
  // program must not hide its window into it.
  return icon_->isVisible() && QSystemTrayIcon::isSystemTrayAvailable();
}

std::string QtTrayIcon::ToolTip() const {
  return icon_->toolTip().toStdString();
}

void QtTrayIcon::SetToolTip(std::string_view tip) {
  icon_->setToolTip(ToQ(tip));
}

void QtTrayIcon::SetIcon(std::string_view icon) {
  if (icon == icon_name_) return;
  icon_name_ = icon;
  icon_->setIcon(toolkit_.Icon(ToQ(toolkit_.ResourcePath(icon))));
}

void QtTrayIcon::Click(bool right_button) {
  owner_.PostMessage(callback_message_, 0, right_button ? kTrayRightButtonUp : kTrayLeftButtonUp);
}

}  // namespace vexel::toolkit::qt
