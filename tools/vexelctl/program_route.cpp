#include "program_route.h"

#include <nlohmann/json.hpp>

#include "device_run.h"
#include "platform/linux/sdbus_program_bus.h"
#include "protocol/frame.h"

namespace vexel::ctl {
namespace {

std::vector<uint8_t> BytesOfHex(const std::string& hex) {
  std::vector<uint8_t> bytes;
  for (std::size_t i = 0; i + 1 < hex.size();) {
    if (hex[i] == ' ') {
      ++i;
      continue;
    }
    bytes.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    i += 2;
  }
  return bytes;
}

protocol::Delivery DeliveryOfName(const std::string& name) {
  for (const auto delivery :
       {protocol::Delivery::kSentByCable, protocol::Delivery::kAcknowledged,
        protocol::Delivery::kWrittenOverBluetooth, protocol::Delivery::kNotCarried}) {
    if (protocol::DeliveryName(delivery) == name) return delivery;
  }
  return protocol::Delivery::kFailed;
}

int PrintProfiles(SdbusProgramBus& bus, std::ostream& out, std::ostream& err) {
  std::vector<std::string> names;
  int selected = 0;
  std::string error;
  if (!bus.Profiles(names, selected, error)) return BadInput(err, "vexel-mouse", error);
  // The same text as `profiles` prints from the store itself.
  out << "{\"selected\": " << selected << ", \"profiles\": [";
  for (std::size_t i = 0; i < names.size(); ++i) {
    out << (i ? ", " : "") << "{\"name\": " << nlohmann::json(names[i]).dump() << "}";
  }
  out << "]}\n";
  return kExitOk;
}

}  // namespace

std::filesystem::path PeekStoreFolder(const Args& args) {
  const auto data = std::find(args.begin(), args.end(), "--data");
  if (data != args.end() && data + 1 != args.end()) return *(data + 1);
  return DefaultStorePaths().folder;
}

bool ProgramHoldsStore(const std::filesystem::path& folder) {
  std::error_code ec;
  // No lock file, no holder: nothing is made in a folder only read.
  if (!std::filesystem::exists(folder / kStoreLockFileName, ec)) return false;
  if (StoreLock::TryAcquire(folder, kToolName).state() != StoreLock::State::kHeldByProgram) {
    return false;
  }
  // A program that holds the store but cannot be reached leaves the command
  // to the store itself, which says who holds it.
  return SdbusProgramBus().ProgramRunning();
}

int CallProgramAndPrint(const std::string& what, const std::string& method,
                        const std::vector<std::string>& strings, std::ostream& out,
                        std::ostream& err, const std::vector<std::string>* list) {
  SdbusProgramBus bus;
  const ProgramReply reply = bus.Call(method, strings, list);
  if (!reply.ok) return BadInput(err, what, reply.error);
  out << reply.value;
  if (!reply.value.ends_with('\n')) out << "\n";
  return kExitOk;
}

std::optional<int> RunStoreCommandThroughProgram(const std::string& command, const Args& args,
                                                 std::ostream& out, std::ostream& err) {
  if (!ProgramHoldsStore(PeekStoreFolder(args))) return std::nullopt;
  SdbusProgramBus bus;
  if (command == "profiles") return PrintProfiles(bus, out, err);
  // The import commands name one file, besides --data DIR.
  std::vector<std::string> files;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--data") {
      ++i;
    } else {
      files.push_back(std::filesystem::absolute(args[i]).string());
    }
  }
  if (files.size() != 1) return BadInput(err, "arguments", "expected FILE");
  const std::string method = command == "import-profile" ? "ImportProfile" : "ImportMacro";
  return CallProgramAndPrint(command, method, files, out, err);
}

int PrintProgramApply(const std::string& reply, std::ostream& out, std::ostream& err) {
  const auto json = nlohmann::json::parse(reply, nullptr, false);
  if (json.is_discarded() || !json.is_object()) {
    return BadInput(err, "vexel-mouse", "an answer that is not JSON");
  }
  ApplyOutcome outcome;
  outcome.changed = json.value("changed", true);
  outcome.selected = json.value("selected", true);
  outcome.linked = json.value("linked", false);
  outcome.save_error = json.value("save_error", "");
  for (const auto& report : json.value("reports", nlohmann::json::array())) {
    outcome.reports.push_back(
        {BytesOfHex(report.value("hex", "")), DeliveryOfName(report.value("delivery", ""))});
  }
  return PrintApplyOutcome(outcome, out, err);
}

int CallProgramApply(const std::string& what, const std::string& method,
                     const std::vector<std::string>& strings, std::ostream& out, std::ostream& err,
                     const std::vector<std::string>* list) {
  SdbusProgramBus bus;
  const ProgramReply reply = bus.Call(method, strings, list);
  if (!reply.ok) return BadInput(err, what, reply.error);
  return PrintProgramApply(reply.value, out, err);
}

}  // namespace vexel::ctl
