// Back-end for a real mouse on hidraw. hidapi is not thread-safe: every call
// that is not on a handle (enumerate, open, close) runs under one mutex per
// library, and every handle has one owner (the feature handle the library
// instance, the read handle the monitor thread). Paths handed to hid_open_path
// always come from hid_enumerate.
#include <hidapi/hidapi.h>
#include <libudev.h>
#include <poll.h>

#include <chrono>
#include <mutex>
#include <optional>
#include <thread>

#include "hid_backend.h"
#include "stop_signal.h"

namespace vexel::hiddriver {
namespace {

// Presence is rescanned this often even without udev events: a container or a
// test bed may have no udev daemon to send them.
constexpr auto kRescanInterval = std::chrono::milliseconds(1000);
// Longest stretch a read for status reports blocks the monitor loop.
constexpr int kReadSliceMs = 100;
constexpr uint16_t kVendorUsagePageStart = 0xFF00;

// The interface that takes the vendor reports: a vendor-defined usage page if
// the device has one, else its first interface. Caller holds the hidapi mutex.
std::optional<std::string> FindDevicePath(DeviceIds ids) {
  hid_device_info* list = hid_enumerate(ids.vendor_id, ids.product_id);
  const hid_device_info* chosen = nullptr;
  for (const hid_device_info* info = list; info != nullptr; info = info->next) {
    if (info->path == nullptr) continue;
    if (chosen == nullptr ||
        (info->usage_page >= kVendorUsagePageStart && chosen->usage_page < kVendorUsagePageStart)) {
      chosen = info;
    }
  }
  std::optional<std::string> path;
  if (chosen != nullptr) path = chosen->path;
  hid_free_enumeration(list);
  return path;
}

hid_device* OpenPath(std::mutex& hidapi_mutex, DeviceIds ids) {
  std::lock_guard lock(hidapi_mutex);
  const auto path = FindDevicePath(ids);
  return path ? hid_open_path(path->c_str()) : nullptr;
}

void ClosePath(std::mutex& hidapi_mutex, hid_device* handle) {
  std::lock_guard lock(hidapi_mutex);
  hid_close(handle);
}

class HidapiDevice final : public HidDevice {
 public:
  HidapiDevice(std::mutex& hidapi_mutex, hid_device* handle)
      : hidapi_mutex_(hidapi_mutex), handle_(handle) {}
  ~HidapiDevice() override { ClosePath(hidapi_mutex_, handle_); }

  bool SetFeature(std::span<const uint8_t> report) override {
    if (report.empty()) return false;
    return hid_send_feature_report(handle_, report.data(), report.size()) ==
           static_cast<int>(report.size());
  }

  int GetFeature(std::span<uint8_t> buffer) override {
    if (buffer.empty()) return 0;
    const int read = hid_get_feature_report(handle_, buffer.data(), buffer.size());
    return read > 0 ? read : 0;
  }

 private:
  std::mutex& hidapi_mutex_;
  hid_device* handle_;
};

class HidapiMonitor final : public DeviceMonitor {
 public:
  HidapiMonitor(std::mutex& hidapi_mutex, DeviceIds ids, MonitorSink sink)
      : hidapi_mutex_(hidapi_mutex), ids_(ids), sink_(std::move(sink)) {
    udev_ = udev_new();
    if (udev_ != nullptr) {
      udev_monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
      if (udev_monitor_ != nullptr &&
          (udev_monitor_filter_add_match_subsystem_devtype(udev_monitor_, "hidraw", nullptr) < 0 ||
           udev_monitor_enable_receiving(udev_monitor_) < 0)) {
        udev_monitor_ = udev_monitor_unref(udev_monitor_);
      }
    }
    Rescan(false);
    thread_ = std::thread([this] { Run(); });
  }

  ~HidapiMonitor() override {
    stop_.Raise();
    thread_.join();
    if (read_handle_ != nullptr) ClosePath(hidapi_mutex_, read_handle_);
    if (udev_monitor_ != nullptr) udev_monitor_unref(udev_monitor_);
    if (udev_ != nullptr) udev_unref(udev_);
  }

 private:
  void Run() {
    auto next_rescan = std::chrono::steady_clock::now() + kRescanInterval;
    while (!stop_.Raised()) {
      const auto now = std::chrono::steady_clock::now();
      const int wait_ms =
          read_handle_ != nullptr
              ? 0
              : static_cast<int>(std::max<int64_t>(
                    0, std::chrono::duration_cast<std::chrono::milliseconds>(next_rescan - now)
                           .count()));
      pollfd descriptors[2] = {
          {stop_.fd(), POLLIN, 0},
          {udev_monitor_ ? udev_monitor_get_fd(udev_monitor_) : -1, POLLIN, 0}};
      poll(descriptors, 2, wait_ms);
      if (stop_.Raised()) break;
      bool rescan = DrainUdevEvents();
      if (read_handle_ != nullptr) rescan |= ReadStatus();
      if (rescan || std::chrono::steady_clock::now() >= next_rescan) {
        Rescan(true);
        next_rescan = std::chrono::steady_clock::now() + kRescanInterval;
      }
    }
  }

  bool DrainUdevEvents() {
    bool any = false;
    while (udev_monitor_ != nullptr) {
      udev_device* device = udev_monitor_receive_device(udev_monitor_);
      if (device == nullptr) break;
      udev_device_unref(device);
      any = true;
    }
    return any;
  }

  // Reads one status report if one comes within a slice; true when the read
  // handle failed (the device is probably gone).
  bool ReadStatus() {
    uint8_t report[64];
    const int read = hid_read_timeout(read_handle_, report, sizeof(report), kReadSliceMs);
    if (read < 0) {
      ClosePath(hidapi_mutex_, read_handle_);
      read_handle_ = nullptr;
      return true;
    }
    if (const auto status = ParseStatusReport(std::span(report, static_cast<std::size_t>(read))))
      sink_.status(status->code, status->value);
    return false;
  }

  // Looks for the device; posts a change when `report` is set. Keeps a read
  // handle open while the device is there. A device that left and came back
  // between two looks has a new node: that is a removal and an arrival, so
  // the host reopens it.
  void Rescan(bool report) {
    std::optional<std::string> path;
    {
      std::lock_guard lock(hidapi_mutex_);
      path = FindDevicePath(ids_);
    }
    const bool replugged = path && path_ && *path != *path_;
    if ((!path || replugged) && read_handle_ != nullptr) {
      ClosePath(hidapi_mutex_, read_handle_);
      read_handle_ = nullptr;
    }
    if (path && read_handle_ == nullptr) read_handle_ = OpenPath(hidapi_mutex_, ids_);
    const bool was_present = path_.has_value();
    path_ = path;
    if (!report) return;
    if (replugged) {
      sink_.connection(false);
      sink_.connection(true);
    } else if (path_.has_value() != was_present) {
      sink_.connection(path_.has_value());
    }
  }

  std::mutex& hidapi_mutex_;
  DeviceIds ids_;
  MonitorSink sink_;
  udev* udev_ = nullptr;
  udev_monitor* udev_monitor_ = nullptr;
  hid_device* read_handle_ = nullptr;  // owned by the monitor thread once it runs
  std::optional<std::string> path_;    // where the device was found last
  StopSignal stop_;
  std::thread thread_;
};

class HidapiBackend final : public HidBackend {
 public:
  HidapiBackend() {
    std::lock_guard lock(hidapi_mutex_);
    hid_init();
  }
  ~HidapiBackend() override {
    std::lock_guard lock(hidapi_mutex_);
    hid_exit();
  }

  std::unique_ptr<HidDevice> Open(DeviceIds ids) override {
    hid_device* handle = OpenPath(hidapi_mutex_, ids);
    if (handle == nullptr) return nullptr;
    return std::make_unique<HidapiDevice>(hidapi_mutex_, handle);
  }

  std::unique_ptr<DeviceMonitor> StartMonitor(DeviceIds ids, MonitorSink sink) override {
    return std::make_unique<HidapiMonitor>(hidapi_mutex_, ids, std::move(sink));
  }

 private:
  std::mutex hidapi_mutex_;
};

}  // namespace

std::unique_ptr<HidBackend> MakeHidapiBackend() {
  return std::make_unique<HidapiBackend>();
}

}  // namespace vexel::hiddriver
