// A Bluetooth stack for tests: the test lists devices, services and
// characteristics, reads back what was written and subscribed, and sends
// notifications from its own thread. Thread-safe.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/gatt_platform.h"

namespace vexel::link {

class FakeGattPlatform final : public GattPlatform {
 public:
  struct Written {
    std::string characteristic_id;
    std::vector<uint8_t> value;
  };

  // Set-up, before or between calls.
  void AddDevice(BluetoothDevice device) {
    std::lock_guard lock(mutex_);
    devices_.push_back(std::move(device));
  }
  void AddService(std::string path, std::vector<GattCharacteristic> characteristics) {
    std::lock_guard lock(mutex_);
    paths_.push_back(path);
    characteristics_[path] = std::move(characteristics);
  }
  void FailCharacteristics(const std::string& path, int code) {
    std::lock_guard lock(mutex_);
    failing_paths_[path] = code;
  }
  void FailWrites(int code) {
    std::lock_guard lock(mutex_);
    write_error_ = code;
  }
  void FailSubscribe(int code) {
    std::lock_guard lock(mutex_);
    subscribe_error_ = code;
  }

  // Sends `value` to every live subscription of the characteristic.
  void Notify(const std::string& characteristic_id, std::span<const uint8_t> value) {
    std::vector<GattNotification> targets;
    {
      std::lock_guard lock(mutex_);
      for (const auto& [handle, subscription] : subscriptions_)
        if (subscription.first == characteristic_id) targets.push_back(subscription.second);
    }
    for (const auto& target : targets) target(value);
  }

  // What the link did.
  std::vector<Written> Writes() const {
    std::lock_guard lock(mutex_);
    return writes_;
  }
  std::size_t LiveSubscriptions() const {
    std::lock_guard lock(mutex_);
    return subscriptions_.size();
  }
  int Calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
  }

  std::vector<BluetoothDevice> BluetoothDevices() override {
    std::lock_guard lock(mutex_);
    ++calls_;
    return devices_;
  }
  std::vector<std::string> GattServicePaths() override {
    std::lock_guard lock(mutex_);
    ++calls_;
    return paths_;
  }
  GattResult<std::vector<GattCharacteristic>> Characteristics(const std::string& path) override {
    std::lock_guard lock(mutex_);
    ++calls_;
    if (const auto failing = failing_paths_.find(path); failing != failing_paths_.end())
      return GattError{failing->second};
    return characteristics_[path];
  }
  std::optional<GattError> Write(const GattCharacteristic& characteristic,
                                 std::span<const uint8_t> value) override {
    std::lock_guard lock(mutex_);
    ++calls_;
    if (write_error_ != 0) return GattError{write_error_};
    writes_.push_back({characteristic.id, {value.begin(), value.end()}});
    return std::nullopt;
  }
  GattResult<GattSubscription> Subscribe(const GattCharacteristic& characteristic,
                                         GattNotification on_value) override {
    std::lock_guard lock(mutex_);
    ++calls_;
    if (subscribe_error_ != 0) return GattError{subscribe_error_};
    subscriptions_[++last_subscription_] = {characteristic.id, std::move(on_value)};
    return last_subscription_;
  }
  std::optional<GattError> Unsubscribe(GattSubscription subscription) override {
    std::lock_guard lock(mutex_);
    ++calls_;
    if (subscriptions_.erase(subscription) == 0) return GattError{-2};
    return std::nullopt;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<BluetoothDevice> devices_;
  std::vector<std::string> paths_;
  std::map<std::string, std::vector<GattCharacteristic>> characteristics_;
  std::map<std::string, int> failing_paths_;
  int write_error_ = 0;
  int subscribe_error_ = 0;
  std::vector<Written> writes_;
  std::map<GattSubscription, std::pair<std::string, GattNotification>> subscriptions_;
  GattSubscription last_subscription_ = 0;
  int calls_ = 0;
};

}  // namespace vexel::link
