#include "firmware/control_command.h"

#include <charconv>
#include <functional>
#include <map>
#include <optional>

#include "firmware/state_json.h"

namespace vexel::sim {

const char* const kControlUsage =
    "  state                          print the state as JSON\n"
    "  plug wired|receiver            plug the cable or the receiver in\n"
    "  unplug wired|receiver          pull it out\n"
    "  ble connect|disconnect         connect the mouse over Bluetooth (serve --ble) or not\n"
    "  sleep | wake                   the wireless mouse falls asleep or wakes up\n"
    "  press-dpi [STAGE]              press the DPI button (to STAGE 1-8)\n"
    "  light-mode MODE                switch the light mode (0-15) on the mouse\n"
    "  battery PERCENT [discharging|charging|full]\n"
    "  acks on|off                    acknowledge reports on the receiver or not\n"
    "  polling-rate 8|4|2|1           switch the report interval on the mouse\n"
    "  fail-sends COUNT               fail the next COUNT feature reports\n"
    "  status CODE VALUE              send any status report (numbers, 0x for hex)\n"
    "  clear                          forget accepted reports, log and refusals\n";

namespace {

using Words = std::span<const std::string>;

std::optional<long> ParseNumber(const std::string& text, long min, long max) {
  const int base = text.starts_with("0x") || text.starts_with("0X") ? 16 : 10;
  const char* begin = text.data() + (base == 16 ? 2 : 0);
  const char* end = text.data() + text.size();
  long value = 0;
  const auto [stop, error] = std::from_chars(begin, end, value, base);
  if (error != std::errc() || stop != end || begin == end || value < min || value > max)
    return std::nullopt;
  return value;
}

std::optional<Link> ParseLink(const std::string& text) {
  if (text == "wired") return Link::kWired;
  if (text == "receiver") return Link::kWireless;
  return std::nullopt;
}

std::optional<bool> ParseOnOff(const std::string& text) {
  if (text == "on") return true;
  if (text == "off") return false;
  return std::nullopt;
}

std::optional<BatteryState> ParseBatteryState(const std::string& text) {
  for (BatteryState state :
       {BatteryState::kDischarging, BatteryState::kCharging, BatteryState::kFull}) {
    if (protocol::BatteryStateName(static_cast<int>(state)) == text) return state;
  }
  return std::nullopt;
}

const ControlResult kDone{true, "ok"};

ControlResult Refuse(const std::string& why) {
  return {false, why};
}

struct CommandEntry {
  std::size_t min_args;
  std::size_t max_args;
  std::function<ControlResult(FirmwareModel&, Words)> run;
};

ControlResult PlugOrUnplug(FirmwareModel& model, Words args, bool plug) {
  const auto link = ParseLink(args[0]);
  if (!link) return Refuse("expected wired or receiver, got '" + args[0] + "'");
  plug ? model.Plug(*link) : model.Unplug(*link);
  return kDone;
}

// A command with one number from `min` to `max`; `apply` may refuse it too.
CommandEntry NumberCommand(long min, long max, std::string why,
                           std::function<bool(FirmwareModel&, long)> apply) {
  return {1, 1, [=](FirmwareModel& model, Words args) {
            const auto number = ParseNumber(args[0], min, max);
            return number && apply(model, *number) ? kDone : Refuse(why);
          }};
}

ControlResult Bluetooth(FirmwareModel& model, Words args) {
  if (args[0] != "connect" && args[0] != "disconnect")
    return Refuse("expected connect or disconnect, got '" + args[0] + "'");
  if (!model.bluetooth_offered())
    return Refuse("the mouse is not on Bluetooth: start the server with serve --ble");
  args[0] == "connect" ? model.Plug(Link::kBle) : model.Unplug(Link::kBle);
  return kDone;
}

const std::map<std::string, CommandEntry, std::less<>>& Commands() {
  static const std::map<std::string, CommandEntry, std::less<>> commands = {
      {"state",
       {0, 0,
        [](FirmwareModel& m, Words) {
          return ControlResult{true, StateJson(m)};
        }}},
      {"plug", {1, 1, [](FirmwareModel& m, Words a) { return PlugOrUnplug(m, a, true); }}},
      {"unplug", {1, 1, [](FirmwareModel& m, Words a) { return PlugOrUnplug(m, a, false); }}},
      {"ble", {1, 1, Bluetooth}},
      {"sleep", {0, 0, [](FirmwareModel& m, Words) { return m.Sleep(), kDone; }}},
      {"wake", {0, 0, [](FirmwareModel& m, Words) { return m.Wake(), kDone; }}},
      {"press-dpi",
       {0, 1,
        [](FirmwareModel& m, Words a) {
          std::optional<int> stage;
          if (!a.empty()) {
            const auto number = ParseNumber(a[0], 1, 8);
            if (!number) return Refuse("the DPI stage must be 1 to 8");
            stage = static_cast<int>(*number);
          }
          m.PressDpi(stage);
          return kDone;
        }}},
      {"light-mode", NumberCommand(0, 15, "the light mode must be 0 to 15",
                                   [](FirmwareModel& m, long mode) {
                                     return m.SetLightMode(static_cast<int>(mode));
                                   })},
      {"battery",
       {1, 2,
        [](FirmwareModel& m, Words a) {
          const auto percent = ParseNumber(a[0], 0, 255);
          if (!percent) return Refuse("the battery level must be 0 to 255");
          const auto state =
              a.size() > 1 ? ParseBatteryState(a[1]) : std::optional(BatteryState::kDischarging);
          if (!state) return Refuse("expected discharging, charging or full");
          m.SetBattery(static_cast<uint8_t>(*percent), *state);
          return kDone;
        }}},
      {"acks",
       {1, 1,
        [](FirmwareModel& m, Words a) {
          const auto on = ParseOnOff(a[0]);
          if (!on) return Refuse("expected on or off");
          m.SetAcks(*on);
          return kDone;
        }}},
      {"polling-rate", NumberCommand(1, 8, "the report interval code must be 8, 4, 2 or 1",
                                     [](FirmwareModel& m, long code) {
                                       return m.SetPollingCode(static_cast<int>(code));
                                     })},
      {"fail-sends", NumberCommand(0, 1000000, "the count must be a number from 0",
                                   [](FirmwareModel& m, long count) {
                                     m.FailSends(static_cast<int>(count));
                                     return true;
                                   })},
      {"status",
       {2, 2,
        [](FirmwareModel& m, Words a) {
          const auto code = ParseNumber(a[0], 0, 0xFFFF);
          const auto value = ParseNumber(a[1], 0, 0xFFFF);
          if (!code || !value) return Refuse("code and value must be 16-bit numbers");
          m.SendStatus(static_cast<uint16_t>(*code), static_cast<uint16_t>(*value));
          return kDone;
        }}},
      {"clear", {0, 0, [](FirmwareModel& m, Words) { return m.ClearHistory(), kDone; }}},
  };
  return commands;
}

}  // namespace

ControlResult ApplyControlCommand(FirmwareModel& model, Words words) {
  if (words.empty()) return Refuse("no command");
  const auto found = Commands().find(words[0]);
  if (found == Commands().end()) return Refuse("unknown command '" + words[0] + "'");
  const Words args = words.subspan(1);
  if (args.size() < found->second.min_args || args.size() > found->second.max_args)
    return Refuse("wrong number of arguments for '" + words[0] + "'");
  return found->second.run(model, args);
}

}  // namespace vexel::sim
