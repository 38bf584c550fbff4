// What the main window keeps between runs (its size, the open sections) and
// the login entry that the tray menu switches.
#include <algorithm>

#include "app/autostart.h"
#include "app/main_wnd.h"
#include "app/msg_wnd.h"
#include "toolkit/control.h"
#include "toolkit/toolkit.h"

namespace vexel {

std::filesystem::path CMainWnd::WindowStateFile() const {
  return services_.store_paths.folder / kWindowStateFile;
}

void CMainWnd::RestoreSections() {
  if (!remembered_) return;
  const std::vector<std::string>& open = remembered_->open_sections;
  for (const SectionControls& section : page_.controls().sections) {
    // A hidden check (lift-off distance) cannot be closed again by the user.
    if (section.check == nullptr || !section.check->IsVisible()) continue;
    const bool is_open = std::find(open.begin(), open.end(), section.check->Name()) != open.end();
    section.check->SetChecked(is_open);
    if (section.container != nullptr) section.container->SetVisible(is_open);
  }
}

void CMainWnd::PlaceOnScreen() {
  const toolkit::Rect area = toolkit().WorkArea();
  int width = kMainWindowWidth;
  int height = kMainWindowHeight;
  if (remembered_ && remembered_->width > 0) {
    // Never below the skin's size; never past a screen that became smaller.
    width =
        std::clamp(remembered_->width, kMainWindowWidth, std::max(kMainWindowWidth, area.Width()));
    height = std::clamp(remembered_->height, kMainWindowHeight,
                        std::max(kMainWindowHeight, area.Height()));
  }
  SetScreenRect({0, 0, width, height});
  CenterWindow();
}

void CMainWnd::RememberWindowState() {
  WindowState state;
  const toolkit::Rect rect = ScreenRect();
  state.width = rect.Width();
  state.height = rect.Height();
  for (const SectionControls& section : page_.controls().sections) {
    if (section.check != nullptr && section.check->IsVisible() && section.check->IsChecked()) {
      state.open_sections.push_back(section.check->Name());
    }
  }
  if (remembered_ == state) return;
  const SaveResult saved = SaveWindowState(WindowStateFile(), state);
  if (!saved && services_.debug) services_.debug("window state: " + saved.error + "\n");
}

void CMainWnd::SetAutostart(std::filesystem::path file, std::string command) {
  autostart_file_ = std::move(file);
  autostart_command_ = std::move(command);
}

void CMainWnd::ToggleAutostart() {
  if (autostart_file_.empty()) return;
  const SaveResult result =
      SwitchAutostart(autostart_file_, !AutostartEnabled(autostart_file_), autostart_command_);
  if (!result) {
    CMsgWnd::Show(toolkit(), this, "warning_title_text", "autostart_failed_text", result.error);
  }
}

}  // namespace vexel
