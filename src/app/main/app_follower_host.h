// Profiles that follow the application in front, in the running program:
// reports of what is in front come from the desktop's thread (X11), from a
// process scan every 2 s off the UI thread (sessions that cannot tell which
// window is in front, such as Wayland) or from a compositor's hook over
// D-Bus; the UI thread decides with the page's rules and selects through
// the page, as choosing the profile in the list does.
#pragma once

#include <QObject>
#include <QThreadPool>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "autoprofile/app_follower.h"
#include "platform/active_window.h"
#include "ui/page/ms_1_page.h"

namespace vexel {

class AppFollowerHost final : public QObject {
 public:
  struct Options {
    std::unique_ptr<ActiveWindowSource> window_source;  // null: the process scan alone
    std::filesystem::path proc_root = "/proc";
    std::function<void(std::string_view)> debug;
  };

  // Starts the window source; where it cannot start, the process scan runs.
  // The page must outlive the host.
  AppFollowerHost(CMS_1_Page& page, const Clock& clock, Options options);
  ~AppFollowerHost() override;

  // ApplicationFocused over D-Bus: `app` is any of the application's names.
  void OnCompositorFocus(const std::string& app);
  // After an edit of the rules: the application in front gets what they now give.
  void OnRulesChanged();

 private:
  // On the UI thread.
  void OnReport(const AppInFront& app, AppFollower::Source source);
  void Decide();
  void StartProcessScan();
  std::string SelectedProfileName();

  CMS_1_Page& page_;
  const Clock& clock_;
  Options options_;
  AppFollower follower_;
  AppRules own_rule_;  // matches this program's own window
  QTimer deadline_;
  QTimer scan_tick_;
  QThreadPool scan_pool_;
};

// True on a desktop whose focused window X11 cannot tell (Wayland).
bool IsWaylandSession();

// The names of the windows (WM_CLASS instance and class) and processes
// running now, sorted, each once: completions for a new rule.
std::vector<std::string> RunningAppNames(const std::filesystem::path& proc_root);

}  // namespace vexel
