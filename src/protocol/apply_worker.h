// The apply worker thread: takes thread messages from a blocking queue and runs
// one apply cycle for each apply message while a link is open.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>

#include "protocol/apply_cycle.h"

namespace vexel::protocol {

// The worker's thread message that runs one apply cycle (the main window
// forwards its apply request 1541 as this).
inline constexpr uint32_t kThreadMsgApply = 1536;

class ApplyWorker {
 public:
  explicit ApplyWorker(ApplyCycle& cycle);
  // Posts quit and waits: a cycle under way finishes first.
  ~ApplyWorker();

  ApplyWorker(const ApplyWorker&) = delete;
  ApplyWorker& operator=(const ApplyWorker&) = delete;

  // Safe from any thread. kThreadMsgApply runs a cycle; other messages are
  // dropped.
  void PostThreadMessage(uint32_t message);
  // Ends the loop after the messages posted before it; later ones are dropped.
  void PostQuit();
  // PostQuit and wait for the thread.
  void Stop();

  // Number of messages taken from the queue so far (for tests and vexelctl to
  // wait until delivery ends).
  uint64_t ProcessedCount() const;
  // Blocks until every message posted so far has been processed.
  void WaitIdle();
  // True when every message posted so far has been processed.
  bool IsIdle() const;

 private:
  void Loop(std::stop_token stop);

  static constexpr uint32_t kQuitMessage = 18;  // the system's quit message number

  ApplyCycle& cycle_;
  mutable std::mutex mutex_;
  std::condition_variable_any wake_;
  std::condition_variable idle_;
  std::deque<uint32_t> queue_;
  uint64_t posted_ = 0;
  uint64_t processed_ = 0;
  bool quit_posted_ = false;
  std::jthread thread_;  // last: starts after the members above exist
};

}  // namespace vexel::protocol
