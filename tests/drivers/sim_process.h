// Runs the real vexel-mouse-sim from the program folder on a socket in a
// fresh temporary folder, and its `ctl` command.
#pragma once

#include <unistd.h>

#include <memory>
#include <string>

#include "support/run_command.h"
#include "virtual_mouse_wire.h"

namespace vexel::test {

class SimProcess {
 public:
  // `bluetooth`: also on the bus of DBUS_SYSTEM_BUS_ADDRESS (serve --ble).
  explicit SimProcess(bool bluetooth = false) : bluetooth_(bluetooth) { Start(); }
  ~SimProcess() { Stop(); }

  // Starts a fresh virtual mouse on the same socket; ready() tells whether it answers.
  void Start() {
    std::vector<std::string> args = {Program(), "serve", "--socket", socket()};
    if (bluetooth_) args.push_back("--ble");
    // Neither output stays on the test's pipes: should the test die without
    // ending the sim, CTest must not wait for the sim's output too.
    process_ = std::make_unique<testing::ChildProcess>(args, "/dev/null", "/dev/null");
    ready_ = testing::WaitFor([&] {
               const int fd = wire::ConnectUnix(socket());
               if (fd >= 0) close(fd);
               return fd >= 0 || !process_->Running();
             }) &&
             process_->Running();
  }
  void Stop() {
    process_.reset();
    ready_ = false;
  }

  bool ready() const { return ready_; }
  std::string socket() const { return folder_ / "mouse.sock"; }

  // Runs `vexel-mouse-sim ctl --socket S <command>`; what it said.
  std::string Ctl(const std::string& command) const {
    const auto result =
        testing::RunCommand(Program() + " ctl --socket " + socket() + " " + command);
    return result.out + result.err;
  }

 private:
  static std::string Program() { return std::string(VEXEL_BIN_DIR) + "/vexel-mouse-sim"; }

  bool bluetooth_ = false;
  testing::TempDir folder_;
  std::unique_ptr<testing::ChildProcess> process_;
  bool ready_ = false;
};

}  // namespace vexel::test
