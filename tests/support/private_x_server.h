// A private Xvfb for tests that change the keyboard or inject input, so that
// nothing else running on the session's display is disturbed.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

#include "support/run_command.h"

namespace vexel::testing {

inline bool RunToSuccess(std::vector<std::string> args) {
  return ChildProcess(std::move(args)).Stop(0) == 0;
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
    xvfb_.emplace(std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(write_fd),
                                           "-nolisten", "tcp", "-screen", "0", screen});
    close(write_fd);
    std::string number;
    pollfd readable{fds[0], POLLIN, 0};
    char c = 0;
    while (xvfb_->started() && poll(&readable, 1, kStartTimeoutMs) == 1 &&
           read(fds[0], &c, 1) == 1 && c != '\n') {
      number += c;
    }
    close(fds[0]);
    if (!number.empty()) display_ = ":" + number;
  }

  // Empty when the server did not come up.
  const std::string& display() const { return display_; }

 private:
  std::optional<ChildProcess> xvfb_;
  std::string display_;
};

}  // namespace vexel::testing
