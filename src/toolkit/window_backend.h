// What an implementation (headless, Qt) supplies behind one toolkit::Window.
// Controllers never see this; they use Window.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "toolkit/geometry.h"
#include "toolkit/window.h"

namespace vexel::toolkit {

class WindowBackend {
 public:
  explicit WindowBackend(Window& window) : window_(&window) {}
  virtual ~WindowBackend() = default;

  // Builds the controls from the layout file (full path). Runs no callbacks.
  virtual bool Build(const std::string& layout_path, Window* parent, const WindowOptions& options,
                     std::string* error) = 0;
  virtual bool IsOpen() const = 0;
  virtual Control* FindControl(std::string_view name) const = 0;

  virtual void Show(bool show) = 0;
  virtual bool IsVisible() const = 0;
  virtual void Minimize() = 0;
  virtual void Restore() = 0;
  virtual bool IsMinimized() const = 0;
  virtual void Activate() = 0;
  virtual void Center() = 0;
  virtual Rect ScreenRect() const = 0;
  virtual void SetScreenRect(const Rect& rect) = 0;
  virtual void SetTitle(std::string_view title) = 0;
  virtual std::string Title() const = 0;
  virtual void SetIcon(const std::string& image_path) = 0;

  // Runs a nested loop until the window is destroyed; returns the close code.
  virtual int RunModal() = 0;
  // Queues the close; when the loop reaches it the backend destroys its UI,
  // calls DeliverDestroyed and ends a modal run with `code`.
  virtual void RequestClose(int code) = 0;
  // Thread-safe; delivered in order through DeliverMessage.
  virtual void Post(Message message) = 0;
  virtual std::unique_ptr<Menu> CreateMenu(const MenuLayout& layout, Point screen_position) = 0;

  // The window object is going away: drop the UI without calling back.
  virtual void Detach() = 0;

  // The backend of a window (a parent, say), or nullptr.
  static WindowBackend* BackendOf(const Window* window) {
    return window ? window->backend_.get() : nullptr;
  }

 protected:
  Window* window() const { return window_; }

  void ClearWindow() { window_ = nullptr; }
  // Calls into the window; each is a no-op once the window is detached.
  void DeliverNotification(const Notification& notification) {
    if (window_) window_->DispatchNotification(notification);
  }
  bool DeliverMessage(const Message& message) {
    return window_ ? window_->DispatchMessage(message) : false;
  }
  // kMsgDestroy, OnDestroy, window timers stopped, OnFinalMessage. The window
  // may delete itself in OnFinalMessage: touch nothing of it afterwards.
  void DeliverDestroyed() {
    Window* window = window_;
    window_ = nullptr;
    if (window) window->DispatchDestroyed();
  }

 private:
  Window* window_;
};

}  // namespace vexel::toolkit
