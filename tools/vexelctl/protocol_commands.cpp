// vexelctl defaults / reports: profile records and the reports an apply sends.
#include <ostream>
#include <span>

#include "command.h"
#include "profile_file.h"
#include "protocol/apply_cycle.h"
#include "protocol/frame.h"
#include "protocol/recording_host.h"
#include "store/file_io.h"
#include "store/profile_record.h"
#include "store/record_files.h"
#include "store/utf16_name.h"

namespace vexel::ctl {
namespace {

int RunDefaults(Args args, std::ostream& out, std::ostream& err) {
  if (args.size() != 2) return BadInput(err, "defaults", "usage: vexelctl defaults NAME OUT.pro");
  const std::u16string name = Utf8ToUtf16(args[0]);
  if (name.empty()) return BadInput(err, "defaults", "the profile name is empty");
  if (name.size() >= kProfileNameUnits) {
    return BadInput(err, "defaults", "the profile name is longer than 99 characters");
  }
  if (HasStoreFileName(args[1])) {
    return BadInput(err, "defaults",
                    args[1] + " is a store's own file; write the profile to another file");
  }
  auto record = MakeZeroProfile();
  ApplyProfileDefaults(*record);
  SetName(record->name, name);

  const auto* bytes = reinterpret_cast<const std::byte*>(record.get());
  const SaveResult written = WriteFileAtomically(args[1], std::span(bytes, sizeof(ProfileRecord)));
  if (!written) return BadInput(err, "defaults", written.error);
  out << "wrote " << args[1] << "\n";
  return kExitOk;
}

int RunReports(Args args, std::ostream& out, std::ostream& err) {
  bool missing_value = false;
  const auto since = TakeOption(args, "--since", missing_value);
  if (missing_value) return BadInput(err, "reports", "--since needs a BASELINE.pro");
  if (args.size() != 1) {
    return BadInput(err, "reports", "usage: vexelctl reports PROFILE.pro [--since BASELINE.pro]");
  }
  auto edited = MakeZeroProfile();
  if (!ReadExactProfileFile(args[0], *edited, err)) return kExitBadInput;
  auto baseline = MakeZeroProfile();
  if (since && !ReadExactProfileFile(*since, *baseline, err)) return kExitBadInput;

  protocol::RecordingHost host(*edited);
  protocol::ApplyCycle cycle(host);
  cycle.SetApplyBlocked(false);
  if (since) {
    cycle.SetBaseline(*baseline);
  } else {
    cycle.SetFullApplyPending(true);
  }
  cycle.Run();
  for (const auto& report : host.reports) out << protocol::ToHex(report) << "\n";
  return kExitOk;
}

const CommandRegistrar kDefaults({"defaults", "NAME OUT.pro",
                                  "write a profile record with the default settings named NAME",
                                  RunDefaults});
const CommandRegistrar kReports(
    {"reports", "PROFILE.pro [--since BASELINE.pro]",
     "print the reports of a full apply of PROFILE (or only of what changed since BASELINE), "
     "one per line in send order",
     RunReports});

}  // namespace
}  // namespace vexel::ctl
