// Status reports from the mouse, the model half: DPI stage, polling rate and
// light mode switched on the mouse go into the edited profile; battery and
// charging, acknowledgements and the wireless time-out set the link flags.
// What must be shown goes to the observer.
#include "link/device_session.h"
#include "messages/app_messages.h"
#include "protocol/reports.h"
#include "protocol/status_codes.h"

namespace vexel {
namespace {

using protocol::BatteryState;

constexpr auto kBatteryFull = static_cast<uint8_t>(BatteryState::kFull);
constexpr auto kBatteryCharging = static_cast<uint8_t>(BatteryState::kCharging);

}  // namespace

template <typename Mutate>
bool DeviceSession::EditProfile(Mutate mutate) {
  auto access = store_.Lock();
  ProfileRecord* edited = access->EditedProfile();
  if (edited == nullptr) return false;
  mutate(*edited);
  return true;
}

void DeviceSession::SaveProfiles(bool on_worker) {
  if (!on_worker && store_writer_ != nullptr) {
    store_writer_->Queue(StoreFile::kProfiles);
    return;
  }
  const SaveResult saved = store_.SaveProfiles();
  const std::string file = store_.paths().ProfilesFile().string();
  const std::string error = saved ? std::string() : saved.error;
  if (!on_worker) {
    observer_->OnProfilesSaved(file, error);
    return;
  }
  {
    std::lock_guard lock(worker_save_mutex_);
    worker_save_.emplace(file, error);
  }
  PostEffect(WorkerEffect::kSaveDone);
}

void DeviceSession::ReportBackgroundSave(const SaveResult& result) {
  {
    std::lock_guard lock(background_saves_mutex_);
    background_saves_.emplace_back(result.file.string(), result ? std::string() : result.error);
  }
  ui_post_.post(ui_post_.ctx, kMsgStoreSaved, 0, 0);
}

void DeviceSession::TakeBackgroundSaves() {
  std::deque<std::pair<std::string, std::string>> saved;
  {
    std::lock_guard lock(background_saves_mutex_);
    saved.swap(background_saves_);
  }
  for (const auto& [file, error] : saved) observer_->OnProfilesSaved(file, error);
}

template <typename Take>
bool DeviceSession::TakeFromMouse(Take take) {
  if (!EditProfile(take)) return false;
  cycle_.TakeIntoBaseline(take);
  return true;
}

void DeviceSession::HandleStatus(uint16_t code, uint16_t value) {
  switch (code) {
    case protocol::kStatusDpiStage: {
      if (value < 1 || value > 8) return;
      int32_t dpi = 0;
      const int stage = value - 1;
      if (!TakeFromMouse([stage](ProfileRecord& p) { p.dpi_stage_current = stage; })) return;
      EditProfile([&](const ProfileRecord& edited) { dpi = edited.dpi_x[stage]; });
      observer_->OnDpiStageFromMouse(stage, dpi);
      SaveProfiles(false);
      return;
    }
    case protocol::kStatusPollingRate: {
      if (value < 1 || value > 8) return;
      // Only the four interval codes map to a rate; others are not stored
      // unmapped, since the page indexes its options by the rate.
      const int rate = protocol::PollingRateOfIntervalCode(value);
      if (rate < 0) return;
      if (!TakeFromMouse([rate](ProfileRecord& p) { p.polling_rate = rate; })) return;
      observer_->OnPollingRateFromMouse(rate);
      SaveProfiles(false);
      return;
    }
    case protocol::kStatusBattery:
      HandleDriverBattery(value);
      return;
    case protocol::kStatusAck:
      links_.ack_received = (value & 0xFF) == 0;
      return;
    case protocol::kStatusNoEffect:
      return;
    case protocol::kStatusLightMode: {
      const int mode = (value >> 4) & 0x0F;
      if (!TakeFromMouse([mode](ProfileRecord& p) { p.light_mode = mode; })) return;
      observer_->OnLightModeFromMouse(mode);
      SaveProfiles(false);
      return;
    }
    case protocol::kStatusCommitOnly:
      // No field: nothing enters the baseline, edits not yet sent stay so.
      if (value >= 1 && value <= 5) SaveProfiles(false);
      return;
    default:
      return;
  }
}

void DeviceSession::HandleBleStatus(uint16_t code, uint16_t value) {
  if (code == protocol::kStatusBattery) {
    HandleBleBattery(value);
  } else {
    HandleStatus(code, value);
  }
}

void DeviceSession::HandleDriverBattery(uint16_t value) {
  const uint8_t state = static_cast<uint8_t>(value);
  const int percent = value >> 8;
  battery_ = {percent, state};
  observer_->SetWirelessTimeout(true);
  if (links_.wired_link == 1) {
    links_.wireless_ready = false;
    observer_->ShowLinkIcon(LinkIcon::kWireless, false);
    observer_->RefreshLinkControls();
    if (state == kBatteryFull) {
      observer_->StopChargingAnimation();
      observer_->ShowBatteryLevel(100);
    } else {
      observer_->ShowCharging();
    }
    return;
  }
  if (!links_.wireless_ready) {
    links_.wireless_ready = true;
    observer_->ShowLinkIcon(LinkIcon::kWireless, true);
    observer_->RefreshLinkControls();
  }
  if (state == kBatteryCharging) {
    observer_->ShowCharging();
  } else {
    observer_->StopChargingAnimation();
    observer_->ShowBatteryLevel(100);
    if (percent <= 100) observer_->ShowBatteryLevel(percent);
  }
  cycle_.SetApplyBlocked(false);
  observer_->ShowSleepLabel(false);
}

void DeviceSession::HandleBleBattery(uint16_t value) {
  const uint8_t state = static_cast<uint8_t>(value);
  const int percent = value >> 8;
  battery_ = {percent, state};
  if (state == kBatteryFull) {
    observer_->StopChargingAnimation();
    observer_->ShowBatteryLevel(100);
  } else if (state == kBatteryCharging) {
    observer_->ShowCharging();
  } else {
    observer_->StopChargingAnimation();
    if (percent <= 100) observer_->ShowBatteryLevel(percent);
  }
}

void DeviceSession::OnWirelessTimeout() {
  observer_->SetWirelessTimeout(false);
  links_.wireless_ready = false;
  observer_->ShowLinkIcon(LinkIcon::kWireless, false);
  observer_->RefreshLinkControls();
  if (links_.ble_link == 0 && links_.wired_link != 1) observer_->ShowSleepLabel(true);
}

}  // namespace vexel
