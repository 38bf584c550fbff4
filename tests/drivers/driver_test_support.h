// Helpers for tests that load the real driver libraries: a post target that
// collects what the monitor thread posts, and a fixture holding both libraries.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "hiddriver.h"
#include "link/feature_driver.h"
#include "platform/posix/dl_library_loader.h"
#include "protocol/device_ids.h"

namespace vexel::test {

struct PostedMessage {
  uint32_t message;
  uintptr_t wparam;
  intptr_t lparam;
  bool operator==(const PostedMessage&) const = default;
};

class PostCollector {
 public:
  VexelPostTarget Target() { return {&PostCollector::Post, this}; }

  // Waits until `wanted` has been posted (and removes it); false after `timeout`.
  bool WaitFor(const PostedMessage& wanted,
               std::chrono::milliseconds timeout = std::chrono::milliseconds(5000)) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] {
      for (auto it = messages_.begin(); it != messages_.end(); ++it) {
        if (*it == wanted) {
          messages_.erase(it);
          return true;
        }
      }
      return false;
    });
  }

  std::vector<PostedMessage> Messages() {
    std::lock_guard lock(mutex_);
    return messages_;
  }

 private:
  static void Post(void* ctx, uint32_t message, uintptr_t wparam, intptr_t lparam) {
    auto* self = static_cast<PostCollector*>(ctx);
    {
      std::lock_guard lock(self->mutex_);
      self->messages_.push_back({message, wparam, lparam});
    }
    self->changed_.notify_all();
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<PostedMessage> messages_;
};

// A test of both libraries, loaded by the program's own loader from the
// program folder and told their device ids: LoadLinks() once their back-end
// is in place.
class LinkLibrariesTest : public ::testing::Test {
 protected:
  void LoadLinks() {
    DlLibraryLoader loader;
    wired_library_ = LoadFeatureDriver(loader, std::string(VEXEL_BIN_DIR) + "/hiddriver_2.so");
    wireless_library_ = LoadFeatureDriver(loader, std::string(VEXEL_BIN_DIR) + "/hiddriver_1.so");
    ASSERT_TRUE(wired_library_ && wireless_library_);
    wired_ = wired_library_.get();
    wireless_ = wireless_library_.get();
    using protocol::kWiredDeviceId;
    using protocol::kWirelessDeviceId;
    wired_->set_vidpid(kWiredDeviceId.vendor_id, kWiredDeviceId.product_id);
    wireless_->set_vidpid(kWirelessDeviceId.vendor_id, kWirelessDeviceId.product_id);
  }
  // Closes what a test left open, as a host does before unloading.
  void TearDown() override {
    for (auto* library : {&wireless_library_, &wired_library_}) {
      if (*library) {
        (*library)->close_feature_device();
        (*library)->close_dev_monitor();
      }
      library->reset();
    }
  }

  PostCollector posts_;
  std::unique_ptr<FeatureDriver> wired_library_;
  std::unique_ptr<FeatureDriver> wireless_library_;
  const FeatureDriver* wired_ = nullptr;
  const FeatureDriver* wireless_ = nullptr;
};

}  // namespace vexel::test
