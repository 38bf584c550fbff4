// An ApplyHost that delivers nothing: it keeps every report it is handed, in
// order. vexelctl prints what a cycle would send with it; tests check bytes.
#pragma once

#include <vector>

#include "protocol/apply_cycle.h"

namespace vexel::protocol {

class RecordingHost : public ApplyHost {
 public:
  explicit RecordingHost(const ProfileRecord& edited) : edited_(edited) {}

  int SendReport(std::span<const uint8_t> report) override {
    reports.emplace_back(report.begin(), report.end());
    return 1;
  }
  bool SnapshotEditedProfile(ProfileRecord& out) override {
    out = edited_;
    return true;
  }
  void SaveProfileStore() override {}
  void KillWirelessTimeout() override {}
  void StartWirelessTimeout() override {}
  void ShowBusyIndicator(bool) override {}
  bool AnyLinkOpen() override { return true; }

  std::vector<std::vector<uint8_t>> reports;

 private:
  const ProfileRecord& edited_;
};

}  // namespace vexel::protocol
