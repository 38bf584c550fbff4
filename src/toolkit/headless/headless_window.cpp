#include "toolkit/headless/headless_window.h"

#include "toolkit/headless/headless_menu.h"
#include "toolkit/headless/headless_toolkit.h"

namespace vexel::toolkit::headless {

HeadlessWindowBackend::HeadlessWindowBackend(HeadlessToolkit& toolkit, Window& window, uint64_t id)
    : WindowBackend(window), toolkit_(toolkit), id_(id) {
  toolkit_.Register(this);
}

HeadlessWindowBackend::~HeadlessWindowBackend() {
  toolkit_.Unregister(this);
  focus_ = nullptr;
  root_.reset();
}

bool HeadlessWindowBackend::Build(const std::string& layout_path, Window* parent,
                                  const WindowOptions& options, std::string* error) {
  std::unique_ptr<UiNode> ui = LoadUiFile(layout_path, error);
  if (!ui) return false;
  options_ = options;
  parent_ = parent;
  root_ = std::make_unique<HeadlessControl>(*this, nullptr, *ui);
  names_.clear();
  root_->RegisterNames(&names_);
  if (const UiProperty* geometry = ui->Property("geometry"); geometry && geometry->has_rect) {
    rect_ = geometry->rect;
  }
  title_ = ui->Text("windowTitle");
  open_ = true;
  visible_ = false;
  return true;
}

Control* HeadlessWindowBackend::FindControl(std::string_view name) const {
  auto it = names_.find(name);
  return it == names_.end() ? nullptr : it->second;
}

void HeadlessWindowBackend::Show(bool show) {
  visible_ = show;
  if (show && options_.activate) active_ = true;
  if (!show) active_ = false;
}

void HeadlessWindowBackend::Activate() {
  active_ = open_ && visible_;
}

void HeadlessWindowBackend::Center() {
  const Rect area = parent_ && parent_->IsCreated() ? parent_->ScreenRect() : toolkit_.WorkArea();
  const int left = area.left + (area.Width() - rect_.Width()) / 2;
  const int top = area.top + (area.Height() - rect_.Height()) / 2;
  rect_ = Rect{left, top, left + rect_.Width(), top + rect_.Height()};
}

int HeadlessWindowBackend::RunModal() {
  if (!open_) return 0;
  modal_ = true;
  visible_ = true;
  active_ = true;
  Window* window = owner();
  if (window) toolkit_.AnswerModal(*window);
  toolkit_.ProcessEvents();
  if (open_) {
    // Nobody answered: the user closes it from the title bar.
    RequestClose(0);
    toolkit_.ProcessEvents();
  }
  modal_ = false;
  return close_code_;
}

void HeadlessWindowBackend::RequestClose(int code) {
  if (open_) toolkit_.Enqueue({id_, true, code, Message{}});
}

void HeadlessWindowBackend::Post(Message message) {
  toolkit_.Enqueue({id_, false, 0, std::move(message)});
}

std::unique_ptr<Menu> HeadlessWindowBackend::CreateMenu(const MenuLayout& layout,
                                                        Point screen_position) {
  return std::make_unique<HeadlessMenu>(toolkit_, id_, layout, screen_position);
}

void HeadlessWindowBackend::Detach() {
  ClearWindow();
  open_ = false;
  visible_ = false;
}

void HeadlessWindowBackend::ProcessClose(int code) {
  if (!open_) return;
  close_code_ = code;
  visible_ = false;
  active_ = false;
  focus_ = nullptr;
  // Controls stay alive (callers may still hold them) but stop ticking.
  root_->StopTimers();
  DeliverDestroyed();
  open_ = false;
}

void HeadlessWindowBackend::MoveFocus(HeadlessControl* control, bool notify) {
  if (focus_ == control) return;
  HeadlessControl* previous = focus_;
  focus_ = control;
  if (!notify) return;
  if (previous) previous->Raise(kNotifyKillFocus);
  if (control && focus_ == control) control->Raise(kNotifySetFocus);
}

std::unique_ptr<HeadlessControl> HeadlessWindowBackend::BuildRow(std::string_view layout_file,
                                                                 HeadlessControl* list) {
  std::string error;
  const std::string path = toolkit_.ResourcePath(layout_file);
  std::unique_ptr<UiNode> ui = LoadUiFile(path, &error);
  if (!ui) {
    toolkit_.Trace("toolkit: cannot load list row " + path + ": " + error);
    return nullptr;
  }
  return std::make_unique<HeadlessControl>(*this, list, *ui);
}

void HeadlessWindowBackend::ForgetControl(const HeadlessControl* control) {
  if (focus_ == control) focus_ = nullptr;
}

}  // namespace vexel::toolkit::headless
