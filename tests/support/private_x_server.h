// A private Xvfb for tests that change the keyboard or inject input, so that
// nothing else running on the session's display is disturbed.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace vexel::testing {

inline pid_t Spawn(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  return posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 ? pid : -1;
}

inline bool RunToSuccess(std::vector<std::string> args) {
  const pid_t pid = Spawn(std::move(args));
  int status = 0;
  return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

// Xvfb on a display number it picks itself (-displayfd), stopped at the end.
class PrivateXServer {
 public:
  static constexpr int kStartTimeoutMs = 20000;

  explicit PrivateXServer(const std::string& screen = "320x200x24") {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return;
    const int write_fd = fcntl(fds[1], F_DUPFD, 3);  // a copy without O_CLOEXEC for Xvfb
    close(fds[1]);
    pid_ = Spawn({"Xvfb", "-displayfd", std::to_string(write_fd), "-nolisten", "tcp", "-screen",
                  "0", screen});
    close(write_fd);
    std::string number;
    pollfd readable{fds[0], POLLIN, 0};
    char c = 0;
    while (pid_ > 0 && poll(&readable, 1, kStartTimeoutMs) == 1 && read(fds[0], &c, 1) == 1 &&
           c != '\n') {
      number += c;
    }
    close(fds[0]);
    if (!number.empty()) display_ = ":" + number;
  }

  ~PrivateXServer() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }

  PrivateXServer(const PrivateXServer&) = delete;
  PrivateXServer& operator=(const PrivateXServer&) = delete;

  // Empty when the server did not come up.
  const std::string& display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

}  // namespace vexel::testing
