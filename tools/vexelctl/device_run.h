// The device session as vexelctl runs it (driver libraries, links, delivery
// rules, status readback, a plain message loop in place of the main window),
// and the apply with one line per report that apply, set and select share.
#pragma once

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "command.h"
#include "language/language_table.h"
#include "link/device_session.h"
#include "link/session_loop.h"
#include "platform/linux/bluez/bluez_gatt_platform.h"
#include "platform/posix/dl_library_loader.h"
#include "platform/posix/hidapi_probe.h"
#include "store/store_folder.h"
#include "store/utf16_name.h"

namespace vexel::ctl {

inline constexpr auto kListenFor = std::chrono::seconds(3);

// VEXELCTL_DEBUG=1 shows the session's debug output on stderr.
inline std::function<void(std::string_view)> DebugSink() {
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

inline std::u16string AddProfileText() {
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

bool UsableLink(const protocol::LinkFlags& links);

// A report as the user knows it: "lighting", "macro of button 7", ...
std::string ReportName(const std::vector<uint8_t>& bytes);

// What one edit of set or select did, here or in the running program.
struct ApplyOutcome {
  bool changed = true;   // false: the profile already was so; nothing saved or sent
  bool selected = true;  // the edited profile is the selected one, so it was applied
  bool linked = true;    // false: saved, but no link could reach the mouse
  std::vector<SentReport> reports;
  std::string save_error;
};

// Waits up to 3 s for a usable link and, with one, hands one apply request
// to the worker (a full apply when `full`, else what changed since the
// baseline) and waits for its cycle, which saves the store.
ApplyOutcome RunApplyCycle(Session& session, bool full);
// The report lines of an outcome, with the exit status of apply; a profile
// that was only saved prints nothing.
int PrintApplyOutcome(const ApplyOutcome& outcome, std::ostream& out, std::ostream& err);

// Waits for a usable link, hands one apply request to the worker (a full
// apply when `full`, else what changed since the baseline), waits for its
// cycle and prints each report with how it left. The exit status: 1 when a
// report was not delivered or there is no usable link, 2 when the store could
// not be saved.
int ApplyAndReport(Session& session, bool full, std::ostream& out, std::ostream& err);
// The printing half of it, also for the reports the running program sent.
int ReportSent(const std::vector<SentReport>& sent, const std::string& save_failure,
               std::ostream& out, std::ostream& err);

}  // namespace vexel::ctl
