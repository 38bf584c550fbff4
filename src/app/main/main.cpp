// vexel-mouse: the Vexel Gaming Mouse utility.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/main/program_bus_service.h"
#include "app/main/single_instance.h"
#include "app/main_wnd.h"
#include "messages/app_messages.h"
#include "platform/linux/bluez/bluez_gatt_platform.h"
#include "platform/linux/bluez/bluez_presence_watcher.h"
#include "platform/linux/dbus_desktop_notifier.h"
#include "platform/linux/xkb_keyboard_layout.h"
#include "platform/posix/desktop_mouse_settings.h"
#include "platform/posix/dl_library_loader.h"
#include "platform/posix/hidapi_probe.h"
#include "store/store_folder.h"
#include "store/store_lock.h"
#include "toolkit/qt/qt_toolkit.h"

namespace {

// The debug output: quiet unless VEXEL_DEBUG is set.
void DebugOutput(std::string_view line) {
  static const bool enabled = std::getenv("VEXEL_DEBUG") != nullptr;
  if (enabled) std::fprintf(stderr, "%.*s", static_cast<int>(line.size()), line.data());
}

// SIGTERM and SIGINT end the program through its normal teardown (hooks
// removed, worker stopped, the single-instance lock and socket removed): the
// handler only writes to a pipe that the UI loop watches.
int termination_pipe[2] = {-1, -1};

void OnTerminationSignal(int /*signal*/) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = ::write(termination_pipe[1], &byte, 1);
}

bool CatchTerminationSignals() {
  if (::pipe2(termination_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  struct sigaction action = {};
  action.sa_handler = &OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  return ::sigaction(SIGTERM, &action, nullptr) == 0 && ::sigaction(SIGINT, &action, nullptr) == 0;
}

int CommandLineLength(int argc, char** argv) {
  int length = 0;
  for (int i = 0; i < argc; ++i) length += static_cast<int>(std::string(argv[i]).size()) + 1;
  return length;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(vexel::kMainWindowClass);
  QApplication::setQuitOnLastWindowClosed(false);  // the tray keeps the program running

  if (!CatchTerminationSignals()) std::perror("vexel-mouse: signals");
  vexel::SingleInstance instance(vexel::kMainWindowClass);
  if (!instance.BecomeFirst()) {
    instance.AskFirstToShow();
    return 1;
  }
  DebugOutput("ilen = " + std::to_string(CommandLineLength(argc, argv)) + "\r\n");

  vexel::SteadyClock clock;
  // One writer at a time: the program holds the store for as long as it runs,
  // so vexelctl refuses to write behind its back. A vexelctl command under
  // way finishes first.
  const vexel::StorePaths store_paths = vexel::DefaultStorePaths();
  const vexel::StoreLock store_lock = vexel::StoreLock::Acquire(
      store_paths.folder, vexel::kProgramName, clock, vexel::kToolLockWait);
  if (!store_lock) DebugOutput("store lock: " + store_lock.error() + "\n");
  vexel::DlLibraryLoader libraries;
  vexel::HidapiProbe hid_probe;
  vexel::DesktopMouseSettings mouse_settings;
  const std::filesystem::path program_folder = vexel::ProgramFolder();
  vexel::toolkit::qt::QtToolkit toolkit(clock);
  toolkit.SetResourceFolder((program_folder / "res").string());

  // Bluetooth through BlueZ on the system bus (DBUS_SYSTEM_BUS_ADDRESS when
  // set); it outlives the window, whose session unsubscribes first.
  vexel::bluez::BluezGattPlatform bluetooth;
  vexel::DBusDesktopNotifier notifier(vexel::kMainWindowClass, vexel::kDesktopEntry);
  vexel::PageServices services{clock,          libraries,   hid_probe,
                               program_folder, store_paths, &DebugOutput};
  services.gatt_platform = &bluetooth;
  auto window =
      std::make_unique<vexel::CMainWnd>(toolkit, std::move(services), &notifier,
                                        std::make_unique<vexel::bluez::BluezPresenceWatcher>());
  instance.SetOnShowRequest([&window] { window->PostMessage(vexel::kMsgShowInstance); });
  // Scripts and vexelctl change the store through the window while it runs.
  // Made before the window starts the apply worker, whose reports it watches.
  auto bus_service = std::make_unique<vexel::ProgramBusService>(
      window->page(), [&toolkit](std::string_view key) { return toolkit.LanguageText(key); });
  if (!bus_service->Registered()) DebugOutput("D-Bus: the session bus name is not ours\n");
  // Placed before it is first shown, so it does not flicker from the corner.
  if (!window->Create(nullptr, {.visible = false})) {
    std::fprintf(stderr, "vexel-mouse: cannot load the skin from %s\n",
                 toolkit.ResourceFolder().c_str());
    return 2;
  }
  QSocketNotifier termination(termination_pipe[0], QSocketNotifier::Read);
  QObject::connect(&termination, &QSocketNotifier::activated, [&window] {
    char drained[16];
    while (::read(termination_pipe[0], drained, sizeof(drained)) > 0) {
    }
    // A modal box open at the time (the no-device box) ends as if closed by
    // the user, so its loop returns before the main window goes.
    QApplication::closeAllWindows();
    window->Close(0);
  });
  window->page().SetMacroKeyboardLayout(vexel::XkbKeyboardLayout::ForThisSession());
  window->SetScreenRect({0, 0, vexel::kMainWindowWidth, vexel::kMainWindowHeight});
  window->CenterWindow();
  window->Show();
  const int code = toolkit.RunMessageLoop();
  bus_service.reset();
  window.reset();  // closes the links and waits for the apply worker
  return code;
}
