// The virtual mouse's firmware, without I/O: it takes feature reports from the
// cable and the receiver, keeps what a real mouse keeps, and produces the
// status reports and connection changes that a server passes on. Time comes
// from the Clock it is given, so its timers run in virtual time in tests.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <variant>
#include <vector>

#include "firmware/firmware_settings.h"
#include "firmware/link.h"
#include "firmware/macro_chunks.h"
#include "firmware/report_parser.h"
#include "platform/clock.h"
#include "protocol/status_codes.h"

namespace vexel::sim {

using protocol::BatteryState;
using protocol::kStatusAck;
using protocol::kStatusBattery;
using protocol::kStatusDpiStage;
using protocol::kStatusLightMode;
using protocol::kStatusPollingRate;
inline constexpr Clock::Ms kBatteryPeriod{2000};

struct ConnectionChange {
  Link link;
  bool present;
};
struct StatusReport {
  Link link;
  uint16_t code;
  uint16_t value;
};
using Emission = std::variant<ConnectionChange, StatusReport>;

struct LogEntry {
  Link link;
  int64_t t_ms;  // since the model was made
  std::vector<uint8_t> bytes;
};

struct RefusedEntry {
  LogEntry entry;
  Refusal reason;
};

class FirmwareModel {
 public:
  // Cable and receiver plugged, awake, battery 80 % discharging, acknowledging.
  explicit FirmwareModel(const Clock& clock);

  // --- the links ---
  bool IsPresent(Link link) const;
  // One feature report (or macro chunk) over `link`; true when the link took
  // it. The receiver takes reports while the mouse sleeps but nothing reaches
  // the mouse then. A refused report is logged with its reason and changes
  // nothing.
  bool Receive(Link link, std::span<const uint8_t> bytes);
  // The last accepted report of `kind` (a macro: the last completed one).
  std::optional<std::vector<uint8_t>> LastReport(uint8_t kind) const;
  // One value written to the Bluetooth report characteristic: a 4-byte
  // little-endian byte count, then one whole report (a macro in one piece).
  // False when the mouse is not connected over Bluetooth, asleep, or refused it.
  bool ReceiveBle(std::span<const uint8_t> value);
  // What the mouse answers when asked for a report of `kind`: the last accepted
  // one with the settings its own buttons changed since (DPI stage, light
  // mode, polling rate) written in.
  std::optional<std::vector<uint8_t>> CurrentReport(uint8_t kind) const;
  // Sends the battery report when it is due.
  void Tick();
  // When Tick has something to do next.
  Clock::Ms NextTick() const { return next_battery_; }

  // --- a hand on the mouse ---
  // Bluetooth connects only once it is offered (the server publishes it).
  void OfferBluetooth() { bluetooth_offered_ = true; }
  bool bluetooth_offered() const { return bluetooth_offered_; }
  void Plug(Link link);
  void Unplug(Link link);
  void Sleep();
  void Wake();
  // Switches to `stage` (1-8), or to the next enabled stage; false when out of range.
  bool PressDpi(std::optional<int> stage);
  bool SetLightMode(int mode);  // 0-15
  void SetBattery(uint8_t percent, BatteryState state);
  void SetAcks(bool on) { acks_ = on; }
  bool SetPollingCode(int code);  // 8, 4, 2 or 1
  void FailSends(int count) { fail_sends_ = count; }
  // Any status report, sent as it is (for trying out the host's handling).
  void SendStatus(uint16_t code, uint16_t value) { Emit(code, value); }
  // Forgets accepted reports, the log and the refusals.
  void ClearHistory();

  std::vector<Emission> TakeEmissions();

  // --- state ---
  bool awake() const { return awake_; }
  bool acks() const { return acks_; }
  uint8_t battery_percent() const { return battery_percent_; }
  BatteryState battery_state() const { return battery_state_; }
  const FirmwareSettings& settings() const { return settings_; }
  int dpi_stage() const { return settings_.dpi_stage; }
  int light_mode() const { return settings_.light_mode; }
  int polling_code() const { return settings_.polling_code; }
  int fail_sends() const { return fail_sends_; }
  int rejected() const { return static_cast<int>(refused_.size()); }
  int64_t ElapsedMs() const;
  const std::map<uint8_t, std::vector<uint8_t>>& reports() const { return reports_; }
  const std::map<int, std::vector<uint8_t>>& macros() const { return macros_; }
  const std::vector<LogEntry>& log() const { return log_; }
  const std::vector<RefusedEntry>& refused() const { return refused_; }

 private:
  std::optional<Refusal> Accept(Link link, std::span<const uint8_t> bytes);
  std::optional<Refusal> AcceptChunk(Link link, std::span<const uint8_t> bytes);
  void Record(Link link, std::span<const uint8_t> bytes);
  void TakeEffect(Link link, std::span<const uint8_t> report);
  // Changes the held copy of a report as a button on the mouse does.
  void Patch(uint8_t kind, std::size_t offset, uint8_t value, uint8_t mask = 0xFF);
  // The link the mouse talks over: the cable while it is in, else the receiver
  // while the mouse is awake.
  std::optional<Link> TalkingLink() const;
  // To the link the mouse talks over, and over Bluetooth while connected.
  void Emit(uint16_t code, uint16_t value);
  bool BleTalks() const { return ble_ && awake_; }
  void SendBattery();
  uint16_t BatteryValue() const;

  const Clock& clock_;
  Clock::Ms start_;
  Clock::Ms next_battery_;
  bool wired_ = true;
  bool receiver_ = true;
  bool ble_ = false;
  bool bluetooth_offered_ = false;
  bool awake_ = true;
  bool acks_ = true;
  uint8_t battery_percent_ = 80;
  BatteryState battery_state_ = BatteryState::kDischarging;
  FirmwareSettings settings_;
  int fail_sends_ = 0;
  std::map<uint8_t, std::vector<uint8_t>> reports_;  // as accepted
  std::map<uint8_t, std::vector<uint8_t>> current_;  // as the mouse holds them now
  std::map<int, std::vector<uint8_t>> macros_;
  std::vector<LogEntry> log_;
  std::vector<RefusedEntry> refused_;
  MacroAssembler wired_macro_;
  MacroAssembler wireless_macro_;
  std::vector<Emission> emissions_;
};

}  // namespace vexel::sim
