// vexelctl apply / status: the program's own device session (driver
// libraries, links, delivery rules, status readback) in real time, without
// the GUI.
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
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

int RunStatus(Args args, std::ostream& out, std::ostream& err) {
  bool bad = false;
  const std::filesystem::path store_folder = StoreFolderOption(args, bad);
  if (bad) return BadInput(err, "status", "--data needs a folder");
  if (!args.empty()) return BadInput(err, "status", "usage: vexelctl [--data DIR] status");

  // A DPI stage chosen on the mouse is saved into pro.data.
  const StoreLock lock = StoreLock::AcquireForTool(store_folder);
  if (!lock) return BadInput(err, "status", lock.error());
  Session session(store_folder);
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
