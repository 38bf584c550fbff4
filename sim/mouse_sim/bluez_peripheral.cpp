#include "bluez_peripheral.h"

#include <systemd/sd-bus.h>

#include <cerrno>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/linux/bluez/bluez_messages.h"
#include "platform/linux/bluez/bus_thread.h"

namespace vexel::sim {
namespace {

using bluez::kCharacteristicInterface;
using bluez::kDeviceInterface;
using bluez::kServiceInterface;

constexpr char kDevicePath[] = "/org/bluez/hci0/dev_C0_FF_EE_00_11_22";
constexpr char kServicePath[] = "/org/bluez/hci0/dev_C0_FF_EE_00_11_22/service000c";
constexpr char kReportPath[] = "/org/bluez/hci0/dev_C0_FF_EE_00_11_22/service000c/char000d";
constexpr char kStatusPath[] = "/org/bluez/hci0/dev_C0_FF_EE_00_11_22/service000c/char000f";
constexpr char kServiceUuid[] = "0000fee0-0000-1000-8000-00805f9b34fb";
constexpr char kReportUuid[] = "0000fee3-0000-1000-8000-00805f9b34fb";
constexpr char kStatusUuid[] = "0000fee4-0000-1000-8000-00805f9b34fb";
constexpr char kMouseName[] = "Vexel Gaming Mouse";

}  // namespace

// Everything but `bus` is used on the bus thread only.
struct BluezPeripheral::Impl {
  static Impl& From(void* userdata) { return *static_cast<Impl*>(userdata); }

  static int DeviceProperty(sd_bus*, const char*, const char*, const char* property,
                            sd_bus_message* reply, void* userdata, sd_bus_error*) {
    const std::string_view name = property;
    if (name == "Address") return sd_bus_message_append(reply, "s", kBleMouseAddress);
    if (name == "Name" || name == "Alias") return sd_bus_message_append(reply, "s", kMouseName);
    if (name == "Modalias") return sd_bus_message_append(reply, "s", kBleMouseModalias);
    return sd_bus_message_append(reply, "b", From(userdata).connected ? 1 : 0);
  }

  static int ServiceProperty(sd_bus*, const char*, const char*, const char* property,
                             sd_bus_message* reply, void*, sd_bus_error*) {
    const std::string_view name = property;
    if (name == "UUID") return sd_bus_message_append(reply, "s", kServiceUuid);
    if (name == "Device") return sd_bus_message_append(reply, "o", kDevicePath);
    return sd_bus_message_append(reply, "b", 1);  // Primary
  }

  static int CharacteristicProperty(sd_bus*, const char* path, const char*, const char* property,
                                    sd_bus_message* reply, void* userdata, sd_bus_error*) {
    const Impl& impl = From(userdata);
    const bool report = std::string_view(path) == kReportPath;
    const std::string_view name = property;
    if (name == "UUID")
      return sd_bus_message_append(reply, "s", report ? kReportUuid : kStatusUuid);
    if (name == "Service") return sd_bus_message_append(reply, "o", kServicePath);
    if (name == "Flags") return sd_bus_message_append(reply, "as", 1, report ? "write" : "notify");
    if (name == "Notifying") return sd_bus_message_append(reply, "b", impl.notifying ? 1 : 0);
    const std::vector<uint8_t> none;
    const std::vector<uint8_t>& value = report ? none : impl.status_value;
    return sd_bus_message_append_array(reply, 'y', value.data(), value.size());
  }

  static int OnWriteValue(sd_bus_message* call, void* userdata, sd_bus_error* error) {
    Impl& impl = From(userdata);
    const void* bytes = nullptr;
    std::size_t size = 0;
    const int r = sd_bus_message_read_array(call, 'y', &bytes, &size);
    if (r < 0) return r;
    if (!impl.connected)
      return sd_bus_error_set(error, "org.bluez.Error.NotConnected", "Not connected");
    const auto* first = static_cast<const uint8_t*>(bytes);
    if (!impl.on_write(std::span(first, size)))
      return sd_bus_error_set(error, "org.bluez.Error.Failed", "The mouse refused the value");
    return sd_bus_reply_method_return(call, "");
  }

  static int SetNotifying(sd_bus_message* call, Impl& impl, bool on) {
    if (!impl.connected)
      return sd_bus_reply_method_errorf(call, "org.bluez.Error.NotConnected", "Not connected");
    impl.notifying = on;
    sd_bus_emit_properties_changed(sd_bus_message_get_bus(call), kStatusPath,
                                   kCharacteristicInterface, "Notifying", nullptr);
    return sd_bus_reply_method_return(call, "");
  }
  static int OnStartNotify(sd_bus_message* call, void* userdata, sd_bus_error*) {
    return SetNotifying(call, From(userdata), true);
  }
  static int OnStopNotify(sd_bus_message* call, void* userdata, sd_bus_error*) {
    return SetNotifying(call, From(userdata), false);
  }

  int Export(sd_bus* connection);

  WriteHandler on_write;
  bool connected = false;
  bool notifying = false;
  std::vector<uint8_t> status_value;
  std::vector<sd_bus_slot*> slots;
  bluez::BusThread bus;  // last: stopped before the rest goes
};

int BluezPeripheral::Impl::Export(sd_bus* connection) {
  constexpr uint64_t kEmits = SD_BUS_VTABLE_PROPERTY_EMITS_CHANGE;
  constexpr uint64_t kConst = SD_BUS_VTABLE_PROPERTY_CONST;
  static const sd_bus_vtable kDeviceVtable[] = {
      SD_BUS_VTABLE_START(0),
      SD_BUS_PROPERTY("Address", "s", Impl::DeviceProperty, 0, kConst),
      SD_BUS_PROPERTY("Name", "s", Impl::DeviceProperty, 0, kConst),
      SD_BUS_PROPERTY("Alias", "s", Impl::DeviceProperty, 0, kConst),
      SD_BUS_PROPERTY("Modalias", "s", Impl::DeviceProperty, 0, kConst),
      SD_BUS_PROPERTY("Connected", "b", Impl::DeviceProperty, 0, kEmits),
      SD_BUS_PROPERTY("ServicesResolved", "b", Impl::DeviceProperty, 0, kEmits),
      SD_BUS_VTABLE_END};

  static const sd_bus_vtable kServiceVtable[] = {
      SD_BUS_VTABLE_START(0), SD_BUS_PROPERTY("UUID", "s", Impl::ServiceProperty, 0, kConst),
      SD_BUS_PROPERTY("Device", "o", Impl::ServiceProperty, 0, kConst),
      SD_BUS_PROPERTY("Primary", "b", Impl::ServiceProperty, 0, kConst), SD_BUS_VTABLE_END};

  static const sd_bus_vtable kReportVtable[] = {
      SD_BUS_VTABLE_START(0),
      SD_BUS_PROPERTY("UUID", "s", Impl::CharacteristicProperty, 0, kConst),
      SD_BUS_PROPERTY("Service", "o", Impl::CharacteristicProperty, 0, kConst),
      SD_BUS_PROPERTY("Flags", "as", Impl::CharacteristicProperty, 0, kConst),
      SD_BUS_METHOD("WriteValue", "aya{sv}", "", Impl::OnWriteValue, 0),
      SD_BUS_VTABLE_END};

  static const sd_bus_vtable kStatusVtable[] = {
      SD_BUS_VTABLE_START(0),
      SD_BUS_PROPERTY("UUID", "s", Impl::CharacteristicProperty, 0, kConst),
      SD_BUS_PROPERTY("Service", "o", Impl::CharacteristicProperty, 0, kConst),
      SD_BUS_PROPERTY("Flags", "as", Impl::CharacteristicProperty, 0, kConst),
      SD_BUS_PROPERTY("Notifying", "b", Impl::CharacteristicProperty, 0, kEmits),
      SD_BUS_PROPERTY("Value", "ay", Impl::CharacteristicProperty, 0, kEmits),
      SD_BUS_METHOD("StartNotify", "", "", Impl::OnStartNotify, 0),
      SD_BUS_METHOD("StopNotify", "", "", Impl::OnStopNotify, 0),
      SD_BUS_VTABLE_END};

  struct Export {
    const char* path;
    const char* interface;
    const sd_bus_vtable* vtable;
  };
  const Export exports[] = {{kDevicePath, kDeviceInterface, kDeviceVtable},
                            {kServicePath, kServiceInterface, kServiceVtable},
                            {kReportPath, kCharacteristicInterface, kReportVtable},
                            {kStatusPath, kCharacteristicInterface, kStatusVtable}};
  sd_bus_slot* slot = nullptr;
  int r = sd_bus_add_object_manager(connection, &slot, "/");
  if (r >= 0) slots.push_back(slot);
  for (const Export& e : exports) {
    if (r >= 0)
      r = sd_bus_add_object_vtable(connection, &slot, e.path, e.interface, e.vtable, this);
    if (r >= 0) slots.push_back(slot);
  }
  if (r >= 0) r = sd_bus_request_name(connection, bluez::kBluezService, 0);
  // Clients that watch the object manager learn of the mouse as of BlueZ's.
  for (const Export& e : exports)
    if (r >= 0) r = sd_bus_emit_object_added(connection, e.path);
  return r;
}

BluezPeripheral::BluezPeripheral(WriteHandler on_write) : impl_(std::make_unique<Impl>()) {
  impl_->on_write = std::move(on_write);
}

BluezPeripheral::~BluezPeripheral() {
  impl_->bus.Run([this](sd_bus*) {
    for (sd_bus_slot* slot : impl_->slots) sd_bus_slot_unref(slot);
    impl_->slots.clear();
  });
}

bool BluezPeripheral::Start(std::string& error) {
  int r = -ENOTCONN;
  impl_->bus.Run([&](sd_bus* connection) { r = impl_->Export(connection); });
  if (r < 0) error = std::string("cannot publish the mouse on the bus: ") + std::strerror(-r);
  return r >= 0;
}

void BluezPeripheral::SetConnected(bool connected) {
  impl_->bus.Run([&](sd_bus* connection) {
    impl_->connected = connected;
    if (!connected) impl_->notifying = false;
    sd_bus_emit_properties_changed(connection, kDevicePath, kDeviceInterface, "Connected",
                                   "ServicesResolved", nullptr);
  });
}

bool BluezPeripheral::Notify(std::span<const uint8_t> value) {
  bool sent = false;
  impl_->bus.Run([&](sd_bus* connection) {
    if (!impl_->connected || !impl_->notifying) return;
    impl_->status_value.assign(value.begin(), value.end());
    sent = sd_bus_emit_properties_changed(connection, kStatusPath, kCharacteristicInterface,
                                          "Value", nullptr) >= 0;
  });
  return sent;
}

}  // namespace vexel::sim
