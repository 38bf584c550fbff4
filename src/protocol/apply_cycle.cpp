#include "protocol/apply_cycle.h"

#include "protocol/reports.h"

namespace vexel::protocol {

ApplyCycle::ApplyCycle(ApplyHost& host)
    : host_(host), last_applied_(MakeZeroProfile()), snapshot_(MakeZeroProfile()) {}

void ApplyCycle::SetBaseline(const ProfileRecord& profile) {
  std::lock_guard lock(baseline_mutex_);
  *last_applied_ = profile;
}

ProfileRecord ApplyCycle::Baseline() const {
  std::lock_guard lock(baseline_mutex_);
  return *last_applied_;
}

DirtyFlags ApplyCycle::Undelivered() const {
  std::lock_guard lock(baseline_mutex_);
  return undelivered_;
}

void ApplyCycle::Send(std::span<const uint8_t> report, bool& undelivered_flag) {
  undelivered_flag = host_.SendReport(report) == 0;
}

void ApplyCycle::Run() {
  if (apply_blocked_) return;
  host_.KillWirelessTimeout();
  host_.ShowBusyIndicator(true);

  // The UI thread keeps editing while reports go out; everything below works
  // on this snapshot, and the snapshot becomes the baseline, so an edit made
  // during delivery is found again by the next cycle.
  const bool have_profile = host_.SnapshotEditedProfile(*snapshot_);
  const bool full = full_apply_pending_;
  DirtyFlags dirty;
  DirtyFlags failed_before;
  {
    std::lock_guard lock(baseline_mutex_);
    failed_before = undelivered_;
    if (have_profile) dirty = full ? DirtyFlags::All() : DetectChanges(*snapshot_, *last_applied_);
  }
  DirtyFlags failed;
  if (have_profile) {
    dirty |= failed_before;
    const ProfileRecord& profile = *snapshot_;
    if (full) {
      bool reset_failed = false;
      Send(ResetReport(), reset_failed);
    }
    if (dirty.performance) Send(EncodePerformanceReport(profile), failed.performance);
    if (dirty.lighting) Send(LightingReport(profile), failed.lighting);
    if (dirty.polling_rate) Send(PollingRateReport(profile), failed.polling_rate);
    if (dirty.button_map) Send(EncodeButtonMapReport(profile), failed.button_map);
    for (int n = 1; n <= kUsedButtonCount; ++n) {
      const ButtonSlot& slot = profile.button[n - 1];
      if (slot.function_code == kFunctionMacro && dirty.button[n - 1]) {
        Send(EncodeMacroReport(n, slot), failed.button[n - 1]);
      }
    }
  } else {
    failed = failed_before;
  }

  full_apply_pending_ = false;
  host_.StartWirelessTimeout();
  host_.SaveProfileStore();
  {
    std::lock_guard lock(baseline_mutex_);
    if (have_profile) *last_applied_ = *snapshot_;
    undelivered_ = failed;
  }
  host_.ShowBusyIndicator(false);
}

}  // namespace vexel::protocol
