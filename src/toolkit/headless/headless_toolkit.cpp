#include "toolkit/headless/headless_toolkit.h"

#include <algorithm>
#include <chrono>

#include "toolkit/control.h"
#include "toolkit/headless/headless_input.h"
#include "toolkit/headless/headless_menu.h"
#include "toolkit/headless/headless_window.h"

namespace vexel::toolkit::headless {
namespace {

// Longest real wait of RunMessageLoop between looks at the clock, so a loop
// on a clock that a test advances from another thread still notices.
constexpr auto kMaxIdleWait = std::chrono::milliseconds(50);

}  // namespace

HeadlessToolkit::HeadlessToolkit(Clock& clock)
    : Toolkit(clock), input_(std::make_unique<HeadlessUserInput>(*this)) {}

// Retired backends unregister themselves from members of this class.
HeadlessToolkit::~HeadlessToolkit() {
  DeleteRetired();
}

std::unique_ptr<WindowBackend> HeadlessToolkit::CreateWindowBackend(Window& window) {
  return std::make_unique<HeadlessWindowBackend>(*this, window, next_window_id_++);
}

void HeadlessToolkit::Register(HeadlessWindowBackend* backend) {
  backends_[backend->id()] = backend;
}

void HeadlessToolkit::Unregister(HeadlessWindowBackend* backend) {
  backends_.erase(backend->id());
}

HeadlessWindowBackend* HeadlessToolkit::Backend(uint64_t id) const {
  auto it = backends_.find(id);
  return it == backends_.end() ? nullptr : it->second;
}

void HeadlessToolkit::Enqueue(QueuedEvent event) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(event));
  }
  wake_.notify_all();
}

bool HeadlessToolkit::RunOneEvent() {
  QueuedEvent event;
  {
    std::lock_guard lock(mutex_);
    if (queue_.empty()) return false;
    event = std::move(queue_.front());
    queue_.pop_front();
  }
  HeadlessWindowBackend* backend = Backend(event.window_id);
  if (!backend) return true;  // the window is gone: dropped
  if (event.close) {
    backend->ProcessClose(event.close_code);
  } else if (backend->IsOpen()) {
    backend->Deliver(event.message);
  }
  return true;
}

void HeadlessToolkit::ProcessEvents() {
  ++depth_;
  bool busy = true;
  while (busy) {
    busy = false;
    while (RunOneEvent()) busy = true;
    if (timers().RunDue() > 0) busy = true;
  }
  --depth_;
  // Backends retired during dispatch may still be on an outer call stack.
  if (depth_ == 0) DeleteRetired();
}

int HeadlessToolkit::RunMessageLoop() {
  while (!quit_) {
    ProcessEvents();
    if (quit_) break;
    std::unique_lock lock(mutex_);
    auto wait = kMaxIdleWait;
    if (const auto next = timers().NextDue()) {
      wait = std::clamp(*next - clock().Now(), Clock::Ms(0), Clock::Ms(kMaxIdleWait));
    }
    wake_.wait_for(lock, wait, [this] { return quit_.load() || !queue_.empty(); });
  }
  quit_ = false;
  return quit_code_;
}

void HeadlessToolkit::Quit(int code) {
  quit_code_ = code;
  quit_ = true;
  wake_.notify_all();
}

std::optional<int> HeadlessToolkit::quit_code() const {
  if (!quit_) return std::nullopt;
  return quit_code_.load();
}

std::unique_ptr<TrayIcon> HeadlessToolkit::CreateTrayIcon(Window& owner, std::string_view icon,
                                                          std::string_view tip,
                                                          uint32_t callback_message) {
  return std::make_unique<HeadlessTrayIcon>(owner, std::string(icon), std::string(tip),
                                            callback_message, tray_available_);
}

std::optional<std::string> HeadlessToolkit::RunFileDialog(Window* /*owner*/,
                                                          const FileDialogRequest& request) {
  return TakeFileDialogAnswer(request).value_or(std::nullopt);
}

void HeadlessToolkit::AnswerModal(Window& window) {
  if (!RunModalScript(window)) {
    Trace("toolkit: no scripted answer for modal " + window.WindowClassName());
  }
}

Menu* HeadlessToolkit::OpenMenu() const {
  for (auto it = menus_.rbegin(); it != menus_.rend(); ++it) {
    if ((*it)->IsOpen()) return *it;
  }
  return nullptr;
}

void HeadlessToolkit::RemoveMenu(HeadlessMenu* menu) {
  std::erase(menus_, menu);
}

}  // namespace vexel::toolkit::headless
