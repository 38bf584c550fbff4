#include "store/store_writer.h"

#include <algorithm>
#include <new>
#include <optional>

namespace vexel {

StoreWriter::StoreWriter(ProfileStore& store, ReportWrite report)
    : store_(store),
      report_(std::move(report)),
      thread_([this](std::stop_token stop) { Run(stop); }) {}

StoreWriter::~StoreWriter() {
  thread_.request_stop();
  wake_.notify_all();
  thread_.join();
}

void StoreWriter::Queue(StoreFile file) {
  std::optional<StoreSnapshot> snapshot;
  try {
    snapshot = store_.Snapshot(file);
  } catch (const std::bad_alloc&) {
    const std::filesystem::path path = store_.PathOf(file);
    if (report_)
      report_(SaveResult::Failure(path, "cannot write " + path.string() + ": out of memory"));
    return;
  }
  Enqueue(std::move(*snapshot));
}

void StoreWriter::Enqueue(StoreSnapshot snapshot) {
  {
    std::lock_guard lock(mutex_);
    const auto waiting = std::find_if(queue_.begin(), queue_.end(), [&](const StoreSnapshot& s) {
      return s.file == snapshot.file;
    });
    if (waiting != queue_.end()) {
      // Two threads may queue the same file at once: the newer copy wins.
      if (waiting->sequence > snapshot.sequence) return;
      queue_.erase(waiting);
    }
    queue_.push_back(std::move(snapshot));
  }
  wake_.notify_one();
}

void StoreWriter::Flush() {
  std::unique_lock lock(mutex_);
  done_.wait(lock, [this] { return queue_.empty() && !writing_; });
}

void StoreWriter::Run(std::stop_token stop) {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, stop, [this] { return !queue_.empty(); });
    // Asked to stop: what is queued is still written first.
    if (queue_.empty()) return;
    StoreSnapshot snapshot = std::move(queue_.front());
    queue_.pop_front();
    writing_ = true;
    lock.unlock();
    const SaveResult result = store_.Write(snapshot);
    if (report_) report_(result);
    lock.lock();
    writing_ = false;
    if (queue_.empty()) done_.notify_all();
  }
}

}  // namespace vexel
