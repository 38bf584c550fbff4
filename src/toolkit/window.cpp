#include "toolkit/window.h"

#include "toolkit/control.h"
#include "toolkit/toolkit.h"
#include "toolkit/window_backend.h"

namespace vexel::toolkit {

std::string_view Notification::SenderName() const {
  return sender ? std::string_view(sender->Name()) : std::string_view();
}

Window::Window(Toolkit& toolkit) : toolkit_(toolkit) {}

Window::~Window() {
  DestroyBackend();
}

void Window::DestroyBackend() {
  toolkit_.timers().KillAll(this);
  if (!backend_) return;
  backend_->Detach();
  // A backend may be on the call stack (OnFinalMessage deleting its window).
  toolkit_.Retire(std::move(backend_));
}

void Window::Notify(const Notification& notification) {
  if (notification.Is(kNotifyClick)) OnClick(notification);
}

bool Window::Create(Window* parent, const WindowOptions& options) {
  DestroyBackend();
  backend_ = toolkit_.CreateWindowBackend(*this);
  std::string error;
  const std::string path = toolkit_.ResourcePath(SkinFile());
  if (!backend_->Build(path, parent, options, &error)) {
    toolkit_.Trace("toolkit: cannot build " + WindowClassName() + " from " + path + ": " + error);
    DestroyBackend();
    return false;
  }
  InitWindow();
  if (options.visible && backend_ && backend_->IsOpen()) backend_->Show(true);
  return true;
}

bool Window::IsCreated() const {
  return backend_ && backend_->IsOpen();
}

int Window::ShowModal() {
  if (!IsCreated()) return 0;
  toolkit_.EnterModal(*this);
  const int code = backend_->RunModal();
  toolkit_.LeaveModal();
  return code;
}

void Window::Close(int code) {
  if (IsCreated()) backend_->RequestClose(code);
}

void Window::Show(bool show) {
  if (IsCreated()) backend_->Show(show);
}
bool Window::IsVisible() const {
  return IsCreated() && backend_->IsVisible();
}
void Window::Minimize() {
  if (IsCreated()) backend_->Minimize();
}
void Window::Restore() {
  if (IsCreated()) backend_->Restore();
}
bool Window::IsMinimized() const {
  return IsCreated() && backend_->IsMinimized();
}
void Window::BringToFront() {
  if (!IsCreated()) return;
  backend_->Show(true);
  if (backend_->IsMinimized()) backend_->Restore();
  backend_->Activate();
}
void Window::CenterWindow() {
  if (IsCreated()) backend_->Center();
}
Rect Window::ScreenRect() const {
  return IsCreated() ? backend_->ScreenRect() : Rect{};
}
void Window::SetScreenRect(const Rect& rect) {
  if (IsCreated()) backend_->SetScreenRect(rect);
}
void Window::SetTitle(std::string_view title) {
  if (IsCreated()) backend_->SetTitle(title);
}
std::string Window::Title() const {
  return IsCreated() ? backend_->Title() : std::string();
}
void Window::SetIcon(std::string_view image) {
  if (IsCreated()) backend_->SetIcon(toolkit_.ResourcePath(image));
}

Control* Window::FindControl(std::string_view name) const {
  Control* control = IsCreated() ? backend_->FindControl(name) : nullptr;
  if (!control) {
    toolkit_.Trace("toolkit: control \"" + std::string(name) + "\" not found in " + SkinFile());
  }
  return control;
}

void Window::PostMessage(uint32_t id, uintptr_t wparam, intptr_t lparam) {
  PostMessage(Message{id, wparam, lparam, nullptr});
}

void Window::PostMessage(Message message) {
  // The backend pointer is set and cleared on the UI thread only while no
  // other thread may post (the owner stops its posters before closing).
  if (backend_) backend_->Post(std::move(message));
}

bool Window::SendMessage(uint32_t id, uintptr_t wparam, intptr_t lparam) {
  return DispatchMessage(Message{id, wparam, lparam, nullptr});
}

void Window::SetTimer(uint32_t id, int period_ms) {
  if (!IsCreated()) return;
  toolkit_.timers().Set(this, id, period_ms, [this, id] {
    DispatchMessage(Message{kMsgTimer, id, 0, nullptr});
  });
}

void Window::KillTimer(uint32_t id) {
  toolkit_.timers().Kill(this, id);
}

void Window::AddVirtualWindow(std::string name, NotificationSink* sink) {
  virtual_windows_[std::move(name)] = sink;
}

std::unique_ptr<Menu> Window::CreateMenu(std::string_view layout_file, Point screen_position,
                                         const std::function<void(MenuLayout&)>& adjust) {
  if (!IsCreated()) return nullptr;
  MenuLayout layout;
  std::string error;
  const std::string path = toolkit_.ResourcePath(layout_file);
  if (!LoadMenuLayout(path, &layout, &error)) {
    toolkit_.Trace("toolkit: cannot load menu " + path + ": " + error);
    return nullptr;
  }
  if (adjust) adjust(layout);
  return backend_->CreateMenu(layout, screen_position);
}

void Window::DispatchNotification(const Notification& notification) {
  if (!notification.virtual_window.empty()) {
    auto it = virtual_windows_.find(notification.virtual_window);
    if (it != virtual_windows_.end() && it->second) {
      it->second->Notify(notification);
      return;
    }
  }
  Notify(notification);
}

bool Window::DispatchMessage(const Message& message) {
  return HandleCustomMessage(message);
}

void Window::DispatchDestroyed() {
  toolkit_.timers().KillAll(this);
  HandleCustomMessage(Message{kMsgDestroy, 0, 0, nullptr});
  OnDestroy();
  OnFinalMessage();
}

}  // namespace vexel::toolkit
