// Back-end for the virtual mouse: every device handle and every monitor is its
// own connection to vexel-mouse-sim, so replies and pushed events never mix.
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

#include "hid_backend.h"
#include "stop_signal.h"
#include "virtual_mouse_wire.h"

namespace vexel::hiddriver {
namespace {

constexpr int kReplyTimeoutMs = 2000;
constexpr int kReconnectPauseMs = 200;

// Connects and introduces itself; returns the socket and the reply, or -1.
int Introduce(const std::string& path, wire::Role role, DeviceIds ids, wire::FrameReader& reader,
              wire::Message& reply) {
  const int fd = wire::ConnectUnix(path);
  if (fd < 0) return -1;
  if (wire::WriteMessage(fd, wire::Hello(role, ids.vendor_id, ids.product_id))) {
    if (auto message = wire::ReadMessage(fd, reader, kReplyTimeoutMs)) {
      if (wire::ReplyOk(*message)) {
        reply = std::move(*message);
        return fd;
      }
    }
  }
  close(fd);
  return -1;
}

class VirtualDevice final : public HidDevice {
 public:
  VirtualDevice(int fd, wire::FrameReader reader) : fd_(fd), reader_(std::move(reader)) {}
  ~VirtualDevice() override { Drop(); }

  bool SetFeature(std::span<const uint8_t> report) override {
    const auto reply = Ask(wire::Message{wire::MessageType::kSetFeature,
                                         std::vector<uint8_t>(report.begin(), report.end())});
    return reply && wire::ReplyOk(*reply).value_or(false);
  }

  int GetFeature(std::span<uint8_t> buffer) override {
    if (buffer.empty()) return 0;
    const uint16_t length = static_cast<uint16_t>(std::min<std::size_t>(buffer.size(), 0xFFFF));
    const auto reply = Ask(wire::Message{
        wire::MessageType::kGetFeature,
        {buffer[0], static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8)}});
    if (!reply || !wire::ReplyOk(*reply).value_or(false)) return 0;
    const auto data = wire::ReplyData(*reply);
    const std::size_t count = std::min(data.size(), buffer.size());
    std::copy_n(data.begin(), count, buffer.begin());
    return static_cast<int>(count);
  }

 private:
  std::optional<wire::Message> Ask(const wire::Message& request) {
    if (fd_ < 0) return std::nullopt;
    std::optional<wire::Message> reply;
    if (wire::WriteMessage(fd_, request)) reply = wire::ReadMessage(fd_, reader_, kReplyTimeoutMs);
    // A lost answer leaves the stream out of step: this handle is finished.
    if (!reply || reply->type != wire::MessageType::kReply) {
      Drop();
      return std::nullopt;
    }
    return reply;
  }

  void Drop() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

  int fd_;
  wire::FrameReader reader_;
};

class VirtualMonitor final : public DeviceMonitor {
 public:
  // Connects once before returning, so the state at start is known and only
  // later changes are posted.
  VirtualMonitor(std::string path, DeviceIds ids, MonitorSink sink)
      : path_(std::move(path)), ids_(ids), sink_(std::move(sink)) {
    int fd = Connect(false);
    thread_ = std::thread([this, fd]() mutable {
      while (!stop_.Raised()) {
        if (fd >= 0) {
          Listen(fd);
          close(fd);
          SetPresent(false);  // the virtual mouse went away
        }
        if (stop_.WaitFor(kReconnectPauseMs)) break;
        fd = Connect(true);
      }
    });
  }

  ~VirtualMonitor() override {
    stop_.Raise();
    thread_.join();
  }

 private:
  // The monitor's connection, or -1; takes the presence it reports, posting a
  // change when `report` is set.
  int Connect(bool report) {
    reader_ = wire::FrameReader();
    wire::Message reply;
    const int fd = Introduce(path_, wire::Role::kMonitor, ids_, reader_, reply);
    if (fd < 0) return -1;
    const auto data = wire::ReplyData(reply);
    const bool present = !data.empty() && data[0] != 0;
    if (report) {
      SetPresent(present);
    } else {
      present_ = present;
    }
    return fd;
  }

  // Passes on what arrives until the connection ends or the monitor stops.
  void Listen(int fd) {
    while (!stop_.Raised()) {
      while (auto message = reader_.Next()) Dispatch(*message);
      if (reader_.Broken()) return;
      pollfd descriptors[2] = {{fd, POLLIN, 0}, {stop_.fd(), POLLIN, 0}};
      if (poll(descriptors, 2, -1) < 0) continue;
      if (stop_.Raised()) return;
      uint8_t chunk[4096];
      const ssize_t n = read(fd, chunk, sizeof(chunk));
      if (n <= 0) return;
      reader_.Append(std::span(chunk, static_cast<std::size_t>(n)));
    }
  }

  void Dispatch(const wire::Message& message) {
    if (message.type == wire::MessageType::kConnection && message.body.size() == 1) {
      SetPresent(message.body[0] != 0);
    } else if (auto status = wire::ParseStatus(message)) {
      sink_.status(status->code, status->value);
    }
  }

  void SetPresent(bool present) {
    if (present == present_) return;
    present_ = present;
    sink_.connection(present);
  }

  std::string path_;
  DeviceIds ids_;
  MonitorSink sink_;
  wire::FrameReader reader_;
  bool present_ = false;
  StopSignal stop_;
  std::thread thread_;
};

class VirtualBackend final : public HidBackend {
 public:
  explicit VirtualBackend(std::string path) : path_(std::move(path)) {}

  std::unique_ptr<HidDevice> Open(DeviceIds ids) override {
    wire::FrameReader reader;
    wire::Message reply;
    const int fd = Introduce(path_, wire::Role::kDevice, ids, reader, reply);
    if (fd < 0) return nullptr;
    if (!wire::ReplyOk(reply).value_or(false)) {
      close(fd);
      return nullptr;
    }
    return std::make_unique<VirtualDevice>(fd, std::move(reader));
  }

  std::unique_ptr<DeviceMonitor> StartMonitor(DeviceIds ids, MonitorSink sink) override {
    return std::make_unique<VirtualMonitor>(path_, ids, std::move(sink));
  }

 private:
  std::string path_;
};

}  // namespace

std::unique_ptr<HidBackend> MakeVirtualBackend(std::string socket_path) {
  return std::make_unique<VirtualBackend>(std::move(socket_path));
}

}  // namespace vexel::hiddriver
