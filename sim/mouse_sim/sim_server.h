// Serves one FirmwareModel on a Unix stream socket to the two driver libraries
// and to control clients, in a single thread.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "firmware/firmware_model.h"
#include "virtual_mouse_wire.h"

namespace vexel::sim {

class SimServer {
 public:
  SimServer(FirmwareModel& model, const Clock& clock) : model_(model), clock_(clock) {}
  ~SimServer();

  // Binds `path`, replacing a stale socket file; false with `error` when
  // another server answers there or binding fails.
  bool Listen(const std::string& path, std::string& error);
  // Serves until `stop_fd` becomes readable.
  void Run(int stop_fd);

 private:
  struct Client {
    int fd = -1;
    wire::FrameReader reader;
    std::optional<wire::Role> role;
    std::optional<Link> link;
    bool stale = false;  // a device handle whose device was unplugged since
  };

  void Accept();
  // False when the client must be dropped.
  bool Serve(Client& client);
  bool Handle(Client& client, const wire::Message& message);
  bool HandleHello(Client& client, const wire::Message& message);
  bool HandleControl(Client& client, const wire::Message& message);
  wire::Message GetFeatureReply(const wire::Message& message) const;
  void Deliver();
  int PollTimeoutMs() const;

  FirmwareModel& model_;
  const Clock& clock_;
  std::string path_;
  int listen_fd_ = -1;
  std::vector<Client> clients_;
};

}  // namespace vexel::sim
