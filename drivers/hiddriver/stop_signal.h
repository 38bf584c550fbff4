// A flag that a monitor thread can wait on with poll() next to its own
// descriptors, so stopping it never waits for a time-out.
#pragma once

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>

namespace vexel::hiddriver {

class StopSignal {
 public:
  StopSignal() : fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
  ~StopSignal() {
    if (fd_ >= 0) close(fd_);
  }
  StopSignal(const StopSignal&) = delete;
  StopSignal& operator=(const StopSignal&) = delete;

  void Raise() {
    raised_ = true;
    const uint64_t one = 1;
    if (fd_ >= 0 && write(fd_, &one, sizeof(one)) < 0) {
      // The counter is already nonzero; poll() sees it either way.
    }
  }
  bool Raised() const { return raised_; }
  // Waits up to `ms`; true when the signal was raised meanwhile.
  bool WaitFor(int ms) const {
    pollfd descriptor{fd_, POLLIN, 0};
    poll(&descriptor, 1, ms);
    return raised_;
  }
  int fd() const { return fd_; }

 private:
  int fd_;
  std::atomic<bool> raised_{false};
};

}  // namespace vexel::hiddriver
