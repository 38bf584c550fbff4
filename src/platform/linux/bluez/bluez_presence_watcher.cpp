#include "platform/linux/bluez/bluez_presence_watcher.h"

#include <systemd/sd-bus.h>

#include <algorithm>
#include <iterator>

#include "platform/linux/bluez/bluez_messages.h"
#include "platform/linux/bluez/bus_thread.h"

namespace vexel::bluez {
namespace {

constexpr char kDeviceChangedRule[] =
    "type='signal',sender='org.bluez',interface='org.freedesktop.DBus.Properties',"
    "member='PropertiesChanged',arg0='org.bluez.Device1'";

std::vector<std::string> Missing(const std::vector<std::string>& from,
                                 const std::vector<std::string>& in) {
  std::vector<std::string> missing;
  std::set_difference(from.begin(), from.end(), in.begin(), in.end(), std::back_inserter(missing));
  return missing;
}

}  // namespace

// Everything but `bus` is used on the bus thread only.
struct BluezPresenceWatcher::Impl {
  using Reader = int (*)(sd_bus_message*, Objects&);

  template <Reader read>
  static int OnSignal(sd_bus_message* message, void* userdata, sd_bus_error*) {
    auto* impl = static_cast<Impl*>(userdata);
    const std::size_t devices_before = impl->objects.devices.size();
    if (read(message, impl->objects) >= 0)
      impl->Publish(impl->objects.devices.size() != devices_before);
    return 0;
  }

  void Publish(bool nodes_changed) {
    const std::vector<std::string> present = ConnectedServiceNames(objects);
    if (nodes_changed) callback(link::kDbtDevNodesChanged, {});
    for (const std::string& name : Missing(announced, present))
      callback(link::kDbtDeviceRemoveComplete, {link::kDbtDevtypDeviceInterface, name});
    for (const std::string& name : Missing(present, announced))
      callback(link::kDbtDeviceArrival, {link::kDbtDevtypDeviceInterface, name});
    announced = present;
  }

  int AddMatches(sd_bus* connection) {
    sd_bus_slot* slot = nullptr;
    int r = sd_bus_match_signal(connection, &slot, kBluezService, "/", kObjectManagerInterface,
                                "InterfacesAdded", &OnSignal<ReadInterfacesAdded>, this);
    if (r >= 0) slots.push_back(slot);
    if (r >= 0)
      r = sd_bus_match_signal(connection, &slot, kBluezService, "/", kObjectManagerInterface,
                              "InterfacesRemoved", &OnSignal<ReadInterfacesRemoved>, this);
    if (r >= 0) slots.push_back(slot);
    if (r >= 0)
      r = sd_bus_add_match(connection, &slot, kDeviceChangedRule, &OnSignal<ReadDeviceChanged>,
                           this);
    if (r >= 0) slots.push_back(slot);
    return r;
  }

  link::DeviceChangeCallback callback;
  Objects objects;
  std::vector<std::string> announced;  // sorted
  std::vector<sd_bus_slot*> slots;
  BusThread bus;  // last: stopped before the rest goes
};

BluezPresenceWatcher::BluezPresenceWatcher() : impl_(std::make_unique<Impl>()) {}

BluezPresenceWatcher::~BluezPresenceWatcher() {
  impl_->bus.Run([this](sd_bus*) {
    for (sd_bus_slot* slot : impl_->slots) sd_bus_slot_unref(slot);
    impl_->slots.clear();
  });
}

bool BluezPresenceWatcher::RegisterDeviceNotifications(link::DeviceChangeCallback callback) {
  bool registered = false;
  impl_->bus.Run([&](sd_bus* connection) {
    if (!impl_->slots.empty()) return;
    impl_->callback = std::move(callback);
    if (impl_->AddMatches(connection) < 0) {
      for (sd_bus_slot* slot : impl_->slots) sd_bus_slot_unref(slot);
      impl_->slots.clear();
      return;
    }
    // Without BlueZ running the model starts empty and fills from its signals.
    ReadManagedObjects(connection, impl_->objects);
    impl_->announced = ConnectedServiceNames(impl_->objects);
    registered = true;
  });
  return registered;
}

}  // namespace vexel::bluez
