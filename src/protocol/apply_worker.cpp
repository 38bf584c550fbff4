#include "protocol/apply_worker.h"


namespace vexel::protocol {

ApplyWorker::ApplyWorker(ApplyCycle& cycle)
    : cycle_(cycle), thread_([this](std::stop_token stop) { Loop(stop); }) {}

ApplyWorker::~ApplyWorker() {
  Stop();
}

void ApplyWorker::PostThreadMessage(uint32_t message) {
  {
    std::lock_guard lock(mutex_);
    if (quit_posted_) return;
    queue_.push_back(message);
    ++posted_;
  }
  wake_.notify_one();
}

void ApplyWorker::PostQuit() {
  {
    std::lock_guard lock(mutex_);
    if (quit_posted_) return;
    quit_posted_ = true;
    queue_.push_back(kQuitMessage);
  }
  wake_.notify_one();
}

void ApplyWorker::Stop() {
  PostQuit();
  if (thread_.joinable()) thread_.join();
}

uint64_t ApplyWorker::ProcessedCount() const {
  std::lock_guard lock(mutex_);
  return processed_;
}

bool ApplyWorker::IsIdle() const {
  std::lock_guard lock(mutex_);
  return processed_ >= posted_;
}

void ApplyWorker::WaitIdle() {
  std::unique_lock lock(mutex_);
  idle_.wait(lock, [this] { return processed_ >= posted_; });
}

void ApplyWorker::Loop(std::stop_token stop) {
  for (;;) {
    uint32_t message = 0;
    {
      std::unique_lock lock(mutex_);
      if (!wake_.wait(lock, stop, [this] { return !queue_.empty(); })) break;
      message = queue_.front();
      queue_.pop_front();
    }
    if (message == kQuitMessage) break;
    if (message == kThreadMsgApply && cycle_.host().AnyLinkOpen()) cycle_.Run();
    {
      std::lock_guard lock(mutex_);
      ++processed_;
    }
    idle_.notify_all();
  }
  std::lock_guard lock(mutex_);
  processed_ = posted_;  // nothing more will run: release anyone waiting
  idle_.notify_all();
}

}  // namespace vexel::protocol
