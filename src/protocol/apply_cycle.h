// The apply cycle: turns the differences between the edited profile and the
// baseline last applied into vendor reports, sends them, saves the store and
// moves the baseline. Runs on the apply worker thread only.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>

#include "protocol/change_detection.h"
#include "store/profile_record.h"

namespace vexel::protocol {

// What the cycle needs from the page that owns it. Every call comes from the
// worker thread; the implementation reaches the UI thread by posting.
class ApplyHost {
 public:
  virtual ~ApplyHost() = default;
  // Sends one whole report; nonzero when it was delivered.
  virtual int SendReport(std::span<const uint8_t> report) = 0;
  // Copies the edited profile under the lock that guards the profile list, so
  // the cycle works on one consistent view. False when no profile is edited.
  virtual bool SnapshotEditedProfile(ProfileRecord& out) = 0;
  // Saves the profile list and the store header (pro.data).
  virtual void SaveProfileStore() = 0;
  // Timer 512 of the main window: the wireless status time-out.
  virtual void KillWirelessTimeout() = 0;
  virtual void StartWirelessTimeout() = 0;
  // The busy indicator "apply_ring", when the skin has one.
  virtual void ShowBusyIndicator(bool visible) = 0;
  // True when wired_link, wireless_link or ble_link equals 1.
  virtual bool AnyLinkOpen() = 0;
};

class ApplyCycle {
 public:
  explicit ApplyCycle(ApplyHost& host);

  // One cycle. Does nothing while applying is blocked.
  void Run();

  // Flags the UI thread sets; the worker reads them.
  void SetApplyBlocked(bool blocked) { apply_blocked_ = blocked; }
  bool apply_blocked() const { return apply_blocked_; }
  void SetFullApplyPending(bool pending) { full_apply_pending_ = pending; }
  bool full_apply_pending() const { return full_apply_pending_; }

  // Replaces the baseline (at start-up).
  void SetBaseline(const ProfileRecord& profile);
  ProfileRecord Baseline() const;
  // Writes into the baseline only the fields the mouse reported (`take`
  // changes them), so they are not sent back while every other edit not yet
  // sent stays pending.
  template <typename Take>
  void TakeIntoBaseline(Take take) {
    std::lock_guard lock(baseline_mutex_);
    take(*last_applied_);
  }

  // Blocks whose last send failed; they are sent again by the next cycle.
  DirtyFlags Undelivered() const;

  ApplyHost& host() { return host_; }

 private:
  // Sends one report and remembers a failed block for the next cycle.
  void Send(std::span<const uint8_t> report, bool& undelivered_flag);

  ApplyHost& host_;
  std::atomic<bool> apply_blocked_{true};
  std::atomic<bool> full_apply_pending_{false};

  mutable std::mutex baseline_mutex_;
  std::unique_ptr<ProfileRecord> last_applied_;
  DirtyFlags undelivered_;  // worker thread only, read under baseline_mutex_

  std::unique_ptr<ProfileRecord> snapshot_;  // worker thread only
};

}  // namespace vexel::protocol
