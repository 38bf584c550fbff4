#include "platform/linux/bluez/bus_thread.h"

#include <sys/eventfd.h>
#include <systemd/sd-bus.h>
#include <systemd/sd-event.h>
#include <unistd.h>

namespace vexel::bluez {

BusThread::BusThread() {
  std::promise<bool> started;
  auto connected = started.get_future();
  thread_ = std::thread(&BusThread::Main, this, std::move(started));
  connected_ = connected.get();
  if (!connected_) thread_.join();
}

BusThread::~BusThread() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    WakeLocked();
  }
  thread_.join();
}

bool BusThread::Run(const Task& task) {
  if (!connected_) return false;
  if (std::this_thread::get_id() == thread_.get_id()) {
    task(bus_);
    return true;
  }
  std::promise<bool> promise;
  std::future<bool> done = promise.get_future();
  if (!Enqueue({task, std::move(promise)})) return false;
  return done.get();
}

bool BusThread::Post(Task task) {
  return connected_ && Enqueue({std::move(task), std::nullopt});
}

bool BusThread::Enqueue(Queued queued) {
  std::lock_guard lock(mutex_);
  if (stopping_) return false;
  queue_.push_back(std::move(queued));
  WakeLocked();
  return true;
}

void BusThread::Main(std::promise<bool> started) {
  wake_fd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  const bool ready =
      wake_fd_ >= 0 && sd_event_new(&event_) >= 0 && sd_bus_open_system(&bus_) >= 0 &&
      sd_bus_attach_event(bus_, event_, SD_EVENT_PRIORITY_NORMAL) >= 0 &&
      sd_event_add_io(event_, nullptr, wake_fd_, EPOLLIN, &BusThread::OnWake, this) >= 0;
  started.set_value(ready);
  if (ready) sd_event_loop(event_);
  Drain();
  sd_bus_flush_close_unref(bus_);
  bus_ = nullptr;
  sd_event_unref(event_);
  event_ = nullptr;
  std::lock_guard lock(mutex_);
  if (wake_fd_ >= 0) close(wake_fd_);
  wake_fd_ = -1;
}

void BusThread::WakeLocked() {
  const uint64_t one = 1;
  if (wake_fd_ >= 0) (void)!write(wake_fd_, &one, sizeof one);
}

int BusThread::OnWake(sd_event_source*, int fd, uint32_t, void* self) {
  auto* thread = static_cast<BusThread*>(self);
  uint64_t count = 0;
  (void)!read(fd, &count, sizeof count);
  for (;;) {
    Queued next;
    {
      std::lock_guard lock(thread->mutex_);
      if (thread->stopping_) return sd_event_exit(thread->event_, 0);
      if (thread->queue_.empty()) return 0;
      next = std::move(thread->queue_.front());
      thread->queue_.pop_front();
    }
    next.task(thread->bus_);
    if (next.done) next.done->set_value(true);
  }
}

void BusThread::Drain() {
  std::lock_guard lock(mutex_);
  stopping_ = true;
  for (Queued& queued : queue_)
    if (queued.done) queued.done->set_value(false);
  queue_.clear();
}

}  // namespace vexel::bluez
