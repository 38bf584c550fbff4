#include "platform/linux/bluez/bluez_gatt_platform.h"

#include <systemd/sd-bus.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <memory>
#include <mutex>

#include "platform/linux/bluez/bluez_messages.h"
#include "platform/linux/bluez/bus_thread.h"

namespace vexel::bluez {
namespace {

bool HasFlag(const Characteristic& characteristic, std::string_view flag) {
  return std::find(characteristic.flags.begin(), characteristic.flags.end(), flag) !=
         characteristic.flags.end();
}

// Reads the object manager on the bus thread; empty when BlueZ does not answer.
Objects ReadObjects(BusThread& bus) {
  Objects objects;
  bus.Run([&](sd_bus* connection) { ReadManagedObjects(connection, objects); });
  return objects;
}

}  // namespace

struct BluezGattPlatform::Impl {
  // Whether a subscription's callback may still run. Closed by Unsubscribe on
  // the calling thread, so no value arrives after it returns, while the bus
  // calls that end the subscription wait their turn on the bus thread.
  struct Gate {
    // Recursive: the callback may end its own subscription.
    std::recursive_mutex mutex;
    link::GattNotification on_value;
    bool open = true;
  };

  // Lives on the bus thread only: created, used and destroyed there.
  struct Subscription {
    std::string characteristic_path;
    std::shared_ptr<Gate> gate;
    sd_bus_slot* slot = nullptr;
  };

  static int OnPropertiesChanged(sd_bus_message* message, void* userdata, sd_bus_error*) {
    std::vector<uint8_t> value;
    bool has_value = false;
    if (ReadValueChanged(message, value, has_value) >= 0 && has_value) {
      // A copy: the callback may end this very subscription.
      const std::shared_ptr<Gate> gate = static_cast<Subscription*>(userdata)->gate;
      std::lock_guard lock(gate->mutex);
      if (gate->open) gate->on_value(value);
    }
    return 0;
  }

  // Bus thread.
  int Remove(sd_bus* connection, link::GattSubscription handle) {
    const auto found = subscriptions.find(handle);
    if (found == subscriptions.end()) return -ENOENT;
    sd_bus_slot_unref(found->second->slot);
    const std::string path = found->second->characteristic_path;
    subscriptions.erase(found);
    return CallBluez(connection, path, kCharacteristicInterface, "StopNotify", {}, nullptr);
  }

  std::map<link::GattSubscription, std::unique_ptr<Subscription>> subscriptions;
  link::GattSubscription last_handle = 0;
  // The gates of the live subscriptions, for any thread.
  std::mutex gates_mutex;
  std::map<link::GattSubscription, std::shared_ptr<Gate>> gates;
  BusThread bus;  // last: stopped before the rest goes
};

BluezGattPlatform::BluezGattPlatform() : impl_(std::make_unique<Impl>()) {}

BluezGattPlatform::~BluezGattPlatform() {
  impl_->bus.Run([this](sd_bus* bus) {
    while (!impl_->subscriptions.empty()) impl_->Remove(bus, impl_->subscriptions.begin()->first);
  });
}

bool BluezGattPlatform::Connected() const {
  return impl_->bus.Connected();
}

std::vector<link::BluetoothDevice> BluezGattPlatform::BluetoothDevices() {
  std::vector<link::BluetoothDevice> devices;
  for (const auto& [path, device] : ReadObjects(impl_->bus).devices)
    devices.push_back({device.name, HardwareId(device), device.connected});
  return devices;
}

std::vector<std::string> BluezGattPlatform::GattServicePaths() {
  const Objects objects = ReadObjects(impl_->bus);
  std::vector<std::string> paths;
  for (const auto& [path, service] : objects.services)
    if (auto name = ServiceInterfaceName(objects, path)) paths.push_back(std::move(*name));
  return paths;
}

link::GattResult<std::vector<link::GattCharacteristic>> BluezGattPlatform::Characteristics(
    const std::string& service_path) {
  const std::string object_path = ObjectPathOfInterfaceName(service_path);
  const Objects objects = ReadObjects(impl_->bus);
  if (!objects.services.contains(object_path)) return link::GattError{-ENOENT};
  std::vector<link::GattCharacteristic> found;
  for (const auto& [path, characteristic] : objects.characteristics) {
    if (characteristic.service != object_path) continue;
    found.push_back({path, ShortUuid(characteristic.uuid).value_or(0), HandleOfPath(object_path),
                     HasFlag(characteristic, "notify") || HasFlag(characteristic, "indicate"),
                     HasFlag(characteristic, "write")});
  }
  return found;
}

std::optional<link::GattError> BluezGattPlatform::Write(
    const link::GattCharacteristic& characteristic, std::span<const uint8_t> value) {
  int result = -ENOTCONN;
  impl_->bus.Run([&](sd_bus* bus) {
    result = CallBluez(
        bus, characteristic.id, kCharacteristicInterface, "WriteValue",
        [&](sd_bus_message* m) {
          int r = sd_bus_message_append_array(m, 'y', value.data(), value.size());
          // A write with response: BlueZ waits for the mouse's answer.
          if (r >= 0) r = sd_bus_message_append(m, "a{sv}", 1, "type", "s", "request");
          return r;
        },
        nullptr);
  });
  if (result < 0) return link::GattError{result};
  return std::nullopt;
}

link::GattResult<link::GattSubscription> BluezGattPlatform::Subscribe(
    const link::GattCharacteristic& characteristic, link::GattNotification on_value) {
  int result = -ENOTCONN;
  link::GattSubscription handle = 0;
  impl_->bus.Run([&](sd_bus* bus) {
    auto subscription = std::make_unique<Impl::Subscription>();
    subscription->characteristic_path = characteristic.id;
    subscription->gate = std::make_shared<Impl::Gate>();
    subscription->gate->on_value = std::move(on_value);
    result = sd_bus_match_signal(bus, &subscription->slot, kBluezService, characteristic.id.c_str(),
                                 kPropertiesInterface, "PropertiesChanged",
                                 &Impl::OnPropertiesChanged, subscription.get());
    if (result >= 0)
      result =
          CallBluez(bus, characteristic.id, kCharacteristicInterface, "StartNotify", {}, nullptr);
    if (result < 0) {
      sd_bus_slot_unref(subscription->slot);
      return;
    }
    handle = ++impl_->last_handle;
    {
      std::lock_guard lock(impl_->gates_mutex);
      impl_->gates[handle] = subscription->gate;
    }
    impl_->subscriptions[handle] = std::move(subscription);
  });
  if (result < 0) return link::GattError{result};
  return handle;
}

std::optional<link::GattError> BluezGattPlatform::Unsubscribe(link::GattSubscription subscription) {
  std::shared_ptr<Impl::Gate> gate;
  {
    std::lock_guard lock(impl_->gates_mutex);
    const auto found = impl_->gates.find(subscription);
    if (found == impl_->gates.end()) return link::GattError{-ENOENT};
    gate = std::move(found->second);
    impl_->gates.erase(found);
  }
  {
    // Waits only for a callback under way, never for the bus.
    std::lock_guard lock(gate->mutex);
    gate->open = false;
  }
  // The bus thread may be inside a write that waits for the mouse (up to the
  // call time-out): the removal follows it there, the caller goes on.
  impl_->bus.Post(
      [impl = impl_.get(), subscription](sd_bus* bus) { impl->Remove(bus, subscription); });
  return std::nullopt;
}

}  // namespace vexel::bluez
