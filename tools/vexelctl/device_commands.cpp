// vexelctl apply / status: the program's own device session (driver
// libraries, links, delivery rules, status readback) in real time, without
// the GUI.
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <optional>
#include <ostream>
#include <thread>

#include "command.h"
#include "language/language_table.h"
#include "link/device_session.h"
#include "link/session_loop.h"
#include "platform/linux/bluez/bluez_gatt_platform.h"
#include "platform/posix/dl_library_loader.h"
#include "platform/posix/hidapi_probe.h"
#include "profile_file.h"
#include "protocol/frame.h"
#include "protocol/status_codes.h"
#include "store/record_files.h"
#include "store/store_files.h"
#include "store/store_folder.h"
#include "store/store_lock.h"
#include "store/utf16_name.h"

namespace vexel::ctl {
namespace {

constexpr auto kListenFor = std::chrono::seconds(3);

// VEXELCTL_DEBUG=1 shows the session's debug output on stderr.
std::function<void(std::string_view)> DebugSink() {
  if (std::getenv("VEXELCTL_DEBUG") == nullptr) return nullptr;
  return [](std::string_view line) { std::cerr << "debug: " << line; };
}

struct SentReport {
  std::vector<uint8_t> bytes;
  protocol::Delivery delivery = protocol::Delivery::kFailed;
};

// What the mouse reported that the store keeps: the fields a status report
// changed in the edited profile.
struct ReportedFields {
  std::optional<int> dpi_stage;
  std::optional<int> polling_rate;
  std::optional<int> light_mode;

  bool Any() const { return dpi_stage || polling_rate || light_mode; }
  void ApplyTo(ProfileRecord& profile) const {
    if (dpi_stage) profile.dpi_stage_current = *dpi_stage;
    if (polling_rate) profile.polling_rate = *polling_rate;
    if (light_mode) profile.light_mode = *light_mode;
  }
};

// What a save failure and the mouse's reports need to reach the user of a
// command line.
class SaveWatch final : public SessionObserver {
 public:
  void OnProfilesSaved(std::string_view file, std::string_view error) override {
    if (!error.empty()) failure_ = std::string(file) + ": " + std::string(error);
  }
  void OnDpiStageFromMouse(int stage, int32_t /*dpi*/) override { reported_.dpi_stage = stage; }
  void OnPollingRateFromMouse(int rate) override { reported_.polling_rate = rate; }
  void OnLightModeFromMouse(int mode) override { reported_.light_mode = mode; }
  const std::string& failure() const { return failure_; }
  const ReportedFields& reported() const { return reported_; }

 private:
  std::string failure_;
  ReportedFields reported_;
};

std::u16string AddProfileText() {
  LanguageTable language;
  language.LoadFile((ProgramFolder() / "res" / "lan.xml").string());
  return Utf8ToUtf16(language.Text("add_profile_text"));
}

// The device session over the store in `store_folder`, as the program runs
// it, with a plain message loop in place of the main window.
class Session {
 public:
  explicit Session(const std::filesystem::path& store_folder)
      : loop_(clock_),
        store_(StorePaths{store_folder}),
        session_(
            SessionServices{clock_, loader_, probe_, ProgramFolder(), DebugSink(), &bluetooth_},
            store_, loop_.PostTarget()) {
    session_.SetObserver(&saves_);
    session_.SetSendObserver([this](std::span<const uint8_t> report, protocol::Delivery delivery) {
      std::lock_guard lock(mutex_);
      sent_.push_back({{report.begin(), report.end()}, delivery});
    });
  }

  // Opens the links and loads the store, as the program's start-up does.
  void Start() {
    session_.Start();
    session_.AdoptStartupStore(LoadStoreAtStartup(store_, AddProfileText()));
    session_.SetBleConnected(session_.links().ble_link != 0);
  }

  template <typename Done>
  void PumpUntil(Clock::Ms limit, Done done) {
    loop_.PumpUntil(session_, limit, done);
  }

  // Listens for status reports until the mouse counts as reachable for sure
  // (cable open, an awake receiver, or Bluetooth), at most 3 s.
  void Listen() {
    const protocol::LinkFlags& links = session_.links();
    PumpUntil(kListenFor,
              [&] { return links.wired_link == 1 || links.wireless_ready || links.ble_link != 0; });
  }

  DeviceSession& session() { return session_; }
  ProfileStore& store() { return store_; }
  const std::string& save_failure() const { return saves_.failure(); }
  const ReportedFields& reported() const { return saves_.reported(); }
  std::vector<SentReport> Sent() {
    std::lock_guard lock(mutex_);
    return sent_;
  }

 private:
  SteadyClock clock_;
  DlLibraryLoader loader_;
  HidapiProbe probe_;
  bluez::BluezGattPlatform bluetooth_;  // the system bus (DBUS_SYSTEM_BUS_ADDRESS)
  SessionLoop loop_;
  SaveWatch saves_;
  ProfileStore store_;
  DeviceSession session_;  // last: its worker and monitors use the above
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

// A report as the user knows it: "lighting", "macro of button 7", ...
std::string ReportName(const std::vector<uint8_t>& bytes) {
  switch (bytes.at(0)) {
    case protocol::kKindReset:
      return "reset";
    case protocol::kKindPerformance:
      return "performance";
    case protocol::kKindLighting:
      return "lighting";
    case protocol::kKindPollingRate:
      return "polling rate";
    case protocol::kKindButtonMap:
      return "button map";
    case protocol::kKindMacro:
      return "macro of button " + std::to_string(bytes.size() > 2 ? bytes[2] : 0);
    default:
      return "report " + std::to_string(bytes[0]);
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

  // The cycle saves pro.data at its end: one writer at a time.
  const StoreLock lock = StoreLock::AcquireForTool(store_folder);
  if (!lock) return BadInput(err, "apply", lock.error());
  Session session(store_folder);
  session.Start();
  DeviceSession& device = session.session();
  if (record) {
    auto access = session.store().Lock();
    if (ProfileRecord* edited = access->EditedProfile()) *edited = *record;
  }
  session.Listen();
  const protocol::LinkFlags& links = device.links();
  if (std::getenv("VEXELCTL_DEBUG") != nullptr) {
    err << "debug: wired " << links.wired_link << " wireless " << links.wireless_link << " ready "
        << links.wireless_ready << " blocked " << device.apply_cycle().apply_blocked() << "\n";
  }
  if (!UsableLink(links)) {
    err << "vexelctl: no usable link to the mouse: no cable, no awake mouse on the receiver, no "
           "Bluetooth\n";
    return kExitFailed;
  }

  protocol::ApplyWorker* worker = device.worker();
  const uint64_t before = worker->ProcessedCount();
  device.SetFullApplyPending(true);
  device.ForwardApplyRequest();
  // Status reports (the receiver's acknowledgements) keep arriving on this
  // thread while the worker delivers.
  session.PumpUntil(std::chrono::hours(1),
                    [&] { return worker->ProcessedCount() > before && worker->IsIdle(); });

  const std::vector<SentReport> sent = session.Sent();
  std::string undelivered;
  for (const SentReport& report : sent) {
    out << protocol::ToHex(report.bytes) << " -> " << protocol::DeliveryName(report.delivery)
        << "\n";
    // A report Bluetooth cannot carry is said as such, not as a failure.
    if (report.delivery == protocol::Delivery::kFailed) {
      undelivered += (undelivered.empty() ? "" : ", ") + std::string(ReportName(report.bytes));
    }
  }
  const bool all_ok = !sent.empty() && undelivered.empty();
  if (sent.empty()) err << "vexelctl: nothing was sent (applying is blocked)\n";
  if (!undelivered.empty()) err << "vexelctl: not delivered: " << undelivered << "\n";
  if (!session.save_failure().empty()) {
    err << "vexelctl: the store could not be saved: " << session.save_failure() << "\n";
    return kExitBadInput;
  }
  return all_ok ? kExitOk : kExitFailed;
}

// The mouse's percent as far as it can be true: a report above 100 is shown
// as 100, with battery_out_of_range set; -1 (none yet) stays.
int ShownPercent(int percent) {
  return percent > 100 ? 100 : percent;
}

// Takes the store lock, reads pro.data again under it (another writer may
// have changed it meanwhile) and saves it with the reported fields set in the
// selected profile.
SaveResult SaveReportedFields(const StorePaths& paths, const ReportedFields& reported) {
  const StoreLock lock = StoreLock::AcquireForTool(paths.folder);
  if (!lock) return SaveResult::Failure(paths.ProfilesFile(), lock.error());
  ProfileList profiles;
  auto header = MakeZeroHeader();
  const LoadReport loaded =
      LoadProfiles(paths, profiles, *header, AddProfileText(), ProfileLoadOptions{false});
  std::error_code ec;
  if (loaded.file_missing && std::filesystem::exists(paths.ProfilesFile(), ec)) {
    return SaveResult::Failure(paths.ProfilesFile(), loaded.error);
  }
  reported.ApplyTo(*profiles[static_cast<std::size_t>(header->selected_profile)]);
  return SaveProfiles(paths, profiles, *header);
}

int RunStatus(Args args, std::ostream& out, std::ostream& err) {
  bool bad = false;
  const std::filesystem::path store_folder = StoreFolderOption(args, bad);
  if (bad) return BadInput(err, "status", "--data needs a folder");
  if (!args.empty()) return BadInput(err, "status", "usage: vexelctl [--data DIR] status");

  // While the program runs, the store and the mouse are its own.
  if (const StoreLock probe = StoreLock::TryAcquire(store_folder, kToolName);
      probe.state() == StoreLock::State::kHeldByProgram) {
    return BadInput(err, "status", probe.error() + "; close it first");
  }
  // The listen works on a copy of pro.data, so other writers need not wait
  // for it; what the mouse reported is saved into the store afterwards.
  ScratchFolder scratch;
  if (scratch.path().empty()) return BadInput(err, "status", "cannot make a scratch folder");
  std::error_code ignored;
  std::filesystem::copy_file(StorePaths{store_folder}.ProfilesFile(),
                             StorePaths{scratch.path()}.ProfilesFile(), ignored);
  Session session(scratch.path());
  session.Start();
  DeviceSession& device = session.session();
  session.PumpUntil(kListenFor, [&] { return device.battery().percent >= 0; });

  const protocol::LinkFlags& links = device.links();
  const DeviceSession::BatteryStatus battery = device.battery();
  int dpi_stage = -1;
  int dpi = -1;
  {
    auto access = session.store().Lock();
    if (const ProfileRecord* edited = access->EditedProfile()) {
      dpi_stage = edited->dpi_stage_current;
      if (dpi_stage >= 0 && dpi_stage < kDpiStageCount) dpi = edited->dpi_x[dpi_stage] * 100;
    }
  }
  out << "{\"wired_link\": " << links.wired_link << ", \"wireless_link\": " << links.wireless_link
      << ", \"ble_link\": " << links.ble_link
      << ", \"device_present\": " << (device.device_present() ? "true" : "false")
      << ", \"wireless_ready\": " << (links.wireless_ready ? "true" : "false")
      << ", \"battery\": " << ShownPercent(battery.percent)
      << ", \"battery_out_of_range\": " << (battery.percent > 100 ? "true" : "false")
      << ", \"charging\": \"" << protocol::BatteryStateName(battery.state)
      << "\", \"dpi_stage\": " << dpi_stage + 1 << ", \"dpi\": " << dpi
      << ", \"mouse_dpi_stage\": " << device.ReadMouseDpiStage() << "}\n";
  if (!session.reported().Any()) return kExitOk;
  const SaveResult saved = SaveReportedFields(StorePaths{store_folder}, session.reported());
  return saved ? kExitOk : BadInput(err, "status", saved.error);
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
