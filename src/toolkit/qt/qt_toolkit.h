// The toolkit on Qt 6 Widgets: the program's implementation. Layouts are
// built at run time from the resource folder's layout files; timers run on
// the shared TimerSchedule, woken by one QTimer; posted messages are QEvents.
#pragma once

#include <QButtonGroup>
#include <QEventLoop>
#include <QHash>
#include <QIcon>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <set>
#include <vector>

#include "toolkit/qt/qt_input.h"
#include "toolkit/toolkit.h"

namespace vexel::toolkit::qt {

class QtWindowBackend;

class QtToolkit final : public Toolkit {
 public:
  // Uses the QApplication the program made, or makes one (tests).
  explicit QtToolkit(Clock& clock);
  ~QtToolkit() override;

  int RunMessageLoop() override;
  void Quit(int code) override;
  void ProcessEvents() override;

  Point CursorPosition() const override;
  Rect ScreenRect() const override;
  Rect WorkArea() const override;
  std::unique_ptr<TrayIcon> CreateTrayIcon(Window& owner, std::string_view icon,
                                           std::string_view tip,
                                           uint32_t callback_message) override;
  std::optional<std::string> RunFileDialog(Window* owner,
                                           const FileDialogRequest& request) override;
  UserInput& Input() override;
  std::unique_ptr<WindowBackend> CreateWindowBackend(Window& window) override;

  // ---- For the Qt backends ----
  // Runs the next scripted answer of a modal run, if any.
  void AnswerModal(Window& window) { RunModalScript(window); }
  void Register(QtWindowBackend* backend) { backends_.insert(backend); }
  void Unregister(QtWindowBackend* backend) { backends_.erase(backend); }
  // The icon of an image file, read once and shared, so each size of it is
  // rendered once (window icons, the tray icon and its battery states).
  QIcon Icon(const QString& path);
  // The exclusive group `name` of the options of one window.
  QButtonGroup* ButtonGroup(QWidget* root, const QString& name);
  // Held while calling into windows: retired backends wait until none is.
  class DispatchScope {
   public:
    explicit DispatchScope(QtToolkit& toolkit) : toolkit_(toolkit) { ++toolkit_.depth_; }
    ~DispatchScope();
    DispatchScope(const DispatchScope&) = delete;
    DispatchScope& operator=(const DispatchScope&) = delete;

   private:
    QtToolkit& toolkit_;
  };
  // Deletes a closed window's widgets once no dispatch is on the stack.
  void Bury(QWidget* widget);
  // Counts messages the backends delivered, so ProcessEvents knows when the
  // queue ran dry.
  void CountDelivery() { ++deliveries_; }

 protected:
  void OnLanguageChanged() override;
  void OnBackendRetired() override;

 private:
  void ArmWake();
  void RunTimers();
  void DeleteRetiredWhenIdle();

  std::unique_ptr<QtUserInput> input_;
  std::unique_ptr<QTimer> wake_;
  std::set<QtWindowBackend*> backends_;
  QHash<QString, QIcon> icons_;
  std::vector<QPointer<QWidget>> graveyard_;
  QPointer<QEventLoop> main_loop_;
  bool quit_requested_ = false;
  int quit_code_ = 0;
  int depth_ = 0;
  uint64_t deliveries_ = 0;
};

}  // namespace vexel::toolkit::qt
