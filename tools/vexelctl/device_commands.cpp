// vexelctl apply / status: the page's own link logic, driver libraries and
// delivery rules, on the headless toolkit in real time.
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <ostream>
#include <thread>

#include "app/main_wnd.h"
#include "command.h"
#include "platform/posix/dl_library_loader.h"
#include "platform/posix/hidapi_probe.h"
#include "profile_file.h"
#include "protocol/frame.h"
#include "store/record_files.h"
#include "store/store_folder.h"
#include "toolkit/headless/headless_toolkit.h"

namespace vexel::ctl {
namespace {

constexpr auto kListenFor = std::chrono::seconds(3);
constexpr auto kPumpInterval = std::chrono::milliseconds(5);

// VEXELCTL_DEBUG=1 shows the page's debug output on stderr.
std::function<void(std::string_view)> DebugSink() {
  if (std::getenv("VEXELCTL_DEBUG") == nullptr) return nullptr;
  return [](std::string_view line) { std::cerr << "debug: " << line << "\n"; };
}

struct SentReport {
  std::vector<uint8_t> bytes;
  int result = 0;
};

// The main window and its page on the headless toolkit, as the program runs
// them, with the store in `store_folder`.
class Session {
 public:
  explicit Session(const std::filesystem::path& store_folder)
      : toolkit_(clock_),
        window_(toolkit_, PageServices{clock_, loader_, probe_, ProgramFolder(),
                                       StorePaths{store_folder}, DebugSink()}) {
    toolkit_.SetResourceFolder((ProgramFolder() / "res").string());
    toolkit_.SetTraceSink([](std::string_view) {});
    window_.page().SetSendObserver([this](std::span<const uint8_t> report, int result) {
      std::lock_guard lock(mutex_);
      sent_.push_back({{report.begin(), report.end()}, result});
    });
  }

  bool Start(std::ostream& err) {
    if (!window_.Create(nullptr, {.visible = false})) {
      err << "vexelctl: cannot build the main window from " << toolkit_.ResourceFolder() << "\n";
      return false;
    }
    return true;
  }

  // Runs the UI loop until `done` or the time is up.
  template <typename Done>
  void PumpUntil(std::chrono::steady_clock::duration limit, Done done) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      toolkit_.ProcessEvents();
      if (done()) return;
      std::this_thread::sleep_for(kPumpInterval);
    }
  }

  // Listens for status reports until the mouse counts as reachable for sure
  // (cable open, or an awake receiver), at most 3 s.
  void Listen() {
    const protocol::LinkFlags& links = page().links();
    PumpUntil(kListenFor, [&] { return links.wired_link == 1 || links.wireless_ready; });
  }

  CMS_1_Page& page() { return window_.page(); }
  CMainWnd& window() { return window_; }
  std::vector<SentReport> Sent() {
    std::lock_guard lock(mutex_);
    return sent_;
  }

 private:
  SteadyClock clock_;
  DlLibraryLoader loader_;
  HidapiProbe probe_;
  toolkit::headless::HeadlessToolkit toolkit_;
  CMainWnd window_;
  std::mutex mutex_;
  std::vector<SentReport> sent_;
};

std::filesystem::path StoreFolderOption(Args& args, bool& bad) {
  bool missing_value = false;
  const auto data = TakeOption(args, "--data", missing_value);
  bad = missing_value;
  return data ? std::filesystem::path(*data) : DefaultStorePaths().folder;
}

bool UsableLink(const protocol::LinkFlags& links) {
  return links.wired_link == 1 || (links.wireless_link == 1 && links.wireless_ready) ||
         links.ble_link != 0;
}

// A folder under the system's temporary folder, removed with the object.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vexelctl-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

std::string_view BatteryStateName(int state) {
  switch (state) {
    case -1:
      return "unknown";
    case 2:
      return "full";
    case 3:
      return "charging";
    default:
      return "discharging";
  }
}

int RunApply(Args args, std::ostream& out, std::ostream& err) {
  bool bad = false;
  std::filesystem::path store_folder = StoreFolderOption(args, bad);
  if (bad) return BadInput(err, "apply", "--data needs a folder");
  if (args.size() > 1) {
    return BadInput(err, "apply", "usage: vexelctl [--data DIR] apply [PROFILE.pro]");
  }
  // A record from a file is applied from a scratch store, so the user's store
  // is not rewritten with it at the end of the cycle.
  std::unique_ptr<ProfileRecord> record;
  ScratchFolder scratch;
  if (args.size() == 1) {
    record = MakeZeroProfile();
    if (!ReadExactProfileFile(args[0], *record, err)) return kExitBadInput;
    if (scratch.path().empty()) return BadInput(err, "apply", "cannot make a scratch folder");
    store_folder = scratch.path();
  }

  Session session(store_folder);
  if (!session.Start(err)) return kExitFailed;
  CMS_1_Page& page = session.page();
  if (record) {
    auto access = page.store().Lock();
    if (ProfileRecord* edited = access->EditedProfile()) *edited = *record;
  }
  session.Listen();
  if (std::getenv("VEXELCTL_DEBUG") != nullptr) {
    err << "debug: wired " << page.links().wired_link << " wireless " << page.links().wireless_link
        << " ready " << page.links().wireless_ready << " blocked "
        << page.apply_cycle().apply_blocked() << "\n";
  }
  if (!UsableLink(page.links())) {
    err << "vexelctl: no usable link to the mouse: no cable, no awake mouse on the receiver, no "
           "Bluetooth\n";
    return kExitFailed;
  }

  protocol::ApplyWorker* worker = page.worker();
  const uint64_t before = worker->ProcessedCount();
  page.apply_cycle().SetFullApplyPending(true);
  session.window().PostMessage(kMsgApplyRequest);
  // Status reports (the receiver's acknowledgements) keep arriving on this
  // thread while the worker delivers.
  session.PumpUntil(std::chrono::hours(1),
                    [&] { return worker->ProcessedCount() > before && worker->IsIdle(); });

  const std::vector<SentReport> sent = session.Sent();
  bool all_ok = !sent.empty();
  for (const SentReport& report : sent) {
    out << protocol::ToHex(report.bytes) << " -> " << (report.result != 0 ? "ok" : "failed")
        << "\n";
    all_ok = all_ok && report.result != 0;
  }
  if (sent.empty()) err << "vexelctl: nothing was sent (applying is blocked)\n";
  return all_ok ? kExitOk : kExitFailed;
}

int RunStatus(Args args, std::ostream& out, std::ostream& err) {
  bool bad = false;
  const std::filesystem::path store_folder = StoreFolderOption(args, bad);
  if (bad) return BadInput(err, "status", "--data needs a folder");
  if (!args.empty()) return BadInput(err, "status", "usage: vexelctl [--data DIR] status");

  Session session(store_folder);
  if (!session.Start(err)) return kExitFailed;
  CMS_1_Page& page = session.page();
  session.PumpUntil(kListenFor, [&] { return page.battery().percent >= 0; });

  const protocol::LinkFlags& links = page.links();
  const CMS_1_Page::BatteryStatus battery = page.battery();
  int dpi_stage = -1;
  int dpi = -1;
  {
    auto access = page.store().Lock();
    if (const ProfileRecord* edited = access->EditedProfile()) {
      dpi_stage = edited->dpi_stage_current;
      if (dpi_stage >= 0 && dpi_stage < kDpiStageCount) dpi = edited->dpi_x[dpi_stage] * 100;
    }
  }
  out << "{\"wired_link\": " << links.wired_link << ", \"wireless_link\": " << links.wireless_link
      << ", \"ble_link\": " << links.ble_link
      << ", \"device_present\": " << (page.device_present() ? "true" : "false")
      << ", \"wireless_ready\": " << (links.wireless_ready ? "true" : "false")
      << ", \"battery\": " << battery.percent << ", \"charging\": \""
      << BatteryStateName(battery.state) << "\", \"dpi_stage\": " << dpi_stage + 1
      << ", \"dpi\": " << dpi << ", \"mouse_dpi_stage\": " << page.ReadMouseDpiStage() << "}\n";
  return kExitOk;
}

const CommandRegistrar kApply(
    {"apply", "[--data DIR] [PROFILE.pro]",
     "open the links, then send a full apply of PROFILE (or of the store's selected profile) to "
     "the mouse; one line per report with its result",
     RunApply});
const CommandRegistrar kStatus(
    {"status", "[--data DIR]",
     "open the links, listen to the mouse for up to 3 s and print links, battery and DPI stage "
     "as JSON",
     RunStatus});

}  // namespace
}  // namespace vexel::ctl
