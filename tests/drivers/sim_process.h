// Runs the real vexel-mouse-sim from the program folder on a socket in a
// fresh temporary folder, and its `ctl` command.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "virtual_mouse_wire.h"

extern char** environ;

namespace vexel::test {

class SimProcess {
 public:
  // `bluetooth`: also on the bus of DBUS_SYSTEM_BUS_ADDRESS (serve --ble).
  explicit SimProcess(bool bluetooth = false) : bluetooth_(bluetooth) {
    char pattern[] = "/tmp/vexel-sim-XXXXXX";
    folder_ = mkdtemp(pattern);
    socket_ = folder_ + "/mouse.sock";
    Start();
  }

  ~SimProcess() {
    Stop();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  // Starts a fresh virtual mouse on the same socket; ready() tells whether it answers.
  void Start() {
    const std::string program = Program();
    const char* argv[] = {
        program.c_str(), "serve", "--socket", socket_.c_str(), bluetooth_ ? "--ble" : nullptr,
        nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // Neither output stays open on the test's pipes: should the test die
    // without ending the sim, CTest must not wait for the sim's output too.
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, const_cast<char**>(argv), environ) !=
        0) {
      pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    ready_ = false;
    for (int attempt = 0; pid_ > 0 && attempt < 500; ++attempt) {
      const int fd = wire::ConnectUnix(socket_);
      if (fd >= 0) {
        close(fd);
        ready_ = true;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

  void Stop() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
    ready_ = false;
  }

  bool ready() const { return ready_; }
  const std::string& socket() const { return socket_; }

  // Runs `vexel-mouse-sim ctl --socket S <command>`; returns its standard output.
  std::string Ctl(const std::string& command, int* exit_status = nullptr) const {
    const std::string line = Program() + " ctl --socket " + socket_ + " " + command + " 2>&1";
    FILE* pipe = popen(line.c_str(), "r");
    std::string output;
    std::array<char, 4096> buffer;
    for (std::size_t n; pipe && (n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
      output.append(buffer.data(), n);
    const int status = pipe ? pclose(pipe) : -1;
    if (exit_status) *exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return output;
  }

 private:
  static std::string Program() { return std::string(VEXEL_BIN_DIR) + "/vexel-mouse-sim"; }

  bool bluetooth_ = false;
  std::string folder_;
  std::string socket_;
  pid_t pid_ = -1;
  bool ready_ = false;
};

}  // namespace vexel::test
