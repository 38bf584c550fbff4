#include "firmware/state_json.h"

#include <nlohmann/json.hpp>

#include "protocol/report_layout.h"

namespace vexel::sim {
namespace {

using nlohmann::ordered_json;

// Lowercase hex without separators.
std::string Hex(std::span<const uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (uint8_t byte : bytes) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
  }
  return text;
}

ordered_json LogJson(const LogEntry& entry) {
  return {{"link", LinkName(entry.link)}, {"t_ms", entry.t_ms}, {"hex", Hex(entry.bytes)}};
}

std::string KindKey(uint8_t kind) {
  return Hex(std::span(&kind, 1));
}

}  // namespace

std::string StateJson(const FirmwareModel& model) {
  ordered_json reports = ordered_json::object();
  for (uint8_t kind : {protocol::kKindReset, protocol::kKindPerformance, protocol::kKindLighting,
                       protocol::kKindPollingRate, protocol::kKindButtonMap}) {
    const auto found = model.reports().find(kind);
    reports[KindKey(kind)] =
        found == model.reports().end() ? ordered_json() : ordered_json(Hex(found->second));
  }
  ordered_json macros = ordered_json::object();
  for (const auto& [button, report] : model.macros()) macros[std::to_string(button)] = Hex(report);
  reports[KindKey(protocol::kKindMacro)] = std::move(macros);

  ordered_json log = ordered_json::array();
  for (const LogEntry& entry : model.log()) {
    log.push_back(LogJson(entry));
  }
  ordered_json refused = ordered_json::array();
  for (const RefusedEntry& entry : model.refused()) {
    ordered_json item = LogJson(entry.entry);
    item["reason"] = RefusalReason(entry.reason);
    refused.push_back(std::move(item));
  }

  const ordered_json state = {
      {"t_ms", model.ElapsedMs()},
      {"wired", model.IsPresent(Link::kWired)},
      {"receiver", model.IsPresent(Link::kWireless)},
      {"ble", model.IsPresent(Link::kBle)},
      {"awake", model.awake()},
      {"acks", model.acks()},
      {"battery", model.battery_percent()},
      {"charging", protocol::BatteryStateName(static_cast<int>(model.battery_state()))},
      {"dpi_stage", model.dpi_stage()},
      {"light_mode", model.light_mode()},
      {"polling_code", model.polling_code()},
      {"fail_sends", model.fail_sends()},
      {"reports", std::move(reports)},
      {"log", std::move(log)},
      {"rejected", model.rejected()},
      {"refused", std::move(refused)},
  };
  return state.dump(2);
}

}  // namespace vexel::sim
