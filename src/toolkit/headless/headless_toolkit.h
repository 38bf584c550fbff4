// The toolkit without a display: windows built from the same layout files as
// the real program, a message loop on a vexel::Clock (a ManualClock in tests:
// timers fire when the test advances time and calls ProcessEvents), and modal
// windows and file dialogs answered by a script the test queues beforehand.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/menu.h"
#include "toolkit/toolkit.h"
#include "toolkit/user_input.h"
#include "toolkit/window.h"

namespace vexel::toolkit::headless {

class HeadlessWindowBackend;
class HeadlessMenu;

class HeadlessToolkit final : public Toolkit {
 public:
  explicit HeadlessToolkit(Clock& clock);
  ~HeadlessToolkit() override;

  int RunMessageLoop() override;
  void Quit(int code) override;
  void ProcessEvents() override;

  Point CursorPosition() const override { return cursor_; }
  Rect ScreenRect() const override { return screen_; }
  Rect WorkArea() const override { return work_area_; }
  std::unique_ptr<TrayIcon> CreateTrayIcon(Window& owner, std::string_view icon,
                                           std::string_view tip,
                                           uint32_t callback_message) override;
  std::optional<std::string> RunFileDialog(Window* owner,
                                           const FileDialogRequest& request) override;
  UserInput& Input() override { return *input_; }
  std::unique_ptr<WindowBackend> CreateWindowBackend(Window& window) override;

  // ---- Test controls ----
  void SetScreen(Rect screen, Rect work_area) {
    screen_ = screen;
    work_area_ = work_area;
  }
  void SetCursorPosition(Point cursor) { cursor_ = cursor; }
  void SetTrayAvailable(bool available) { tray_available_ = available; }
  bool tray_available() const { return tray_available_; }
  // The menu opened last while it is still open, else nullptr.
  Menu* OpenMenu() const;
  std::optional<int> quit_code() const;

  // ---- For the headless windows ----
  struct QueuedEvent {
    uint64_t window_id = 0;
    bool close = false;
    int close_code = 0;
    Message message;
  };
  void Enqueue(QueuedEvent event);  // any thread
  void Register(HeadlessWindowBackend* backend);
  void Unregister(HeadlessWindowBackend* backend);
  HeadlessWindowBackend* Backend(uint64_t id) const;
  // Runs the next modal script; traces a modal run nobody answers.
  void AnswerModal(Window& window);
  void AddMenu(HeadlessMenu* menu) { menus_.push_back(menu); }
  void RemoveMenu(HeadlessMenu* menu);

 private:
  bool RunOneEvent();

  std::unique_ptr<UserInput> input_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<QueuedEvent> queue_;
  std::map<uint64_t, HeadlessWindowBackend*> backends_;
  uint64_t next_window_id_ = 1;
  std::atomic<bool> quit_{false};
  std::atomic<int> quit_code_{0};
  int depth_ = 0;
  std::vector<HeadlessMenu*> menus_;
  Point cursor_{100, 100};
  Rect screen_{0, 0, 1920, 1080};
  Rect work_area_{0, 0, 1920, 1040};
  bool tray_available_ = true;
};

}  // namespace vexel::toolkit::headless
