// StoreWriter: writes the store's files on a thread of its own, so that a save
// asked for on the UI thread never waits for the disk. The content is copied
// when the save is asked for (under the store's lock, on the asking thread);
// the writer never reads the live state.
//
// Order: saves are written in the order they were asked for. A save of a file
// that is still waiting replaces the waiting one (only the newest content is
// written) and moves to the end of the queue, so it is never written before a
// save asked for earlier. A synchronous save of the same file on another
// thread (ProfileStore::SaveProfiles) is ordered with these by the snapshots'
// numbers: an older copy never replaces a newer one.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>

#include "store/profile_store.h"

namespace vexel {

class StoreWriter {
 public:
  // Called after each write, failed or not, on the writer thread (or on the
  // asking thread when no copy could be made); it must only hand the result
  // on (post it to the UI thread).
  using ReportWrite = std::function<void(const SaveResult& result)>;

  StoreWriter(ProfileStore& store, ReportWrite report);
  // Writes everything still queued, then stops the thread.
  ~StoreWriter();
  StoreWriter(const StoreWriter&) = delete;
  StoreWriter& operator=(const StoreWriter&) = delete;

  // Copies `file`'s content now and queues its write. A copy that cannot be
  // made (no memory) is reported as a failed write.
  void Queue(StoreFile file);
  // Returns once every save queued before the call is written or failed.
  void Flush();

 private:
  void Run(std::stop_token stop);
  void Enqueue(StoreSnapshot snapshot);

  ProfileStore& store_;
  ReportWrite report_;
  std::mutex mutex_;
  std::condition_variable_any wake_;
  std::condition_variable done_;
  std::deque<StoreSnapshot> queue_;
  bool writing_ = false;
  std::jthread thread_;  // last: it uses everything above
};

}  // namespace vexel
