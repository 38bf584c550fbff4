#include "toolkit/headless/headless_menu.h"

#include "toolkit/headless/headless_toolkit.h"

namespace vexel::toolkit::headless {

HeadlessMenu::HeadlessMenu(HeadlessToolkit& toolkit, uint64_t window_id, MenuLayout layout,
                           Point position)
    : toolkit_(toolkit), window_id_(window_id), layout_(std::move(layout)), position_(position) {
  toolkit_.AddMenu(this);
}

HeadlessMenu::~HeadlessMenu() {
  toolkit_.RemoveMenu(this);
}

bool HeadlessMenu::Trigger(std::string_view name) {
  const MenuItem* item = layout_.Find(name);
  if (!open_ || !item || !item->visible) return false;
  open_ = false;
  auto command = std::make_shared<MenuCommand>(
      MenuCommand{item->name, toolkit_.LanguageText(item->text), item->data});
  toolkit_.Enqueue({window_id_, false, 0, Message{kMsgMenuCommand, 0, 0, std::move(command)}});
  return true;
}

void HeadlessMenu::SetChecked(std::string_view name, bool checked) {
  MenuItem* item = layout_.Find(name);
  if (item != nullptr && item->checkable) item->checked = checked;
}

void HeadlessTrayIcon::Click(bool right_button) {
  owner_.PostMessage(callback_message_, 0, right_button ? kTrayRightButtonUp : kTrayLeftButtonUp);
}

}  // namespace vexel::toolkit::headless
