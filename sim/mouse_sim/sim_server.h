// Serves one FirmwareModel on a Unix stream socket to the two driver libraries
// and to control clients, in a single thread; with Bluetooth attached, values
// written over the bus (on the peripheral's thread) reach the same model.
#pragma once

#include <poll.h>

#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "bluez_peripheral.h"
#include "firmware/firmware_model.h"
#include "virtual_mouse_wire.h"

namespace vexel::sim {

class SimServer {
 public:
  SimServer(FirmwareModel& model, const Clock& clock);
  ~SimServer();

  // The mouse's Bluetooth side: connection changes and status reports over
  // Bluetooth go to `peripheral` (which must outlive Run). Before Run.
  void AttachBluetooth(BluezPeripheral* peripheral) { bluetooth_ = peripheral; }
  // A value written to the report characteristic; any thread. False when the
  // mouse refused it.
  bool ReceiveBle(std::span<const uint8_t> value);

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

  // One round of work after poll, under model_mutex_.
  void ServeRound(const std::vector<pollfd>& descriptors, int ready, std::size_t first_client);
  void Accept();
  // False when the client must be dropped.
  bool Serve(Client& client);
  bool Handle(Client& client, const wire::Message& message);
  bool HandleHello(Client& client, const wire::Message& message);
  bool HandleControl(Client& client, const wire::Message& message);
  wire::Message GetFeatureReply(const wire::Message& message) const;
  // Passes the model's emissions on; Bluetooth ones wait in ble_pending_.
  void Deliver();
  // Sends what waits for Bluetooth; never with model_mutex_ held, since the
  // peripheral's thread takes it for every written value.
  void FlushBluetooth();
  int PollTimeoutMs() const;

  std::mutex model_mutex_;  // the model, between the server and the bus thread
  FirmwareModel& model_;
  const Clock& clock_;
  int wake_fd_ = -1;  // an eventfd: a written value produced emissions
  BluezPeripheral* bluetooth_ = nullptr;
  std::vector<Emission> ble_pending_;  // server thread only
  std::string path_;
  int listen_fd_ = -1;
  std::vector<Client> clients_;
};

}  // namespace vexel::sim
