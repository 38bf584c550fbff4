// Helpers for tests that load the real driver libraries: the libraries
// loaded as the program loads them, a post target that collects what the
// monitor thread posts, and a fixture holding both libraries.
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

// A driver library loaded by the program's own loader, so the tests load the
// libraries exactly as the program does.
class DriverLibrary {
 public:
  // Loads VEXEL_BIN_DIR/<file_name>; incomplete when it cannot be loaded or
  // lacks an entry point.
  explicit DriverLibrary(const std::string& file_name) {
    DlLibraryLoader loader;
    driver_ = LoadFeatureDriver(loader, std::string(VEXEL_BIN_DIR) + "/" + file_name);
  }
  // Closes what a test left open, as a host does before unloading.
  ~DriverLibrary() {
    if (Complete()) {
      driver_->close_feature_device();
      driver_->close_dev_monitor();
    }
  }
  DriverLibrary(const DriverLibrary&) = delete;
  DriverLibrary& operator=(const DriverLibrary&) = delete;

  bool Complete() const { return driver_ != nullptr; }
  const FeatureDriver& driver() const { return *driver_; }

 private:
  std::unique_ptr<FeatureDriver> driver_;
};

// Both libraries, loaded from the program folder and told their device ids.
struct LinkLibraries {
  DriverLibrary wired{"hiddriver_2.so"};
  DriverLibrary wireless{"hiddriver_1.so"};

  LinkLibraries() {
    if (!Complete()) return;
    using protocol::kWiredDeviceId;
    using protocol::kWirelessDeviceId;
    wired.driver().set_vidpid(kWiredDeviceId.vendor_id, kWiredDeviceId.product_id);
    wireless.driver().set_vidpid(kWirelessDeviceId.vendor_id, kWirelessDeviceId.product_id);
  }
  bool Complete() const { return wired.Complete() && wireless.Complete(); }
};

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

  void Clear() {
    std::lock_guard lock(mutex_);
    messages_.clear();
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

// A test of both libraries: LoadLinks() once their back-end is in place.
class LinkLibrariesTest : public ::testing::Test {
 protected:
  void LoadLinks() {
    links_ = std::make_unique<LinkLibraries>();
    ASSERT_TRUE(links_->Complete());
    wired_ = &links_->wired.driver();
    wireless_ = &links_->wireless.driver();
  }
  void TearDown() override { links_.reset(); }

  PostCollector posts_;
  std::unique_ptr<LinkLibraries> links_;
  const FeatureDriver* wired_ = nullptr;
  const FeatureDriver* wireless_ = nullptr;
};

}  // namespace vexel::test
