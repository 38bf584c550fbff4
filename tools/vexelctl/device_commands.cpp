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
#include "device_run.h"
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

std::filesystem::path StoreFolderOption(Args& args, bool& bad) {
  bool missing_value = false;
  const auto data = TakeOption(args, "--data", missing_value);
  bad = missing_value;
  return data ? std::filesystem::path(*data) : DefaultStorePaths().folder;
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
  if (record) {
    auto access = session.store().Lock();
    if (ProfileRecord* edited = access->EditedProfile()) *edited = *record;
  }
  return ApplyAndReport(session, true, out, err);
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
