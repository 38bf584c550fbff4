// Menus and tray icons of the headless toolkit: state only, plus Trigger and
// clicks that post what the real ones post.
#pragma once

#include <cstdint>
#include <string>

#include "toolkit/menu.h"
#include "toolkit/tray_icon.h"
#include "toolkit/window.h"

namespace vexel::toolkit::headless {

class HeadlessToolkit;

class HeadlessMenu final : public Menu {
 public:
  HeadlessMenu(HeadlessToolkit& toolkit, uint64_t window_id, MenuLayout layout, Point position);
  ~HeadlessMenu() override;

  int VisibleItemCount() const override { return layout_.VisibleItemCount(); }
  Point Position() const override { return position_; }
  void MoveTo(Point screen_position) override { position_ = screen_position; }
  bool IsOpen() const override { return open_; }
  void Close() override { open_ = false; }
  bool Trigger(std::string_view name) override;
  void SetChecked(std::string_view name, bool checked) override;
  const MenuLayout& layout() const { return layout_; }

 private:
  HeadlessToolkit& toolkit_;
  uint64_t window_id_;
  MenuLayout layout_;
  Point position_;
  bool open_ = true;
};

class HeadlessTrayIcon final : public TrayIcon {
 public:
  HeadlessTrayIcon(Window& owner, std::string icon, std::string tip, uint32_t callback_message,
                   bool available)
      : owner_(owner),
        icon_(std::move(icon)),
        tip_(std::move(tip)),
        callback_message_(callback_message),
        available_(available) {}

  bool IsAvailable() const override { return available_; }
  std::string ToolTip() const override { return tip_; }
  void SetToolTip(std::string_view tip) override { tip_ = tip; }
  std::string Icon() const override { return icon_; }
  void SetIcon(std::string_view icon) override { icon_ = icon; }
  // What a click of the user posts to the owner.
  void Click(bool right_button);

 private:
  Window& owner_;
  std::string icon_;
  std::string tip_;
  uint32_t callback_message_;
  bool available_;
};

}  // namespace vexel::toolkit::headless
