// Pop-up menus (QMenu) and the tray icon (QSystemTrayIcon) of the Qt toolkit.
#pragma once

#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>
#include <memory>

#include "toolkit/menu.h"
#include "toolkit/tray_icon.h"
#include "toolkit/window.h"

namespace vexel::toolkit::qt {

class QtToolkit;

class QtMenu final : public Menu {
 public:
  // Commands are posted to `mailbox` (the owner window's backend).
  QtMenu(QtToolkit& toolkit, QObject* mailbox, const MenuLayout& layout, Point position);
  ~QtMenu() override;

  int VisibleItemCount() const override { return visible_items_; }
  Point Position() const override;
  void MoveTo(Point screen_position) override;
  bool IsOpen() const override { return menu_ && menu_->isVisible(); }
  void Close() override;
  bool Trigger(std::string_view name) override;
  void SetChecked(std::string_view name, bool checked) override;

 private:
  void AddItems(QMenu* menu, const std::vector<MenuItem>& items);

  QtToolkit& toolkit_;
  QPointer<QObject> mailbox_;
  std::unique_ptr<QMenu> menu_;
  int visible_items_ = 0;
};

class QtTrayIcon final : public TrayIcon {
 public:
  QtTrayIcon(QtToolkit& toolkit, Window& owner, std::string_view icon, const QString& tip,
             uint32_t callback_message);
  ~QtTrayIcon() override;

  bool IsAvailable() const override;
  std::string ToolTip() const override;
  void SetToolTip(std::string_view tip) override;
  std::string Icon() const override { return icon_name_; }
  void SetIcon(std::string_view icon) override;
  // What a click of the user posts to the owner.
  void Click(bool right_button);

 private:
  QtToolkit& toolkit_;
  Window& owner_;
  uint32_t callback_message_;
  std::string icon_name_;
  std::unique_ptr<QSystemTrayIcon> icon_;
};

}  // namespace vexel::toolkit::qt
