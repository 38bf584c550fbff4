#include "firmware/firmware_model.h"

#include "protocol/reports.h"

#include <utility>

#include "protocol/frame.h"

namespace vexel::sim {
namespace {

constexpr std::size_t kStageByte = 24;
constexpr std::size_t kStageMaskByte = 5;
constexpr std::size_t kLightModeByte = 3;
constexpr std::size_t kPollingCodeByte = 3;
constexpr int kStageCount = 8;

bool IsPollingCode(int code) {
  return code == 8 || code == 4 || code == 2 || code == 1;
}

}  // namespace

FirmwareModel::FirmwareModel(const Clock& clock)
    : clock_(clock), start_(clock.Now()), next_battery_(start_ + kBatteryPeriod) {
  // A new mouse holds its factory settings: those of a default profile.
  auto factory = MakeZeroProfile();
  ApplyProfileDefaults(*factory);
  auto hold = [this](std::span<const uint8_t> report) {
    current_[report[0]].assign(report.begin(), report.end());
  };
  hold(protocol::EncodePerformanceReport(*factory));
  hold(protocol::LightingReport(*factory));
  hold(protocol::PollingRateReport(*factory));
  hold(protocol::EncodeButtonMapReport(*factory));
}

int64_t FirmwareModel::ElapsedMs() const {
  return (clock_.Now() - start_).count();
}

bool FirmwareModel::Receive(Link link, std::span<const uint8_t> bytes) {
  if (!IsPresent(link)) return false;
  if (fail_sends_ > 0) {
    --fail_sends_;
    return false;
  }
  if (link == Link::kWireless && !awake_) return true;  // the receiver has nobody to pass it to
  const bool is_chunk = !bytes.empty() && bytes[0] == protocol::kKindMacro;
  if (is_chunk ? AcceptChunk(link, bytes) : Accept(link, bytes)) return true;
  ++rejected_;
  return false;
}

bool FirmwareModel::Accept(Link link, std::span<const uint8_t> bytes) {
  if (!protocol::IsWellFormed(bytes)) return false;
  // The polling-rate report guards its code with the code's complement.
  if (bytes[0] == protocol::kKindPollingRate &&
      bytes[kPollingCodeByte + 1] != static_cast<uint8_t>(~bytes[kPollingCodeByte])) {
    return false;
  }
  Record(link, bytes);
  reports_[bytes[0]].assign(bytes.begin(), bytes.end());
  current_[bytes[0]].assign(bytes.begin(), bytes.end());
  TakeEffect(link, bytes);
  return true;
}

bool FirmwareModel::AcceptChunk(Link link, std::span<const uint8_t> bytes) {
  const auto header = CheckChunk(link, bytes);
  if (!header) return false;
  MacroAssembler& assembler = link == Link::kWired ? wired_macro_ : wireless_macro_;
  switch (assembler.Add(*header, bytes)) {
    case MacroAssembler::Outcome::kRefused:
      return false;
    case MacroAssembler::Outcome::kTaken:
      Record(link, bytes);
      return true;
    case MacroAssembler::Outcome::kCompleted:
      Record(link, bytes);
      macros_[header->button].assign(assembler.Report().begin(), assembler.Report().end());
      TakeEffect(link, assembler.Report());
      return true;
  }
  return false;
}

void FirmwareModel::Record(Link link, std::span<const uint8_t> bytes) {
  log_.push_back({link, ElapsedMs(), std::vector<uint8_t>(bytes.begin(), bytes.end())});
}

void FirmwareModel::TakeEffect(Link link, std::span<const uint8_t> report) {
  switch (report[0]) {
    case protocol::kKindPerformance:
      stage_mask_ = report[kStageMaskByte];
      if (report[kStageByte] >= 1 && report[kStageByte] <= kStageCount)
        dpi_stage_ = report[kStageByte];
      break;
    case protocol::kKindLighting:
      light_mode_ = report[kLightModeByte] >> 4;
      break;
    case protocol::kKindPollingRate:
      polling_code_ = report[kPollingCodeByte];
      break;
    default:
      break;
  }
  // The acknowledgement names the kind it answers in its high byte; the host
  // only looks for a zero low byte.
  if (link == Link::kWireless && acks_) {
    emissions_.push_back(StatusReport{link, kStatusAck, static_cast<uint16_t>(report[0] << 8)});
  }
}

std::optional<std::vector<uint8_t>> FirmwareModel::LastReport(uint8_t kind) const {
  if (kind == protocol::kKindMacro) {
    // The most recent macro by arrival: search the log backwards for a last chunk.
    for (auto it = log_.rbegin(); it != log_.rend(); ++it) {
      if (it->bytes[0] == protocol::kKindMacro && it->bytes[3] == kChunkCount - 1) {
        const auto macro = macros_.find(it->bytes[2]);
        if (macro != macros_.end()) return macro->second;
      }
    }
    return std::nullopt;
  }
  const auto found = reports_.find(kind);
  if (found == reports_.end()) return std::nullopt;
  return found->second;
}

std::optional<std::vector<uint8_t>> FirmwareModel::CurrentReport(uint8_t kind) const {
  const auto found = current_.find(kind);
  if (found == current_.end()) return LastReport(kind);
  return found->second;
}

void FirmwareModel::Patch(uint8_t kind, std::size_t offset, uint8_t value, uint8_t mask) {
  const auto found = current_.find(kind);
  if (found == current_.end()) return;
  std::vector<uint8_t>& bytes = found->second;
  bytes[offset] = static_cast<uint8_t>((bytes[offset] & ~mask) | (value & mask));
  if (const std::size_t checksum = protocol::ChecksumOffset(kind))
    protocol::WriteChecksum(bytes, checksum);
}

void FirmwareModel::Tick() {
  const Clock::Ms now = clock_.Now();
  if (now < next_battery_) return;
  SendBattery();
  next_battery_ = now + kBatteryPeriod;
}

void FirmwareModel::SendBattery() {
  Emit(kStatusBattery,
       static_cast<uint16_t>(battery_percent_ << 8 | static_cast<uint8_t>(battery_state_)));
}

void FirmwareModel::Plug(Link link) {
  if (IsPresent(link)) return;
  (link == Link::kWired ? wired_ : receiver_) = true;
  emissions_.push_back(ConnectionChange{link, true});
  // A mouse that has just found its host tells it the battery at once.
  if (TalkingLink() == link) SendBattery();
}

void FirmwareModel::Unplug(Link link) {
  if (!IsPresent(link)) return;
  (link == Link::kWired ? wired_ : receiver_) = false;
  emissions_.push_back(ConnectionChange{link, false});
}

void FirmwareModel::Sleep() {
  awake_ = false;
}

void FirmwareModel::Wake() {
  if (awake_) return;
  awake_ = true;
  SendBattery();
  next_battery_ = clock_.Now() + kBatteryPeriod;
}

bool FirmwareModel::PressDpi(std::optional<int> stage) {
  if (stage) {
    if (*stage < 1 || *stage > kStageCount) return false;
    dpi_stage_ = *stage;
  } else {
    // The button steps through the enabled stages; with none enabled it stays.
    for (int step = 1; step <= kStageCount; ++step) {
      const int candidate = (dpi_stage_ - 1 + step) % kStageCount + 1;
      if (stage_mask_ & (1 << (candidate - 1))) {
        dpi_stage_ = candidate;
        break;
      }
    }
  }
  Patch(protocol::kKindPerformance, kStageByte, static_cast<uint8_t>(dpi_stage_));
  Emit(kStatusDpiStage, static_cast<uint16_t>(dpi_stage_));
  return true;
}

bool FirmwareModel::SetLightMode(int mode) {
  if (mode < 0 || mode > 15) return false;
  light_mode_ = mode;
  Patch(protocol::kKindLighting, kLightModeByte, static_cast<uint8_t>(mode << 4), 0xF0);
  Emit(kStatusLightMode, static_cast<uint16_t>(mode << 4));
  return true;
}

void FirmwareModel::SetBattery(uint8_t percent, BatteryState state) {
  battery_percent_ = percent;
  battery_state_ = state;
  SendBattery();
}

bool FirmwareModel::SetPollingCode(int code) {
  if (!IsPollingCode(code)) return false;
  polling_code_ = code;
  Patch(protocol::kKindPollingRate, kPollingCodeByte, static_cast<uint8_t>(code));
  Patch(protocol::kKindPollingRate, kPollingCodeByte + 1, static_cast<uint8_t>(~code));
  Emit(kStatusPollingRate, static_cast<uint16_t>(code));
  return true;
}

void FirmwareModel::ClearHistory() {
  reports_.clear();
  current_.clear();
  macros_.clear();
  log_.clear();
  rejected_ = 0;
}

std::vector<Emission> FirmwareModel::TakeEmissions() {
  return std::exchange(emissions_, {});
}

std::optional<Link> FirmwareModel::TalkingLink() const {
  if (wired_) return Link::kWired;
  if (receiver_ && awake_) return Link::kWireless;
  return std::nullopt;
}

void FirmwareModel::Emit(uint16_t code, uint16_t value) {
  if (const auto link = TalkingLink()) emissions_.push_back(StatusReport{*link, code, value});
}

}  // namespace vexel::sim
