// One connection to the system bus, used only on a thread of its own: sd-bus
// objects are not thread-safe, so every use of the connection, signal
// handlers included, happens on that thread. Other threads hand it work
// through Run and wait for it, or through Post and go on at once.
#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <optional>
#include <thread>

struct sd_bus;
struct sd_event;
struct sd_event_source;

namespace vexel::bluez {

class BusThread {
 public:
  using Task = std::function<void(sd_bus* bus)>;

  // Connects to the bus named by DBUS_SYSTEM_BUS_ADDRESS (or the system's own).
  BusThread();
  // Finishes the task running, drops queued ones and closes the connection.
  ~BusThread();
  BusThread(const BusThread&) = delete;
  BusThread& operator=(const BusThread&) = delete;

  bool Connected() const { return connected_; }
  // Runs `task` on the bus thread (at once when called there) and waits for it.
  // false when there is no connection or the thread is stopping.
  bool Run(const Task& task);
  // Queues `task` for the bus thread, after everything queued before, and
  // returns without waiting (also on the bus thread itself). A task still
  // queued when the thread stops is dropped. false when it was not queued.
  bool Post(Task task);

 private:
  struct Queued {
    Task task;
    std::optional<std::promise<bool>> done;  // empty for a posted task
  };
  bool Enqueue(Queued queued);

  void Main(std::promise<bool> started);
  static int OnWake(sd_event_source* source, int fd, uint32_t events, void* self);
  void Drain();
  // Wakes the loop; mutex_ held, so the descriptor is not closed meanwhile.
  void WakeLocked();

  sd_bus* bus_ = nullptr;
  sd_event* event_ = nullptr;
  int wake_fd_ = -1;
  std::atomic<bool> connected_{false};
  std::mutex mutex_;
  std::deque<Queued> queue_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace vexel::bluez
