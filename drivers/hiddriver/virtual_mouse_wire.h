// Framing between the driver libraries (and `vexel-mouse-sim ctl`) and the
// virtual mouse on its Unix stream socket. Every message is
//   u32 little-endian length of what follows, u8 type, body.
// README.md beside this file lists the types and bodies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vexel::wire {

enum class MessageType : uint8_t {
  kHello = 0x01,       // role u8, vendor id u16, product id u16
  kSetFeature = 0x02,  // the report bytes
  kGetFeature = 0x03,  // report id u8, buffer length u16
  kControl = 0x04,     // a control command line, words separated by spaces
  kReply = 0x80,       // ok u8, then data
  kConnection = 0x81,  // present u8 (1 arrival, 0 removal)
  kStatus = 0x82,      // code u16, value u16
};

enum class Role : uint8_t { kMonitor = 1, kDevice = 2, kControl = 3 };

struct Message {
  MessageType type = MessageType::kReply;
  std::vector<uint8_t> body;
};

// Messages longer than this are refused as damaged (a state dump is far smaller).
inline constexpr uint32_t kMaxMessageLength = 16u << 20;

std::vector<uint8_t> Encode(const Message& message);

Message Hello(Role role, uint16_t vendor_id, uint16_t product_id);
Message Reply(bool ok, std::span<const uint8_t> data = {});
Message Reply(bool ok, const std::string& text);
Message Connection(bool present);
Message Status(uint16_t code, uint16_t value);

struct HelloBody {
  Role role;
  uint16_t vendor_id;
  uint16_t product_id;
};
std::optional<HelloBody> ParseHello(const Message& message);
// ok flag of a reply; std::nullopt when the message is not a well-formed reply.
std::optional<bool> ReplyOk(const Message& message);
std::span<const uint8_t> ReplyData(const Message& message);
struct StatusBody {
  uint16_t code;
  uint16_t value;
};
std::optional<StatusBody> ParseStatus(const Message& message);

uint16_t ReadU16(std::span<const uint8_t> bytes, std::size_t offset);

// Collects bytes from a stream and cuts them into messages.
class FrameReader {
 public:
  void Append(std::span<const uint8_t> bytes);
  // The next complete message, if any. After a damaged frame (length 0 or over
  // the limit) Broken() is true and nothing more is returned.
  std::optional<Message> Next();
  bool Broken() const { return broken_; }

 private:
  std::vector<uint8_t> buffer_;
  bool broken_ = false;
};

// Blocking socket helpers. Every call retries on EINTR and never raises SIGPIPE.
int ConnectUnix(const std::string& path);  // -1 on failure
bool WriteMessage(int fd, const Message& message);
// Waits up to timeout_ms for the next message; std::nullopt on time-out, end of
// stream or a damaged frame. `reader` keeps bytes that arrived early.
std::optional<Message> ReadMessage(int fd, FrameReader& reader, int timeout_ms);

}  // namespace vexel::wire
