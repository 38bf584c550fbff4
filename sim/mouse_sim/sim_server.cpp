#include "sim_server.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <sstream>
#include <utility>

#include "firmware/control_command.h"
#include "protocol/device_ids.h"

namespace vexel::sim {
namespace {

// A client that stops reading must not stall the mouse for long.
constexpr timeval kSendTimeout{1, 0};

std::optional<Link> LinkFor(uint16_t vendor_id, uint16_t product_id) {
  const protocol::DeviceId id{vendor_id, product_id};
  if (id == protocol::kWiredDeviceId) return Link::kWired;
  if (id == protocol::kWirelessDeviceId) return Link::kWireless;
  return std::nullopt;
}

std::vector<std::string> SplitWords(std::span<const uint8_t> body) {
  std::istringstream stream(std::string(body.begin(), body.end()));
  std::vector<std::string> words;
  for (std::string word; stream >> word;) words.push_back(word);
  return words;
}

}  // namespace

SimServer::SimServer(FirmwareModel& model, const Clock& clock)
    : model_(model), clock_(clock), wake_fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

bool SimServer::ReceiveBle(std::span<const uint8_t> value) {
  bool accepted = false;
  {
    std::lock_guard lock(model_mutex_);
    accepted = model_.ReceiveBle(value);
  }
  // The acknowledgement goes out from the server thread.
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t ignored = write(wake_fd_, &one, sizeof(one));
  return accepted;
}

SimServer::~SimServer() {
  if (wake_fd_ >= 0) close(wake_fd_);
  for (Client& client : clients_) close(client.fd);
  if (listen_fd_ >= 0) {
    close(listen_fd_);
    unlink(path_.c_str());
  }
}

bool SimServer::Listen(const std::string& path, std::string& error) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof(address.sun_path)) {
    error = "socket path too long";
    return false;
  }
  const int probe = wire::ConnectUnix(path);
  if (probe >= 0) {
    close(probe);
    error = "another virtual mouse serves " + path;
    return false;
  }
  unlink(path.c_str());  // a stale socket file from a server that died
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  listen_fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listen_fd_ < 0 ||
      bind(listen_fd_, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) < 0 ||
      listen(listen_fd_, 16) < 0) {
    error = std::string("cannot listen on ") + path + ": " + std::strerror(errno);
    if (listen_fd_ >= 0) close(listen_fd_);
    listen_fd_ = -1;
    return false;
  }
  path_ = path;
  return true;
}

void SimServer::Run(int stop_fd) {
  constexpr std::size_t kFirstClient = 3;
  for (;;) {
    std::vector<pollfd> descriptors = {
        {stop_fd, POLLIN, 0}, {listen_fd_, POLLIN, 0}, {wake_fd_, POLLIN, 0}};
    for (const Client& client : clients_) descriptors.push_back({client.fd, POLLIN, 0});
    int timeout_ms = 0;
    {
      std::lock_guard lock(model_mutex_);
      timeout_ms = PollTimeoutMs();
    }
    const int ready = poll(descriptors.data(), descriptors.size(), timeout_ms);
    if (ready < 0 && errno != EINTR) return;
    if (descriptors[0].revents != 0) return;
    if (descriptors[2].revents != 0) {
      uint64_t count = 0;
      [[maybe_unused]] const ssize_t ignored = read(wake_fd_, &count, sizeof(count));
    }
    ServeRound(descriptors, ready, kFirstClient);
    FlushBluetooth();
  }
}

void SimServer::ServeRound(const std::vector<pollfd>& descriptors, int ready,
                           std::size_t first_client) {
  std::lock_guard lock(model_mutex_);
  model_.Tick();
  Deliver();
  if (ready <= 0) return;
  // Serve the clients that were polled; accepted ones join on the next round.
  std::vector<int> dropped;
  for (std::size_t i = first_client; i < descriptors.size(); ++i) {
    if (descriptors[i].revents == 0) continue;
    auto client = std::find_if(clients_.begin(), clients_.end(),
                               [fd = descriptors[i].fd](const Client& c) { return c.fd == fd; });
    if (client != clients_.end() && !Serve(*client)) dropped.push_back(client->fd);
  }
  std::erase_if(clients_, [&dropped](const Client& client) {
    const bool drop = std::find(dropped.begin(), dropped.end(), client.fd) != dropped.end();
    if (drop) close(client.fd);
    return drop;
  });
  if (descriptors[1].revents != 0) Accept();
}

int SimServer::PollTimeoutMs() const {
  const auto until = (model_.NextTick() - clock_.Now()).count();
  return static_cast<int>(std::clamp<int64_t>(until, 0, 1000));
}

void SimServer::Accept() {
  const int fd = accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
  if (fd < 0) return;
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &kSendTimeout, sizeof(kSendTimeout));
  Client client;
  client.fd = fd;
  clients_.push_back(std::move(client));
}

bool SimServer::Serve(Client& client) {
  uint8_t chunk[4096];
  const ssize_t n = read(client.fd, chunk, sizeof(chunk));
  if (n <= 0) return false;
  client.reader.Append(std::span(chunk, static_cast<std::size_t>(n)));
  while (auto message = client.reader.Next()) {
    const bool keep = Handle(client, *message);
    Deliver();
    if (!keep) return false;
  }
  return !client.reader.Broken();
}

bool SimServer::Handle(Client& client, const wire::Message& message) {
  if (!client.role) return HandleHello(client, message);
  if (*client.role == wire::Role::kControl) return HandleControl(client, message);
  if (*client.role != wire::Role::kDevice) return false;  // monitors only listen
  if (message.type == wire::MessageType::kSetFeature) {
    const bool ok = !client.stale && model_.Receive(*client.link, message.body);
    return wire::WriteMessage(client.fd, wire::Reply(ok));
  }
  if (message.type == wire::MessageType::kGetFeature) {
    return wire::WriteMessage(client.fd, GetFeatureReply(message));
  }
  return false;
}

bool SimServer::HandleHello(Client& client, const wire::Message& message) {
  const auto hello = wire::ParseHello(message);
  if (!hello) return false;
  client.role = hello->role;
  client.link = LinkFor(hello->vendor_id, hello->product_id);
  const bool present = client.link && model_.IsPresent(*client.link);
  switch (hello->role) {
    case wire::Role::kMonitor: {
      const uint8_t state = present ? 1 : 0;
      return wire::WriteMessage(client.fd, wire::Reply(true, std::span(&state, 1)));
    }
    case wire::Role::kDevice:
      // Opening a device that is not there fails, as it would on hidraw.
      return wire::WriteMessage(client.fd, wire::Reply(present)) && present;
    case wire::Role::kControl:
      return wire::WriteMessage(client.fd, wire::Reply(true));
  }
  return false;
}

bool SimServer::HandleControl(Client& client, const wire::Message& message) {
  if (message.type != wire::MessageType::kControl) return false;
  const auto words = SplitWords(message.body);
  const ControlResult result = ApplyControlCommand(model_, words);
  return wire::WriteMessage(client.fd, wire::Reply(result.ok, result.text));
}

wire::Message SimServer::GetFeatureReply(const wire::Message& message) const {
  if (message.body.size() != 3) return wire::Reply(false);
  const auto report = model_.CurrentReport(message.body[0]);
  if (!report) return wire::Reply(false);
  const std::size_t length = std::min<std::size_t>(report->size(), wire::ReadU16(message.body, 1));
  return wire::Reply(true, std::span(report->data(), length));
}

// Passes what the model produced to the monitors of each link.
void SimServer::Deliver() {
  for (const Emission& emission : model_.TakeEmissions()) {
    const bool over_bluetooth =
        std::visit([](const auto& e) { return e.link == Link::kBle; }, emission);
    if (over_bluetooth) {
      if (bluetooth_ != nullptr) ble_pending_.push_back(emission);
      continue;
    }
    Link link;
    wire::Message message;
    if (const auto* change = std::get_if<ConnectionChange>(&emission)) {
      link = change->link;
      message = wire::Connection(change->present);
      if (!change->present) {
        for (Client& client : clients_) {
          if (client.role == wire::Role::kDevice && client.link == link) client.stale = true;
        }
      }
    } else {
      const auto& status = std::get<StatusReport>(emission);
      link = status.link;
      message = wire::Status(status.code, status.value);
    }
    for (Client& client : clients_) {
      // A monitor that cannot take it is dropped on its next read.
      if (client.role == wire::Role::kMonitor && client.link == link &&
          !wire::WriteMessage(client.fd, message)) {
        shutdown(client.fd, SHUT_RDWR);
      }
    }
  }
}

void SimServer::FlushBluetooth() {
  for (const Emission& emission : std::exchange(ble_pending_, {})) {
    if (const auto* change = std::get_if<ConnectionChange>(&emission)) {
      bluetooth_->SetConnected(change->present);
    } else {
      // 0xFEE4 values: code, then value, both little-endian.
      const auto& status = std::get<StatusReport>(emission);
      const uint8_t value[] = {
          static_cast<uint8_t>(status.code), static_cast<uint8_t>(status.code >> 8),
          static_cast<uint8_t>(status.value), static_cast<uint8_t>(status.value >> 8)};
      bluetooth_->Notify(value);
    }
  }
}

}  // namespace vexel::sim
