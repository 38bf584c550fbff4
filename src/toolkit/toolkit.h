// The toolkit runtime: one per process (or per test). It owns the message loop,
// the timers, the resource folder, the language table, screens, tray icons and
// file dialogs. Two implementations: toolkit/headless/headless_toolkit.h (tests,
// vexelctl) and toolkit/qt/qt_toolkit.h (the program).
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "language/language_table.h"
#include "platform/clock.h"
#include "toolkit/geometry.h"
#include "toolkit/timer_schedule.h"

namespace vexel::toolkit {

class TrayIcon;
class UserInput;
class Window;
class WindowBackend;

struct FileDialogRequest {
  enum class Mode { kOpen, kSave };
  Mode mode = Mode::kOpen;
  std::string filter_name;  // "Profile Flie"
  std::string patterns;     // "*.pro;*.PRO"
  // kOpen: only existing files can be chosen. kSave: asks before overwriting.
  std::string initial_folder{};  // where the dialog opens; "" = the system's choice
  // kSave: added ("." + extension) to a chosen name that has no extension.
  std::string default_extension{};
};

class Toolkit {
 public:
  explicit Toolkit(Clock& clock);
  virtual ~Toolkit();
  Toolkit(const Toolkit&) = delete;
  Toolkit& operator=(const Toolkit&) = delete;

  Clock& clock() const { return clock_; }
  TimerSchedule& timers() { return timers_; }

  // Folder that layout files and images are read from; "" is the working folder.
  void SetResourceFolder(std::string folder);
  const std::string& ResourceFolder() const { return resource_folder_; }
  std::string ResourcePath(std::string_view relative) const;

  // Where key-mode texts come from. Without one, keys show as they are.
  // Setting it re-shows the key-mode texts of every open window.
  using TextLookup = std::function<std::string(std::string_view key)>;
  void SetLanguage(TextLookup lookup);
  // The table must outlive the toolkit (or the next SetLanguage).
  void SetLanguageTable(const LanguageTable& table) {
    SetLanguage([&table](std::string_view key) { return table.Text(key); });
  }
  std::string LanguageText(std::string_view key) const;
  // The text of a key the skin gives a control for screen readers and
  // tooltips ("accessibleName", "toolTip"): a "%d" in it becomes the number
  // that ends the control's name ("ms_1_btn_key_7": 7).
  std::string ControlText(std::string_view key, std::string_view control_name) const;

  // The toolkit's trace: diagnostics such as a control missing from a layout.
  // Default: standard error.
  void SetTraceSink(std::function<void(std::string_view)> sink);
  void Trace(std::string_view line) const;

  // Runs the UI loop until Quit; returns Quit's code.
  virtual int RunMessageLoop() = 0;
  virtual void Quit(int code) = 0;
  // Runs posted messages, closes and due timers until nothing more is pending,
  // then returns. UI thread.
  virtual void ProcessEvents() = 0;

  virtual Point CursorPosition() const = 0;
  virtual Rect ScreenRect() const = 0;  // the primary screen
  virtual Rect WorkArea() const = 0;    // the primary screen without panels

  // Tray icon owned by the caller; clicks are posted to `owner` as
  // callback_message. `icon` is relative to the resource folder.
  virtual std::unique_ptr<TrayIcon> CreateTrayIcon(Window& owner, std::string_view icon,
                                                   std::string_view tip,
                                                   uint32_t callback_message) = 0;
  // The standard open or save dialog; the chosen path, or nothing on cancel.
  virtual std::optional<std::string> RunFileDialog(Window* owner,
                                                   const FileDialogRequest& request) = 0;
  // Drives controls as a user would (tests, scripted answers).
  virtual UserInput& Input() = 0;

  // Scripted answers of modal runs, for tests: each window that starts a
  // modal run takes the next script, called with the window once it is shown.
  // A script may click its controls (Input()), close it, post messages... The
  // headless toolkit closes a window still open after its script with code 0
  // (as a user closing it from the title bar); the Qt one leaves it to the
  // script.
  using ModalScript = std::function<void(Window& window)>;
  void ScriptModal(ModalScript script);
  // Answers the next modal window by clicking the named control.
  void ScriptModalClick(std::string control_name);
  int PendingModalScripts() const { return static_cast<int>(modal_scripts_.size()); }
  // Class names of the windows run modally, in order.
  const std::vector<std::string>& ModalLog() const { return modal_log_; }
  // The innermost window in a modal run, or null: a message box raised from
  // inside a dialog belongs over that dialog, not over the main window.
  Window* TopModalWindow() const { return modal_stack_.empty() ? nullptr : modal_stack_.back(); }
  // Scripted answers of file dialogs, for tests (nullopt = cancelled): while
  // one is queued, RunFileDialog returns it without showing a dialog. Without
  // one the headless toolkit cancels; the Qt one shows the real dialog.
  void ScriptFileDialog(std::optional<std::string> answer);
  const std::vector<FileDialogRequest>& FileDialogLog() const { return file_requests_; }

  // For Window only.
  virtual std::unique_ptr<WindowBackend> CreateWindowBackend(Window& window) = 0;
  void EnterModal(Window& window) { modal_stack_.push_back(&window); }
  void LeaveModal() { modal_stack_.pop_back(); }
  // A backend whose window went away; deleted at the next safe point.
  void Retire(std::unique_ptr<WindowBackend> backend);

 protected:
  // Re-shows key-mode texts after the table changed.
  virtual void OnLanguageChanged() {}
  // A backend was retired: the implementation calls DeleteRetired when no
  // dispatch is on the stack.
  virtual void OnBackendRetired() {}
  void DeleteRetired();
  // Logs the modal run and runs its script, if one is queued; false if none.
  bool RunModalScript(Window& window);
  // Logs the request; the scripted answer if one is queued, with the
  // request's default extension as the real dialog would add it.
  std::optional<std::optional<std::string>> TakeFileDialogAnswer(const FileDialogRequest& request);

 private:
  Clock& clock_;
  TimerSchedule timers_;
  std::string resource_folder_;
  TextLookup language_;
  std::function<void(std::string_view)> trace_;
  std::vector<std::unique_ptr<WindowBackend>> retired_;
  std::deque<ModalScript> modal_scripts_;
  std::vector<std::string> modal_log_;
  std::vector<Window*> modal_stack_;
  std::deque<std::optional<std::string>> file_answers_;
  std::vector<FileDialogRequest> file_requests_;
};

}  // namespace vexel::toolkit
