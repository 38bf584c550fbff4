// vexel-mouse-sim: the virtual mouse, reachable through both driver libraries
// and, with --ble, as a Bluetooth device on the bus named by
// DBUS_SYSTEM_BUS_ADDRESS.
//   vexel-mouse-sim serve --socket PATH [--ble]
//   vexel-mouse-sim ctl [--socket PATH] COMMAND [ARGS...]
// Without --socket, ctl uses $VEXEL_VIRTUAL_MOUSE, as the driver libraries do.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "firmware/control_command.h"
#include "sim_server.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;
constexpr int kControlReplyTimeoutMs = 10000;

int stop_pipe[2] = {-1, -1};

void OnStopSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t ignored = write(stop_pipe[1], &byte, 1);
}

int Usage(std::ostream& out, int status) {
  out << "usage: vexel-mouse-sim serve --socket PATH [--ble]\n"
         "       vexel-mouse-sim ctl [--socket PATH] COMMAND\n"
         "commands:\n"
      << vexel::sim::kControlUsage;
  return status;
}

// Takes "--socket PATH" out of args.
std::optional<std::string> TakeSocket(std::vector<std::string>& args) {
  for (std::size_t i = 0; i + 1 < args.size(); ++i) {
    if (args[i] == "--socket") {
      std::string path = args[i + 1];
      args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                 args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
      return path;
    }
  }
  const char* from_environment = std::getenv("VEXEL_VIRTUAL_MOUSE");
  if (from_environment != nullptr && from_environment[0] != '\0') return from_environment;
  return std::nullopt;
}

// Takes "--ble" out of args.
bool TakeBle(std::vector<std::string>& args) {
  const auto found = std::find(args.begin(), args.end(), "--ble");
  if (found == args.end()) return false;
  args.erase(found);
  return true;
}

int Serve(const std::string& path, bool ble) {
  // Publishing on the machine's own system bus would pose as a real device
  // to every program there: only a bus named on purpose is used.
  const char* bus = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
  if (ble && (bus == nullptr || bus[0] == '\0')) {
    std::cerr << "vexel-mouse-sim: --ble needs DBUS_SYSTEM_BUS_ADDRESS naming a private bus "
                 "(for example one started with dbus-daemon --session --print-address)\n";
    return kExitUsage;
  }
  if (pipe2(stop_pipe, O_CLOEXEC) < 0) return kExitRefused;
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);

  vexel::SteadyClock clock;
  vexel::sim::FirmwareModel model(clock);
  vexel::sim::SimServer server(model, clock);
  std::string error;
  if (!server.Listen(path, error)) {
    std::cerr << "vexel-mouse-sim: " << error << "\n";
    return kExitRefused;
  }
  std::optional<vexel::sim::BluezPeripheral> bluetooth;
  if (ble) {
    // Connected in the model now; on the bus once the server passes it on.
    model.OfferBluetooth();
    model.Plug(vexel::sim::Link::kBle);
    bluetooth.emplace(
        [&server](std::span<const uint8_t> value) { return server.ReceiveBle(value); });
    if (!bluetooth->Start(error)) {
      std::cerr << "vexel-mouse-sim: " << error << "\n";
      return kExitRefused;
    }
    server.AttachBluetooth(&*bluetooth);
    std::cout << "vexel-mouse-sim: on Bluetooth as " << vexel::sim::kBleMouseAddress << std::endl;
  }
  std::cout << "vexel-mouse-sim: serving on " << path << std::endl;
  server.Run(stop_pipe[0]);
  // The peripheral's thread may be inside ReceiveBle: it stops before the server goes.
  bluetooth.reset();
  return kExitOk;
}

int Control(const std::string& path, const std::vector<std::string>& words) {
  namespace wire = vexel::wire;
  const int fd = wire::ConnectUnix(path);
  if (fd < 0) {
    std::cerr << "vexel-mouse-sim: no virtual mouse at " << path << "\n";
    return kExitUsage;
  }
  std::string line;
  for (const std::string& word : words) line += (line.empty() ? "" : " ") + word;
  wire::FrameReader reader;
  std::optional<wire::Message> reply;
  if (wire::WriteMessage(fd, wire::Hello(wire::Role::kControl, 0, 0)) &&
      wire::ReadMessage(fd, reader, kControlReplyTimeoutMs) &&
      wire::WriteMessage(fd, wire::Message{wire::MessageType::kControl,
                                           std::vector<uint8_t>(line.begin(), line.end())})) {
    reply = wire::ReadMessage(fd, reader, kControlReplyTimeoutMs);
  }
  close(fd);
  const auto ok = reply ? wire::ReplyOk(*reply) : std::nullopt;
  if (!ok) {
    std::cerr << "vexel-mouse-sim: the virtual mouse did not answer\n";
    return kExitRefused;
  }
  const auto data = wire::ReplyData(*reply);
  (*ok ? std::cout : std::cerr) << std::string(data.begin(), data.end()) << "\n";
  return *ok ? kExitOk : kExitRefused;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage(std::cerr, kExitUsage);
  const std::string mode = args[0];
  args.erase(args.begin());
  if (mode == "--help" || mode == "-h" || mode == "help") return Usage(std::cout, kExitOk);
  const auto socket_path = TakeSocket(args);
  if (!socket_path) {
    std::cerr << "vexel-mouse-sim: --socket PATH is missing\n";
    return Usage(std::cerr, kExitUsage);
  }
  const bool ble = mode == "serve" && TakeBle(args);
  if (mode == "serve" && args.empty()) return Serve(*socket_path, ble);
  if (mode == "ctl" && !args.empty()) return Control(*socket_path, args);
  return Usage(std::cerr, kExitUsage);
}
