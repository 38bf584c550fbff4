// The main window with its page on the headless toolkit, in virtual time, with
// fake driver libraries and a store in a temporary folder.
#pragma once

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/main_wnd.h"
#include "messages/app_messages.h"
#include "platform/fake_desktop_notifier.h"
#include "support/fake_driver_library.h"
#include "support/run_command.h"
#include "toolkit/control.h"
#include "toolkit/headless/headless_toolkit.h"

namespace vexel::testing {

class MainWindowHarness {
 public:
  MainWindowHarness() {
    // The program picks its language by the locale: tests read English.
    setenv("LC_ALL", "C.UTF-8", 1);
    toolkit.SetResourceFolder(std::string(VEXEL_SOURCE_DIR) + "/res");
    toolkit.SetTraceSink([this](std::string_view line) { trace.emplace_back(line); });
    toolkit.SetScreen({0, 0, 1920, 1080}, {0, 0, 1920, 1040});
  }

  // Creates the main window; the links open as the fake libraries answer.
  void Start() {
    PageServices services{
        clock, loader, probe, "/program", StorePaths{data.path()}, [this](std::string_view line) {
          debug.emplace_back(line);
        }};
    services.mouse_settings = mouse_settings;
    services.running_app_names = running_app_names;
    window = std::make_unique<CMainWnd>(toolkit, std::move(services), &notifier);
    window->SetBackgroundSaves(background_saves);
    window->Create();
    toolkit.ProcessEvents();
  }
  void Advance(int ms) {
    clock.Advance(Clock::Ms(ms));
    toolkit.ProcessEvents();
  }
  // Lets the apply worker finish and runs what it posted.
  void Settle() {
    toolkit.ProcessEvents();
    if (page().session().worker() != nullptr) page().session().worker()->WaitIdle();
    toolkit.ProcessEvents();
  }
  CMS_1_Page& page() { return window->page(); }
  toolkit::Control& Control(const std::string& name) {
    toolkit::Control* control = window->FindControl(name);
    if (control == nullptr) throw std::runtime_error("no control " + name);
    return *control;
  }
  bool TimerSet(uint32_t id) { return toolkit.timers().IsSet(window.get(), id); }
  bool ControlTimerSet(const std::string& name, uint32_t id) {
    return toolkit.timers().IsSet(static_cast<const void*>(&Control(name)), id);
  }
  ProfileRecord Edited() {
    auto access = page().store().Lock();
    return *access->EditedProfile();
  }

  ManualClock clock;
  toolkit::headless::HeadlessToolkit toolkit{clock};
  FakeDriverState wired;
  FakeDriverState wireless;
  FakeLibraryLoader loader{wired, wireless};
  FakeHidProbe probe;
  TempDir data;
  FakeDesktopNotifier notifier;
  std::vector<std::string> trace;
  std::vector<std::string> debug;
  std::unique_ptr<CMainWnd> window;
  MouseSettings* mouse_settings = nullptr;                      // set before Start
  std::function<std::vector<std::string>()> running_app_names;  // set before Start
  // Set before Start: saves on the writer thread, as in the program. Off,
  // a save is on disk when the message that caused it has been handled.
  bool background_saves = false;
};

}  // namespace vexel::testing
