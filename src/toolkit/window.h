// toolkit::Window: a window built from a layout file under res/ (the
// WindowImplBase of the skin's windows). A window class derives from it, names
// its class and layout, finds its controls in InitWindow, and reacts to
// notifications, numbered messages and timers:
//
//   class CMsgWnd : public toolkit::Window {
//     std::string WindowClassName() const override { return "MsgWnd"; }
//     std::string SkinFile() const override { return "msg.xml"; }
//     void InitWindow() override { ok_ = FindControl("btn_ok"); }
//     void OnClick(const toolkit::Notification& n) override {
//       if (n.sender == ok_) Close(1);
//     }
//   };
//   CMsgWnd box(toolkit);
//   box.Create(&parent, {.tool_window = true});
//   box.CenterWindow();
//   int code = box.ShowModal();
//
// Everything but PostMessage runs on the UI thread.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "toolkit/geometry.h"
#include "toolkit/menu.h"
#include "toolkit/message_ids.h"
#include "toolkit/notification.h"

namespace vexel::toolkit {

class Control;
class Toolkit;
class WindowBackend;

struct Message {
  uint32_t id = 0;
  uintptr_t wparam = 0;
  intptr_t lparam = 0;
  // Set for kMsgMenuCommand sent by a menu; owned by the message.
  std::shared_ptr<const MenuCommand> menu_command;
};

// What assistive technologies call a window. Dialogs and alerts also answer
// the keyboard: Enter presses the focused or the default button, Escape
// closes with 0, and the default button has the focus when they open unless
// InitWindow gave it to a field.
enum class WindowRole { kWindow, kDialog, kAlert };

struct WindowOptions {
  WindowRole role = WindowRole::kWindow;
  bool tool_window = false;  // no task-bar entry
  bool topmost = false;      // stays above other windows
  bool activate = true;      // takes the focus when shown
  bool visible = true;       // shown by Create
};

class Window : public NotificationSink {
 public:
  explicit Window(Toolkit& toolkit);
  ~Window() override;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  Toolkit& toolkit() const { return toolkit_; }

  // ---- What a window class provides ----
  virtual std::string WindowClassName() const = 0;
  // Layout file relative to the resource folder ("msg.xml", "MS/MS_1/...").
  virtual std::string SkinFile() const = 0;
  // Runs once inside Create, after the controls exist.
  virtual void InitWindow() {}
  // Every notification of a control outside a registered virtual window.
  // Default: "click" goes to OnClick, everything else is ignored.
  void Notify(const Notification& notification) override;
  virtual void OnClick(const Notification& /*notification*/) {}
  // Posted and sent messages, and window timers (kMsgTimer, wparam = id).
  // Return true when handled.
  virtual bool HandleCustomMessage(const Message& /*message*/) { return false; }
  // The window is being destroyed (after kMsgDestroy went to
  // HandleCustomMessage); controls still exist.
  virtual void OnDestroy() {}
  // Last call of a window's life; a self-owned window may delete itself here.
  virtual void OnFinalMessage() {}

  // ---- Life cycle ----
  // Builds the layout, runs InitWindow and shows the window unless
  // options.visible is false. False (traced) when the layout cannot be loaded.
  bool Create(Window* parent = nullptr, const WindowOptions& options = {});
  bool IsCreated() const;
  // Shows the window modal to its parent and returns the code given to Close.
  // The window manager's close gives 0.
  int ShowModal();
  // Closes the window with `code` once control returns to the message loop:
  // kMsgDestroy, OnDestroy, OnFinalMessage, and ShowModal returns `code`.
  void Close(int code = 0);

  void Show(bool show = true);
  bool IsVisible() const;
  void Minimize();
  void Restore();
  bool IsMinimized() const;
  // Shows, restores and activates the window.
  void BringToFront();
  void CenterWindow();  // on the parent, or on the primary screen
  Rect ScreenRect() const;
  void SetScreenRect(const Rect& rect);  // move and resize
  void SetTitle(std::string_view title);
  std::string Title() const;
  void SetIcon(std::string_view image);  // path relative to the resource folder

  // ---- Controls ----
  // The control of that name, or nullptr; a miss is written to the trace.
  Control* FindControl(std::string_view name) const;

  // ---- Messages and timers ----
  // Safe from any thread; messages arrive in order on the UI thread. Messages
  // posted to a window that is gone are dropped. The window object itself must
  // outlive the posting thread's use of it.
  void PostMessage(uint32_t id, uintptr_t wparam = 0, intptr_t lparam = 0);
  void PostMessage(Message message);
  // Runs HandleCustomMessage now (UI thread); returns whether it was handled.
  bool SendMessage(uint32_t id, uintptr_t wparam = 0, intptr_t lparam = 0);
  // Window timer: kMsgTimer with wparam = id every period_ms until KillTimer.
  // A second SetTimer with the same id restarts the period.
  void SetTimer(uint32_t id, int period_ms);
  void KillTimer(uint32_t id);

  // ---- Virtual windows ----
  // Notifications from controls whose skin branch carries the property
  // virtualwnd = `name` go to `sink` instead of Notify.
  void AddVirtualWindow(std::string name, NotificationSink* sink);

  // ---- Menus ----
  // Opens a menu from a menu layout file with its top-left corner at
  // `screen_position`; its commands arrive here as kMsgMenuCommand. nullptr
  // (traced) when the file cannot be loaded. `adjust` may change the loaded
  // layout first (items only the program knows).
  std::unique_ptr<Menu> CreateMenu(std::string_view layout_file, Point screen_position,
                                   const std::function<void(MenuLayout&)>& adjust = nullptr);

 private:
  friend class WindowBackend;
  void DispatchNotification(const Notification& notification);
  bool DispatchMessage(const Message& message);
  void DispatchDestroyed();
  void DestroyBackend();

  Toolkit& toolkit_;
  std::unique_ptr<WindowBackend> backend_;
  std::map<std::string, NotificationSink*, std::less<>> virtual_windows_;
};

}  // namespace vexel::toolkit
