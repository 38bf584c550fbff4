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

std::string_view DeliveryName(Delivery delivery) {
  switch (delivery) {
    case Delivery::kSentByCable:
      return "sent (cable)";
    case Delivery::kAcknowledged:
      return "acknowledged";
    case Delivery::kWrittenOverBluetooth:
      return "written (Bluetooth)";
    case Delivery::kNotCarried:
      return "not carried over Bluetooth";
    case Delivery::kFailed:
      break;
  }
  return "failed";
}

int ReportDelivery::SendWireless(std::span<const uint8_t> report, bool& acknowledged) {
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
      if (debug_) debug_("Wireless Send = " + std::to_string(result) + "\n");
      Pause(DeliveryTiming::kWirelessSendPause);
    }
  }
  acknowledged = flags_.ack_received;
  return result;
}

Delivery ReportDelivery::Deliver(std::span<const uint8_t> report) {
  if (report.size() < kPayloadStart) return Delivery::kFailed;
  int result = 0;
  Delivery delivery = Delivery::kFailed;
  bool done = false;
  if (flags_.wired_link == 1 && wired_) {
    result = SendWired(report);
    if (result != 0) delivery = Delivery::kSentByCable;
    // A plain report ends at the cable whatever its result; a macro whose last
    // chunk failed is offered to the other links.
    done = report[0] != kKindMacro || result != 0;
  }
  if (!done) {
    if (flags_.wireless_link == 1 && flags_.wireless_ready && wireless_) {
      bool acknowledged = false;
      result = SendWireless(report, acknowledged);
      // The driver taking a send says nothing about the mouse: only its
      // acknowledgement makes the report delivered.
      delivery = acknowledged ? Delivery::kAcknowledged : Delivery::kFailed;
    } else if (flags_.ble_link != 0 && ble_) {
      // The polling rate cannot be set over BLE.
      if (report[0] == kKindPollingRate) return Delivery::kNotCarried;
      result = ble_(report);
      if (result != 0) delivery = Delivery::kWrittenOverBluetooth;
    }
  }
  // The closing pause follows the last send's result, as the mouse's timing
  // needs, whether or not the report counts as delivered.
  if (result != 0) Pause(DeliveryTiming::kAfterDelivery);
  return delivery;
}

}  // namespace vexel::protocol
