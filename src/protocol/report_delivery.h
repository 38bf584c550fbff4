// SendReport: the one way a report leaves the program. Chooses the transport
// from the link flags (cable, then an awake receiver, then BLE), splits the
// macro report into 64-byte chunks for the driver links, repeats wireless sends
// until the mouse acknowledges, and paces everything with fixed pauses.
// Runs on the apply worker thread only.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "platform/clock.h"
#include "protocol/report_layout.h"

namespace vexel::protocol {

// Link state shared by the UI thread (writes) and the worker (reads).
struct LinkFlags {
  // wired_link / wireless_link: 0 not opened, 1 open, 2 removed since.
  std::atomic<int> wired_link{0};
  std::atomic<int> wireless_link{0};
  std::atomic<int> ble_link{0};
  // The wireless mouse reported its battery within the last 6 s.
  std::atomic<bool> wireless_ready{false};
  // The mouse acknowledged the report being sent (status 0x5010).
  std::atomic<bool> ack_received{false};
  // Set while the page shuts down: pending deliveries stop at once.
  std::atomic<bool> shutting_down{false};

  bool AnyLinkOpen() const { return wired_link == 1 || wireless_link == 1 || ble_link == 1; }
};

// One transport's send: nonzero when the report was delivered.
using TransportSend = std::function<int32_t(std::span<const uint8_t> bytes)>;

inline constexpr std::size_t kMacroChunkLength = MacroChunkLayout::kLength;
using MacroChunk = std::array<uint8_t, kMacroChunkLength>;

// Chunk k (0-2) of a 131-byte macro report as the driver links carry it.
MacroChunk MakeMacroChunk(std::span<const uint8_t> macro_report, int k, bool wireless);

struct DeliveryTiming {
  static constexpr Clock::Ms kWiredChunkPause{200};
  static constexpr Clock::Ms kWirelessChunkPause{1000};
  static constexpr Clock::Ms kWirelessSendPause{500};
  static constexpr Clock::Ms kAfterDelivery{500};
  static constexpr int kWirelessAttempts = 10;
};

// How one report left the program. Over the receiver only the mouse's
// acknowledgement counts as delivered: a send the driver took but the mouse
// never confirmed (asleep, out of range) is kFailed.
enum class Delivery {
  kFailed = 0,
  kSentByCable,
  kAcknowledged,
  kWrittenOverBluetooth,
  // Bluetooth was the link in use and cannot carry this kind (the polling
  // rate): nothing was sent. Not delivered, so a later cycle over another
  // link sends it, but no fault of the link either.
  kNotCarried,
};

// "acknowledged", "sent (cable)", "written (Bluetooth)", "not carried over
// Bluetooth" or "failed".
std::string_view DeliveryName(Delivery delivery);

class ReportDelivery {
 public:
  ReportDelivery(LinkFlags& flags, Clock& clock);

  // Transports; an empty function is an absent transport.
  void SetWiredSend(TransportSend send) { wired_ = std::move(send); }
  void SetWirelessSend(TransportSend send) { wireless_ = std::move(send); }
  void SetBleWrite(TransportSend write) { ble_ = std::move(write); }
  // Where "Wireless Send = %d" lines go (default: nowhere).
  void SetDebugSink(std::function<void(std::string_view)> sink) { debug_ = std::move(sink); }

  // Nonzero when the report was delivered (see Delivery); 0 when it was not
  // or nothing was sent.
  int SendReport(std::span<const uint8_t> report) { return IsDelivered(Deliver(report)); }
  static bool IsDelivered(Delivery delivery) {
    return delivery != Delivery::kFailed && delivery != Delivery::kNotCarried;
  }
  Delivery Deliver(std::span<const uint8_t> report);

 private:
  // Sleeps unless the page is shutting down.
  void Pause(Clock::Ms duration);
  int SendWired(std::span<const uint8_t> report);
  // The last send's result, and whether the mouse acknowledged.
  int SendWireless(std::span<const uint8_t> report, bool& acknowledged);

  LinkFlags& flags_;
  Clock& clock_;
  TransportSend wired_;
  TransportSend wireless_;
  TransportSend ble_;
  std::function<void(std::string_view)> debug_;
};

}  // namespace vexel::protocol
