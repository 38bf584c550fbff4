// One window of the headless toolkit: its control tree, open/visible state,
// focus, and the hand-over of posted messages and closes to the loop.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "toolkit/headless/headless_control.h"
#include "toolkit/window_backend.h"

namespace vexel::toolkit::headless {

class HeadlessToolkit;

class HeadlessWindowBackend final : public WindowBackend {
 public:
  HeadlessWindowBackend(HeadlessToolkit& toolkit, Window& window, uint64_t id);
  ~HeadlessWindowBackend() override;

  bool Build(const std::string& layout_path, Window* parent, const WindowOptions& options,
             std::string* error) override;
  bool IsOpen() const override { return open_; }
  Control* FindControl(std::string_view name) const override;

  void Show(bool show) override;
  bool IsVisible() const override { return open_ && visible_; }
  void Minimize() override { minimized_ = true; }
  void Restore() override { minimized_ = false; }
  bool IsMinimized() const override { return minimized_; }
  void Activate() override;
  void Center() override;
  Rect ScreenRect() const override { return rect_; }
  void SetScreenRect(const Rect& rect) override { rect_ = rect; }
  void SetTitle(std::string_view title) override { title_ = title; }
  std::string Title() const override { return title_; }
  void SetIcon(const std::string& image_path) override { icon_ = image_path; }

  int RunModal() override;
  void RequestClose(int code) override;
  void Post(Message message) override;
  std::unique_ptr<Menu> CreateMenu(const MenuLayout& layout, Point screen_position) override;
  void Detach() override;

  // ---- For the loop, the controls and UserInput ----
  uint64_t id() const { return id_; }
  HeadlessToolkit& toolkit() const { return toolkit_; }
  const WindowOptions& options() const { return options_; }
  bool IsActive() const { return active_; }
  Window* owner() const { return window(); }
  void Notify(const Notification& notification) { DeliverNotification(notification); }
  void Deliver(const Message& message) { DeliverMessage(message); }
  void ProcessClose(int code);
  HeadlessControl* focus() const { return focus_; }
  // Moves the focus; with notify, "killfocus" and "setfocus" are raised.
  void MoveFocus(HeadlessControl* control, bool notify);
  // A list row from a layout file; nullptr when it cannot be loaded.
  std::unique_ptr<HeadlessControl> BuildRow(std::string_view layout_file, HeadlessControl* list);
  void ForgetControl(const HeadlessControl* control);

 private:
  HeadlessToolkit& toolkit_;
  const uint64_t id_;
  WindowOptions options_;
  Window* parent_ = nullptr;
  std::unique_ptr<HeadlessControl> root_;
  std::map<std::string, HeadlessControl*, std::less<>> names_;
  HeadlessControl* focus_ = nullptr;
  bool open_ = false;
  bool visible_ = false;
  bool minimized_ = false;
  bool active_ = false;
  bool modal_ = false;
  int close_code_ = 0;
  Rect rect_;
  std::string title_;
  std::string icon_;
};

}  // namespace vexel::toolkit::headless
