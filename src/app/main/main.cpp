// vexel-mouse: the Vexel Gaming Mouse utility.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "app/autostart.h"
#include "app/main/app_follower_host.h"
#include "app/main/program_bus_service.h"
#include "app/main/single_instance.h"
#include "app/main_wnd.h"
#include "app/msg_wnd.h"
#include "language/language_table.h"
#include "messages/app_messages.h"
#include "platform/linux/bluez/bluez_gatt_platform.h"
#include "platform/linux/bluez/bluez_presence_watcher.h"
#include "platform/linux/dbus_desktop_notifier.h"
#include "platform/linux/x11_active_window.h"
#include "platform/linux/xkb_keyboard_layout.h"
#include "platform/posix/desktop_mouse_settings.h"
#include "platform/posix/dl_library_loader.h"
#include "platform/posix/hidapi_probe.h"
#include "store/store_folder.h"
#include "store/store_lock.h"
#include "toolkit/qt/qt_toolkit.h"
#include "toolkit/startup_trace.h"

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

// Another live process holds the store: a copy of the program started from
// another session (where the single-instance check cannot see it) or a
// vexelctl writer that did not finish. Running on, the two would overwrite
// each other's saves, so the box names the holder and the program ends.
bool RefuseStoreInUse(const vexel::StoreLock& lock, vexel::toolkit::Toolkit& toolkit) {
  using State = vexel::StoreLock::State;
  if (lock.state() != State::kBusy && lock.state() != State::kHeldByProgram) return false;
  std::fprintf(stderr, "vexel-mouse: %s\n", lock.error().c_str());
  vexel::LanguageTable language;
  language.LoadFile(toolkit.ResourcePath("lan.xml"));
  toolkit.SetLanguageTable(language);
  // SIGTERM closes the box as the user would.
  QSocketNotifier termination(termination_pipe[0], QSocketNotifier::Read);
  QObject::connect(&termination, &QSocketNotifier::activated,
                   [] { QApplication::closeAllWindows(); });
  vexel::CMsgWnd::Show(toolkit, nullptr, "warning_title_text", "store_in_use_text",
                       vexel::StoreLockHolderName(lock.holder()));
  toolkit.SetLanguage(nullptr);
  return true;
}

// Without a session bus, the first D-Bus user (Qt's accessibility bridge, as
// the first control gets its name) has libdbus start one through dbus-launch
// and waits for it before the window shows. A bus started that way serves
// nobody: no screen reader, notification service or vexelctl looks there. So
// the program only connects where a session bus lives, as libdbus does when
// one is running.
void KeepSessionBusFromAutolaunch() {
  if (std::getenv("DBUS_SESSION_BUS_ADDRESS") != nullptr) return;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const std::string folder =
      runtime != nullptr && *runtime != '\0' ? runtime : "/run/user/" + std::to_string(::getuid());
  ::setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + folder + "/bus").c_str(), 0);
}

int CommandLineLength(int argc, char** argv) {
  int length = 0;
  for (int i = 0; i < argc; ++i) length += static_cast<int>(std::string(argv[i]).size()) + 1;
  return length;
}

struct Options {
  bool hidden = false;  // the login entry: no window until asked for
};

constexpr char kUsage[] = "usage: vexel-mouse [--hidden]\n";

// The options left after Qt took its own; nullopt after an answer or an error
// on the terminal (exit code in `exit_code`).
std::optional<Options> ParseOptions(int argc, char** argv, int* exit_code) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view option = argv[i];
    if (option == vexel::kHiddenOption) {
      options.hidden = true;
    } else if (option == "--help" || option == "-h") {
      std::fputs(kUsage, stdout);
      *exit_code = 0;
      return std::nullopt;
    } else {
      std::fprintf(stderr, "vexel-mouse: unknown option \"%s\"\n%s", argv[i], kUsage);
      *exit_code = 2;
      return std::nullopt;
    }
  }
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  using vexel::toolkit::StartupTrace;
  StartupTrace::Mark("process start and libraries");
  KeepSessionBusFromAutolaunch();
  QApplication application(argc, argv);
  StartupTrace::Mark("display connection");
  QApplication::setApplicationName(vexel::kMainWindowClass);
  QApplication::setQuitOnLastWindowClosed(false);  // the tray keeps the program running
  int exit_code = 0;
  const std::optional<Options> options = ParseOptions(argc, argv, &exit_code);
  if (!options) return exit_code;

  if (!CatchTerminationSignals()) std::perror("vexel-mouse: signals");
  vexel::SingleInstance instance(vexel::kMainWindowClass);
  if (!instance.BecomeFirst()) {
    // A login start finds the program running already: it stays out of sight.
    if (!options->hidden) instance.AskFirstToShow();
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
  if (RefuseStoreInUse(store_lock, toolkit)) return 1;

  // Bluetooth through BlueZ on the system bus (DBUS_SYSTEM_BUS_ADDRESS when
  // set); it outlives the window, whose session unsubscribes first.
  vexel::bluez::BluezGattPlatform bluetooth;
  vexel::DBusDesktopNotifier notifier(vexel::kMainWindowClass, vexel::kDesktopEntry);
  vexel::PageServices services{clock,          libraries,   hid_probe,
                               program_folder, store_paths, &DebugOutput};
  services.gatt_platform = &bluetooth;
  services.running_app_names = [] { return vexel::RunningAppNames("/proc"); };
  StartupTrace::Mark("instance and store locks, toolkit");
  auto window =
      std::make_unique<vexel::CMainWnd>(toolkit, std::move(services), &notifier,
                                        std::make_unique<vexel::bluez::BluezPresenceWatcher>());
  instance.SetOnShowRequest([&window] { window->PostMessage(vexel::kMsgShowInstance); });
  // Profiles that follow the application in front. X11 cannot tell which
  // window of a Wayland session has the focus: there, running processes tell.
  auto follower = std::make_unique<vexel::AppFollowerHost>(
      window->page(), clock,
      vexel::AppFollowerHost::Options{
          .window_source =
              vexel::IsWaylandSession() ? nullptr : std::make_unique<vexel::X11ActiveWindow>(),
          .debug = &DebugOutput});
  // Scripts and vexelctl change the store through the window while it runs.
  // Made before the window starts the apply worker, whose reports it watches.
  auto bus_service = std::make_unique<vexel::ProgramBusService>(
      window->page(), [&toolkit](std::string_view key) { return toolkit.LanguageText(key); },
      follower.get());
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
  window->SetAutostart(vexel::AutostartFile(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")),
                       vexel::AutostartCommand(program_folder));
  window->PlaceOnScreen();
  if (!options->hidden) window->Show();
  StartupTrace::Mark("window shown");
  const int code = toolkit.RunMessageLoop();
  bus_service.reset();
  follower.reset();
  window.reset();  // closes the links and waits for the apply worker
  return code;
}
