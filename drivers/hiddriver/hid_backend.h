// The HID back-end behind the seven entry points: one implementation over
// hidapi (a real mouse on hidraw), one over the virtual mouse's socket.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace vexel::hiddriver {

struct DeviceIds {
  uint16_t vendor_id = 0;
  uint16_t product_id = 0;
};

// An open device. Its owner serialises every call on it.
class HidDevice {
 public:
  virtual ~HidDevice() = default;
  // True when the device took the whole report.
  virtual bool SetFeature(std::span<const uint8_t> report) = 0;
  // buffer[0] holds the report id; returns the bytes read, 0 on failure.
  virtual int GetFeature(std::span<uint8_t> buffer) = 0;
};

// What a monitor reports, called on the monitor's own thread.
struct MonitorSink {
  std::function<void(bool present)> connection;
  std::function<void(uint16_t code, uint16_t value)> status;
};

// A running monitor thread; destroying it stops the thread and waits for it.
class DeviceMonitor {
 public:
  virtual ~DeviceMonitor() = default;
};

class HidBackend {
 public:
  virtual ~HidBackend() = default;
  // nullptr when no such device is present.
  virtual std::unique_ptr<HidDevice> Open(DeviceIds ids) = 0;
  // Posts only changes of presence relative to what it finds at start.
  virtual std::unique_ptr<DeviceMonitor> StartMonitor(DeviceIds ids, MonitorSink sink) = 0;
};

std::unique_ptr<HidBackend> MakeHidapiBackend();
std::unique_ptr<HidBackend> MakeVirtualBackend(std::string socket_path);

// Input report with which the mouse sends a status: id, code u16 LE, value u16 LE.
inline constexpr uint8_t kStatusReportId = 0x0B;
inline constexpr std::size_t kStatusReportLength = 5;

struct StatusWord {
  uint16_t code;
  uint16_t value;
};

// The status carried by an input report; std::nullopt for any other report.
inline std::optional<StatusWord> ParseStatusReport(std::span<const uint8_t> report) {
  if (report.size() < kStatusReportLength || report[0] != kStatusReportId) return std::nullopt;
  return StatusWord{static_cast<uint16_t>(report[1] | report[2] << 8),
                    static_cast<uint16_t>(report[3] | report[4] << 8)};
}

}  // namespace vexel::hiddriver
