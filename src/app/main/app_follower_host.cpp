#include "app/main/app_follower_host.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string_view>

#include "autoprofile/process_scan.h"
#include "platform/linux/x11_active_window.h"
#include "store/file_io.h"
#include "store/utf16_name.h"

namespace vexel {
namespace {

// How often the process scan looks which processes run.
constexpr std::chrono::milliseconds kScanInterval{2000};

bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

}  // namespace

bool IsWaylandSession() {
  const char* type = std::getenv("XDG_SESSION_TYPE");
  return IsSet("WAYLAND_DISPLAY") || (type != nullptr && std::string_view(type) == "wayland");
}

AppFollowerHost::AppFollowerHost(CMS_1_Page& page, const Clock& clock, Options options)
    : page_(page), clock_(clock), options_(std::move(options)), follower_(clock) {
  const FileRead comm = ReadFilePrefix("/proc/self/comm", 64);
  std::string own_name(reinterpret_cast<const char*>(comm.bytes.data()), comm.bytes.size());
  own_name.erase(std::min(own_name.size(), own_name.find('\n')));
  if (!own_name.empty()) own_rule_.rules.push_back(AppRule{own_name, {}});
  deadline_.setSingleShot(true);
  QObject::connect(&deadline_, &QTimer::timeout, this, [this] { Decide(); });
  scan_pool_.setMaxThreadCount(1);
  std::string error;
  // Reports come on the source's thread; each is handed to the UI thread.
  const auto hand_over = [this](const AppInFront& app) {
    QMetaObject::invokeMethod(
        this, [this, app] { OnReport(app, AppFollower::Source::kWindow); }, Qt::QueuedConnection);
  };
  if (options_.window_source != nullptr && options_.window_source->Start(hand_over, error)) {
    return;
  }
  if (options_.debug && !error.empty()) {
    options_.debug("automatic profiles: " + error + "; following running processes\n");
  }
  options_.window_source.reset();
  StartProcessScan();
}

AppFollowerHost::~AppFollowerHost() {
  // No report may arrive once the host is gone.
  if (options_.window_source != nullptr) options_.window_source->Stop();
  scan_tick_.stop();
  scan_pool_.waitForDone();
}

void AppFollowerHost::StartProcessScan() {
  scan_tick_.setInterval(kScanInterval);
  QObject::connect(&scan_tick_, &QTimer::timeout, this, [this] {
    const AppRules& rules = page_.app_rules();
    if (!rules.enabled || scan_pool_.activeThreadCount() > 0) return;
    scan_pool_.start([this, rules, proc_root = options_.proc_root] {
      const AppInFront app = NewestRuledProcess(proc_root, rules).value_or(AppInFront{});
      QMetaObject::invokeMethod(
          this, [this, app] { OnReport(app, AppFollower::Source::kProcessScan); },
          Qt::QueuedConnection);
    });
  });
  scan_tick_.start();
}

void AppFollowerHost::OnCompositorFocus(const std::string& app) {
  OnReport(AppInFront{app, {}, {}}, AppFollower::Source::kCompositor);
}

void AppFollowerHost::OnRulesChanged() {
  follower_.Reconsider();
  Decide();
}

std::vector<std::string> RunningAppNames(const std::filesystem::path& proc_root) {
  std::vector<std::string> names = RunningProcessNames(proc_root);
  for (const AppInFront& app : X11ActiveWindow::ClientApps()) {
    names.push_back(app.instance);
    names.push_back(app.class_name);
  }
  std::erase(names, std::string());
  std::ranges::sort(names);
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

void AppFollowerHost::OnReport(const AppInFront& app, AppFollower::Source source) {
  // The user comes to this program's window to edit a profile: what was in
  // front before keeps its profile meanwhile.
  if (RuleForApp(own_rule_, app) != nullptr) return;
  follower_.OnAppInFront(app, source);
  Decide();
}

void AppFollowerHost::Decide() {
  if (const auto profile = follower_.Due(page_.app_rules(), SelectedProfileName())) {
    const CMS_1_Page::ScriptEdit edit = page_.SelectByRule(*profile);
    if (!edit.error.empty() && options_.debug) {
      options_.debug("automatic profiles: " + edit.error + "\n");
    }
  }
  const auto deadline = follower_.NextDeadline();
  if (!deadline) {
    deadline_.stop();
    return;
  }
  deadline_.start(
      std::chrono::milliseconds(std::max<int64_t>(0, (*deadline - clock_.Now()).count())));
}

std::string AppFollowerHost::SelectedProfileName() {
  auto access = page_.store().Lock();
  const int shown = access->edited_profile;
  if (shown < 0 || static_cast<size_t>(shown) >= access->profiles.size() ||
      access->profiles[static_cast<size_t>(shown)] == nullptr) {
    return {};
  }
  return Utf16ToUtf8(NameView(access->profiles[static_cast<size_t>(shown)]->name));
}

}  // namespace vexel
