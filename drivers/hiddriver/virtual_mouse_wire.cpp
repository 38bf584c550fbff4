#include "virtual_mouse_wire.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace vexel::wire {
namespace {

void PutU16(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

uint32_t ReadU32(std::span<const uint8_t> bytes) {
  return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

}  // namespace

uint16_t ReadU16(std::span<const uint8_t> bytes, std::size_t offset) {
  return static_cast<uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

std::vector<uint8_t> Encode(const Message& message) {
  const uint32_t length = static_cast<uint32_t>(message.body.size() + 1);
  std::vector<uint8_t> out;
  out.reserve(length + 4);
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(length >> shift));
  out.push_back(static_cast<uint8_t>(message.type));
  out.insert(out.end(), message.body.begin(), message.body.end());
  return out;
}

Message Hello(Role role, uint16_t vendor_id, uint16_t product_id) {
  Message message{MessageType::kHello, {static_cast<uint8_t>(role)}};
  PutU16(message.body, vendor_id);
  PutU16(message.body, product_id);
  return message;
}

Message Reply(bool ok, std::span<const uint8_t> data) {
  Message message{MessageType::kReply, {static_cast<uint8_t>(ok ? 1 : 0)}};
  message.body.insert(message.body.end(), data.begin(), data.end());
  return message;
}

Message Reply(bool ok, const std::string& text) {
  return Reply(ok, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

Message Connection(bool present) {
  return Message{MessageType::kConnection, {static_cast<uint8_t>(present ? 1 : 0)}};
}

Message Status(uint16_t code, uint16_t value) {
  Message message{MessageType::kStatus, {}};
  PutU16(message.body, code);
  PutU16(message.body, value);
  return message;
}

std::optional<HelloBody> ParseHello(const Message& message) {
  if (message.type != MessageType::kHello || message.body.size() != 5) return std::nullopt;
  const uint8_t role = message.body[0];
  if (role < static_cast<uint8_t>(Role::kMonitor) || role > static_cast<uint8_t>(Role::kControl))
    return std::nullopt;
  return HelloBody{static_cast<Role>(role), ReadU16(message.body, 1), ReadU16(message.body, 3)};
}

std::optional<bool> ReplyOk(const Message& message) {
  if (message.type != MessageType::kReply || message.body.empty()) return std::nullopt;
  return message.body[0] != 0;
}

std::span<const uint8_t> ReplyData(const Message& message) {
  if (message.body.empty()) return {};
  return std::span(message.body).subspan(1);
}

std::optional<StatusBody> ParseStatus(const Message& message) {
  if (message.type != MessageType::kStatus || message.body.size() != 4) return std::nullopt;
  return StatusBody{ReadU16(message.body, 0), ReadU16(message.body, 2)};
}

void FrameReader::Append(std::span<const uint8_t> bytes) {
  if (!broken_) buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
}

std::optional<Message> FrameReader::Next() {
  if (broken_ || buffer_.size() < 4) return std::nullopt;
  const uint32_t length = ReadU32(buffer_);
  if (length == 0 || length > kMaxMessageLength) {
    broken_ = true;
    buffer_.clear();
    return std::nullopt;
  }
  if (buffer_.size() < 4 + static_cast<std::size_t>(length)) return std::nullopt;
  Message message{static_cast<MessageType>(buffer_[4]),
                  std::vector<uint8_t>(buffer_.begin() + 5, buffer_.begin() + 4 + length)};
  buffer_.erase(buffer_.begin(), buffer_.begin() + 4 + length);
  return message;
}

int ConnectUnix(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof(address.sun_path)) return -1;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  int result;
  do {
    result = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
  } while (result < 0 && errno == EINTR);
  if (result < 0) {
    close(fd);
    return -1;
  }
  return fd;
}

bool WriteMessage(int fd, const Message& message) {
  const std::vector<uint8_t> bytes = Encode(message);
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

std::optional<Message> ReadMessage(int fd, FrameReader& reader, int timeout_ms) {
  using std::chrono::steady_clock;
  const auto deadline = steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    if (auto message = reader.Next()) return message;
    if (reader.Broken()) return std::nullopt;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - steady_clock::now());
    if (left.count() <= 0) return std::nullopt;
    pollfd descriptor{fd, POLLIN, 0};
    const int ready = poll(&descriptor, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return std::nullopt;
    uint8_t chunk[4096];
    const ssize_t n = recv(fd, chunk, sizeof(chunk), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return std::nullopt;
    reader.Append(std::span(chunk, static_cast<std::size_t>(n)));
  }
}

}  // namespace vexel::wire
