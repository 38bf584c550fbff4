// The device session as vexelctl runs it, and the apply with its report
// lines that apply, set and select share.
#include "device_run.h"

#include <iostream>

#include "language/language_table.h"
#include "protocol/frame.h"
#include "store/utf16_name.h"

namespace vexel::ctl {

bool UsableLink(const protocol::LinkFlags& links) {
  return links.wired_link == 1 || (links.wireless_link == 1 && links.wireless_ready) ||
         links.ble_link != 0;
}

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

ApplyOutcome RunApplyCycle(Session& session, bool full) {
  DeviceSession& device = session.session();
  session.Listen();
  const protocol::LinkFlags& links = device.links();
  if (std::getenv("VEXELCTL_DEBUG") != nullptr) {
    std::cerr << "debug: wired " << links.wired_link << " wireless " << links.wireless_link
              << " ready " << links.wireless_ready << " blocked "
              << device.apply_cycle().apply_blocked() << "\n";
  }
  ApplyOutcome outcome;
  outcome.linked = UsableLink(links);
  if (!outcome.linked) return outcome;
  protocol::ApplyWorker* worker = device.worker();
  const uint64_t before = worker->ProcessedCount();
  device.SetFullApplyPending(full);
  device.ForwardApplyRequest();
  // Status reports (the receiver's acknowledgements) keep arriving on this
  // thread while the worker delivers.
  session.PumpUntil(std::chrono::hours(1),
                    [&] { return worker->ProcessedCount() > before && worker->IsIdle(); });
  outcome.reports = session.Sent();
  outcome.save_error = session.save_failure();
  return outcome;
}

int ApplyAndReport(Session& session, bool full, std::ostream& out, std::ostream& err) {
  const ApplyOutcome outcome = RunApplyCycle(session, full);
  if (!outcome.linked) {
    err << "vexelctl: no usable link to the mouse: no cable, no awake mouse on the receiver, no "
           "Bluetooth\n";
    return kExitFailed;
  }
  return ReportSent(outcome.reports, outcome.save_error, out, err);
}

int PrintApplyOutcome(const ApplyOutcome& outcome, std::ostream& out, std::ostream& err) {
  if (!outcome.save_error.empty() && (!outcome.selected || !outcome.linked)) {
    err << "vexelctl: the store could not be saved: " << outcome.save_error << "\n";
    return kExitBadInput;
  }
  if (!outcome.changed || !outcome.selected) return kExitOk;
  if (!outcome.linked) {
    err << "vexelctl: saved; not sent: no usable link to the mouse\n";
    return kExitFailed;
  }
  return ReportSent(outcome.reports, outcome.save_error, out, err);
}

int ReportSent(const std::vector<SentReport>& sent, const std::string& save_failure,
               std::ostream& out, std::ostream& err) {
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
  if (!save_failure.empty()) {
    err << "vexelctl: the store could not be saved: " << save_failure << "\n";
    return kExitBadInput;
  }
  return all_ok ? kExitOk : kExitFailed;
}

}  // namespace vexel::ctl
