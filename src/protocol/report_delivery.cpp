#include "protocol/report_delivery.h"

#include <string>

#include "protocol/frame.h"

namespace vexel::protocol {
MacroChunk MakeMacroChunk(std::span<const uint8_t> macro_report, int k, bool wireless) {
  using Layout = MacroChunkLayout;
  MacroChunk chunk{};
  chunk[FrameLayout::kKind] = Layout::kKind;
  chunk[Layout::kMarker] =
      wireless && k == Layout::kCount - 1 ? Layout::kWirelessLastMarker : Layout::kMarkerValue;
  chunk[Layout::kButton] =
      macro_report.size() > MacroLayout::kButton ? macro_report[MacroLayout::kButton] : 0;
  chunk[Layout::kIndex] = static_cast<uint8_t>(k);
  for (std::size_t i = 0; i < Layout::kDataLength; ++i) {
    const std::size_t source =
        kPayloadStart + Layout::kDataLength * static_cast<std::size_t>(k) + i;
    if (source < macro_report.size()) chunk[Layout::kData + i] = macro_report[source];
  }
  return chunk;
}

ReportDelivery::ReportDelivery(LinkFlags& flags, Clock& clock) : flags_(flags), clock_(clock) {}

void ReportDelivery::Pause(Clock::Ms duration) {
  if (!flags_.shutting_down) clock_.SleepFor(duration);
}

int ReportDelivery::SendWired(std::span<const uint8_t> report) {
  if (report[0] != kKindMacro) return wired_(report);
  int result = 0;
  for (int k = 0; k < MacroChunkLayout::kCount; ++k) {
    const MacroChunk chunk = MakeMacroChunk(report, k, false);
    result = wired_(chunk);
    if (result != 0) Pause(DeliveryTiming::kWiredChunkPause);
  }
  return result;  // only the last chunk decides
}

int ReportDelivery::SendWireless(std::span<const uint8_t> report) {
  flags_.ack_received = false;
  int result = 0;
  for (int attempt = 0; attempt < DeliveryTiming::kWirelessAttempts; ++attempt) {
    if (flags_.ack_received || flags_.shutting_down) break;
    if (report[0] == kKindMacro) {
      for (int k = 0; k < MacroChunkLayout::kCount; ++k) {
        result = wireless_(MakeMacroChunk(report, k, true));
        Pause(DeliveryTiming::kWirelessChunkPause);
      }
    } else {
      result = wireless_(report);
      if (debug_) debug_("Wireless Send = " + std::to_string(result));
      Pause(DeliveryTiming::kWirelessSendPause);
    }
  }
  return result;
}

int ReportDelivery::SendReport(std::span<const uint8_t> report) {
  if (report.size() < kPayloadStart) return 0;
  int result = 0;
  bool done = false;
  if (flags_.wired_link == 1 && wired_) {
    result = SendWired(report);
    // A plain report ends at the cable whatever its result; a macro whose last
    // chunk failed is offered to the other links.
    done = report[0] != kKindMacro || result != 0;
  }
  if (!done) {
    if (flags_.wireless_link == 1 && flags_.wireless_ready && wireless_) {
      result = SendWireless(report);
    } else if (flags_.ble_link != 0 && report[0] != kKindPollingRate && ble_) {
      // The polling rate cannot be set over BLE.
      result = ble_(report);
    }
  }
  if (result != 0) Pause(DeliveryTiming::kAfterDelivery);
  return result;
}

}  // namespace vexel::protocol
