// The BLE link's status values: taken on the Bluetooth stack's thread, handed
// to the UI thread through the session's message target, decoded there.
#include <algorithm>
#include <string>

#include "link/ble/ble_status.h"
#include "link/device_session.h"
#include "messages/app_messages.h"

namespace vexel {
namespace {

// A status value holds a 16-bit code and a 16-bit value; more is not read.
constexpr std::size_t kBleStatusBytes = 4;
// Values waiting for the UI thread; beyond this a stalled UI thread drops
// the newest rather than letting the queue grow without end.
constexpr std::size_t kBleQueueLimit = 256;

}  // namespace

void DeviceSession::QueueBleNotification(std::span<const uint8_t> value) {
  const std::span<const uint8_t> kept = value.first(std::min(value.size(), kBleStatusBytes));
  {
    std::lock_guard lock(ble_values_mutex_);
    if (ble_values_.size() >= kBleQueueLimit) return;
    ble_values_.emplace_back(kept.begin(), kept.end());
  }
  ui_post_.post(ui_post_.ctx, kMsgBleNotification, 0, 0);
}

void DeviceSession::TakeBleNotification() {
  std::vector<uint8_t> value;
  {
    std::lock_guard lock(ble_values_mutex_);
    if (ble_values_.empty()) return;
    value = std::move(ble_values_.front());
    ble_values_.pop_front();
  }
  OnBleNotification(value);
}

void DeviceSession::OnBleNotification(std::span<const uint8_t> value) {
  if (value.empty()) {
    Debug("datasize 0\n");
    return;
  }
  // A value too short for a code and a value is not a status: nothing is
  // read beyond its end.
  const std::optional<link::BleStatus> status = link::DecodeBleStatus(value);
  if (!status) return;
  Debug("HR " + link::BleStatusTrace(*status, link::LocalTimeOfDay()));
  HandleBleStatus(status->code, status->value);
}

}  // namespace vexel
