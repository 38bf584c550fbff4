#include "firmware/firmware_model.h"

#include <utility>

#include "protocol/report_layout.h"

namespace vexel::sim {
namespace {

using protocol::FrameLayout;
using protocol::LightingLayout;
using protocol::MacroChunkLayout;
using protocol::MacroLayout;
using protocol::PerformanceLayout;
using protocol::PollingRateLayout;

bool IsPollingCode(int code) {
  return code == 8 || code == 4 || code == 2 || code == 1;
}

}  // namespace

FirmwareModel::FirmwareModel(const Clock& clock)
    : clock_(clock), start_(clock.Now()), next_battery_(start_ + kBatteryPeriod) {
  for (const std::vector<uint8_t>& report : FactoryReports()) {
    current_[report[FrameLayout::kKind]] = report;
    TakeReport(report, settings_);
  }
}

bool FirmwareModel::IsPresent(Link link) const {
  switch (link) {
    case Link::kWired:
      return wired_;
    case Link::kWireless:
      return receiver_;
    case Link::kBle:
      return ble_;
  }
  return false;
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
  // The driver links carry a macro only in chunks.
  const bool is_chunk = !bytes.empty() && bytes[FrameLayout::kKind] == MacroChunkLayout::kKind;
  const auto refusal = is_chunk ? AcceptChunk(link, bytes) : Accept(link, bytes);
  if (!refusal) return true;
  refused_.push_back(
      {{link, ElapsedMs(), std::vector<uint8_t>(bytes.begin(), bytes.end())}, *refusal});
  return false;
}

bool FirmwareModel::ReceiveBle(std::span<const uint8_t> value) {
  if (!BleTalks()) return false;
  if (fail_sends_ > 0) {
    --fail_sends_;
    return false;
  }
  constexpr std::size_t kCountBytes = 4;
  std::optional<Refusal> refusal;
  std::span<const uint8_t> report;
  if (value.size() < kCountBytes) {
    refusal = Refusal::kByteCount;
  } else {
    const uint32_t count = value[0] | value[1] << 8 | value[2] << 16 | uint32_t{value[3]} << 24;
    report = value.subspan(kCountBytes);
    if (count != report.size()) {
      refusal = Refusal::kByteCount;
    } else if (!report.empty() && report[FrameLayout::kKind] == PollingRateLayout::kKind) {
      refusal = Refusal::kNotOverBle;
    } else {
      refusal = Accept(Link::kBle, report);
    }
  }
  if (!refusal) return true;
  refused_.push_back(
      {{Link::kBle, ElapsedMs(), std::vector<uint8_t>(value.begin(), value.end())}, *refusal});
  return false;
}

std::optional<Refusal> FirmwareModel::Accept(Link link, std::span<const uint8_t> bytes) {
  if (auto refusal = CheckReport(bytes)) return refusal;
  Record(link, bytes);
  if (link == Link::kBle && bytes[FrameLayout::kKind] == MacroLayout::kKind) {
    // Bluetooth carries a macro whole, where the driver links cut it in chunks.
    macros_[bytes[MacroLayout::kButton]].assign(bytes.begin(), bytes.end());
    TakeEffect(link, bytes);
    return std::nullopt;
  }
  reports_[bytes[FrameLayout::kKind]].assign(bytes.begin(), bytes.end());
  current_[bytes[FrameLayout::kKind]].assign(bytes.begin(), bytes.end());
  TakeEffect(link, bytes);
  return std::nullopt;
}

std::optional<Refusal> FirmwareModel::AcceptChunk(Link link, std::span<const uint8_t> bytes) {
  const auto checked = CheckChunk(link, bytes);
  if (const auto* refusal = std::get_if<Refusal>(&checked)) return *refusal;
  const auto header = std::get<ChunkHeader>(checked);
  MacroAssembler& assembler = link == Link::kWired ? wired_macro_ : wireless_macro_;
  if (auto refusal = assembler.Add(header, bytes)) return refusal;
  Record(link, bytes);
  if (assembler.completed()) {
    macros_[header.button].assign(assembler.Report().begin(), assembler.Report().end());
    TakeEffect(link, assembler.Report());
  }
  return std::nullopt;
}

void FirmwareModel::Record(Link link, std::span<const uint8_t> bytes) {
  log_.push_back({link, ElapsedMs(), std::vector<uint8_t>(bytes.begin(), bytes.end())});
}

void FirmwareModel::TakeEffect(Link link, std::span<const uint8_t> report) {
  TakeReport(report, settings_);
  // The acknowledgement names the kind it answers in its high byte; the host
  // only looks for a zero low byte.
  if (link != Link::kWired && acks_) {
    emissions_.push_back(
        StatusReport{link, kStatusAck, static_cast<uint16_t>(report[FrameLayout::kKind] << 8)});
  }
}

std::optional<std::vector<uint8_t>> FirmwareModel::LastReport(uint8_t kind) const {
  if (kind == MacroLayout::kKind) {
    // The most recent macro by arrival: search the log backwards for a last chunk.
    for (auto it = log_.rbegin(); it != log_.rend(); ++it) {
      // Bluetooth carries it whole; the driver links in chunks of the same kind.
      if (it->link == Link::kBle && it->bytes[FrameLayout::kKind] == MacroLayout::kKind)
        return it->bytes;
      if (it->bytes[FrameLayout::kKind] == MacroChunkLayout::kKind &&
          it->bytes[MacroChunkLayout::kIndex] == kChunkCount - 1) {
        const auto macro = macros_.find(it->bytes[MacroChunkLayout::kButton]);
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
  Reseal(bytes);
}

void FirmwareModel::Tick() {
  const Clock::Ms now = clock_.Now();
  if (now < next_battery_) return;
  SendBattery();
  next_battery_ = now + kBatteryPeriod;
}

uint16_t FirmwareModel::BatteryValue() const {
  return static_cast<uint16_t>(battery_percent_ << 8 | static_cast<uint8_t>(battery_state_));
}

void FirmwareModel::SendBattery() {
  Emit(kStatusBattery, BatteryValue());
}

void FirmwareModel::Plug(Link link) {
  if (IsPresent(link) || (link == Link::kBle && !bluetooth_offered_)) return;
  (link == Link::kWired ? wired_ : link == Link::kWireless ? receiver_ : ble_) = true;
  emissions_.push_back(ConnectionChange{link, true});
  // A mouse that has just found its host tells it the battery at once.
  if (link == Link::kBle && BleTalks()) {
    emissions_.push_back(StatusReport{Link::kBle, kStatusBattery, BatteryValue()});
  } else if (TalkingLink() == link) {
    SendBattery();
  }
}

void FirmwareModel::Unplug(Link link) {
  if (!IsPresent(link)) return;
  (link == Link::kWired ? wired_ : link == Link::kWireless ? receiver_ : ble_) = false;
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
    settings_.dpi_stage = *stage;
  } else {
    // The button steps through the enabled stages; with none enabled it stays.
    for (int step = 1; step <= kStageCount; ++step) {
      const int candidate = (settings_.dpi_stage - 1 + step) % kStageCount + 1;
      if (settings_.stage_mask & (1 << (candidate - 1))) {
        settings_.dpi_stage = candidate;
        break;
      }
    }
  }
  Patch(PerformanceLayout::kKind, PerformanceLayout::kDpiStage,
        static_cast<uint8_t>(settings_.dpi_stage));
  Emit(kStatusDpiStage, static_cast<uint16_t>(settings_.dpi_stage));
  return true;
}

bool FirmwareModel::SetLightMode(int mode) {
  if (mode < 0 || mode > 15) return false;
  settings_.light_mode = mode;
  Patch(LightingLayout::kKind, LightingLayout::kMode, static_cast<uint8_t>(mode << 4), 0xF0);
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
  settings_.polling_code = code;
  Patch(PollingRateLayout::kKind, PollingRateLayout::kIntervalCode, static_cast<uint8_t>(code));
  Patch(PollingRateLayout::kKind, PollingRateLayout::kIntervalCodeComplement,
        static_cast<uint8_t>(~code));
  Emit(kStatusPollingRate, static_cast<uint16_t>(code));
  return true;
}

void FirmwareModel::ClearHistory() {
  reports_.clear();
  current_.clear();
  macros_.clear();
  settings_.macros.clear();
  log_.clear();
  refused_.clear();
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
  if (BleTalks()) emissions_.push_back(StatusReport{Link::kBle, code, value});
}

}  // namespace vexel::sim
