// vexel-mouse: the Vexel Gaming Mouse utility.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/main/single_instance.h"
#include "app/main_wnd.h"
#include "platform/linux/xkb_keyboard_layout.h"
#include "platform/posix/dl_library_loader.h"
#include "platform/posix/hidapi_probe.h"
#include "store/store_folder.h"
#include "messages/app_messages.h"
#include "toolkit/qt/qt_toolkit.h"

namespace {

// The debug output: quiet unless VEXEL_DEBUG is set.
void DebugOutput(std::string_view line) {
  static const bool enabled = std::getenv("VEXEL_DEBUG") != nullptr;
  if (enabled) std::fprintf(stderr, "%.*s", static_cast<int>(line.size()), line.data());
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

  vexel::SingleInstance instance(vexel::kMainWindowClass);
  if (!instance.BecomeFirst()) {
    instance.AskFirstToShow();
    return 1;
  }
  DebugOutput("ilen = " + std::to_string(CommandLineLength(argc, argv)) + "\r\n");

  vexel::SteadyClock clock;
  vexel::DlLibraryLoader libraries;
  vexel::HidapiProbe hid_probe;
  const std::filesystem::path program_folder = vexel::ProgramFolder();
  vexel::toolkit::qt::QtToolkit toolkit(clock);
  toolkit.SetResourceFolder((program_folder / "res").string());

  auto window = std::make_unique<vexel::CMainWnd>(
      toolkit, vexel::PageServices{clock, libraries, hid_probe, program_folder,
                                   vexel::DefaultStorePaths(), &DebugOutput});
  instance.SetOnShowRequest([&window] { window->PostMessage(vexel::kMsgShowInstance); });
  // Placed before it is first shown, so it does not flicker from the corner.
  if (!window->Create(nullptr, {.visible = false})) {
    std::fprintf(stderr, "vexel-mouse: cannot load the skin from %s\n",
                 toolkit.ResourceFolder().c_str());
    return 2;
  }
  window->page().SetMacroKeyboardLayout(vexel::XkbKeyboardLayout::ForThisSession());
  window->SetScreenRect({0, 0, vexel::kMainWindowWidth, vexel::kMainWindowHeight});
  window->CenterWindow();
  window->Show();
  const int code = toolkit.RunMessageLoop();
  window.reset();  // closes the links and waits for the apply worker
  return code;
}
