// A private dbus-daemon standing in for the system (or the session) bus, and a
// box for what arrives on the bus threads.
#pragma once

#include <signal.h>
#include <stdlib.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "support/run_command.h"

namespace vexel::bluez {

class PrivateSystemBus {
 public:
  // Starts the daemon and points `variable` at it.
  explicit PrivateSystemBus(const char* variable = "DBUS_SYSTEM_BUS_ADDRESS") {
    const auto lines = testing::Lines(
        testing::RunCommand("dbus-daemon --session --fork --print-address=1 --print-pid=1").out);
    if (lines.size() != 2) return;
    pid_ = std::stoi(lines[1]);
    setenv(variable, lines[0].c_str(), 1);
  }
  ~PrivateSystemBus() {
    if (pid_ > 0) kill(pid_, SIGTERM);
  }
  bool running() const { return pid_ > 0; }

 private:
  int pid_ = -1;
};

// Values arriving on another thread, waited for with a time limit.
template <typename T>
class Inbox {
 public:
  void Put(T item) {
    std::lock_guard lock(mutex_);
    items_.push_back(std::move(item));
    arrived_.notify_all();
  }
  // The items once there are at least `count`, or what came within 10 s.
  std::vector<T> WaitFor(std::size_t count) {
    std::unique_lock lock(mutex_);
    arrived_.wait_for(lock, std::chrono::seconds(10), [&] { return items_.size() >= count; });
    return items_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<T> items_;
};

}  // namespace vexel::bluez
