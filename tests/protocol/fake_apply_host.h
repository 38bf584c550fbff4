// A host for apply-cycle tests: records every report and every effect in
// order, with a scriptable send result.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "protocol/apply_cycle.h"

namespace vexel::protocol {

class FakeApplyHost : public ApplyHost {
 public:
  FakeApplyHost() : edited(MakeZeroProfile()) { ApplyProfileDefaults(*edited); }

  int SendReport(std::span<const uint8_t> report) override {
    std::vector<uint8_t> bytes(report.begin(), report.end());
    {
      std::lock_guard lock(mutex);
      reports.push_back(bytes);
      events.push_back("send " + std::to_string(bytes[0]));
    }
    return send_result ? send_result(bytes) : 1;
  }
  bool SnapshotEditedProfile(ProfileRecord& out) override {
    std::lock_guard lock(mutex);
    out = *edited;
    return true;
  }
  void SaveProfileStore() override { Record("save"); }
  void KillWirelessTimeout() override { Record("kill 512"); }
  void StartWirelessTimeout() override { Record("start 512"); }
  void ShowBusyIndicator(bool visible) override { Record(visible ? "ring on" : "ring off"); }
  bool AnyLinkOpen() override { return link_open; }

  void Record(const std::string& event) {
    std::lock_guard lock(mutex);
    events.push_back(event);
  }
  std::vector<uint8_t> Kinds() {
    std::lock_guard lock(mutex);
    std::vector<uint8_t> kinds;
    for (const auto& report : reports) kinds.push_back(report[0]);
    return kinds;
  }
  void Edit(const std::function<void(ProfileRecord&)>& edit) {
    std::lock_guard lock(mutex);
    edit(*edited);
  }

  std::mutex mutex;  // guards edited, as the page's profile lock does
  std::unique_ptr<ProfileRecord> edited;
  std::vector<std::vector<uint8_t>> reports;
  std::vector<std::string> events;
  std::function<int(const std::vector<uint8_t>&)> send_result;
  std::atomic<bool> link_open{true};
};

}  // namespace vexel::protocol
