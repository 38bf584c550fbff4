#include "link/ble/ble_link.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace vexel::link {
namespace {

constexpr char kWriteSuccess[] = "Write Success!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!\r\n";
constexpr char kWriteFail[] = "Write fail!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!\r\n";

std::string UpperCase(std::string_view text) {
  std::string upper(text);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return upper;
}

// The text between the first and the second "_", if there is a first "_".
std::optional<std::string_view> SecondPiece(std::string_view hardware_id) {
  const std::size_t first = hardware_id.find('_');
  if (first == std::string_view::npos) return std::nullopt;
  const std::string_view rest = hardware_id.substr(first + 1);
  return rest.substr(0, rest.find('_'));
}

bool ServiceMatches(std::string_view path, const std::vector<std::string>& addresses,
                    std::string_view vid_filter, std::string_view pid_filter) {
  const std::string upper = UpperCase(path);
  if (upper.find(vid_filter) == std::string::npos || upper.find(pid_filter) == std::string::npos)
    return false;
  return std::any_of(addresses.begin(), addresses.end(), [&](const std::string& address) {
    return upper.find(address) != std::string::npos;
  });
}

}  // namespace

std::vector<uint8_t> BleValue(std::span<const uint8_t> report) {
  if (report.size() > kBleValueCapacity - kBleCountLength) return {};
  std::vector<uint8_t> value(kBleCountLength + report.size());
  const auto count = static_cast<uint32_t>(report.size());
  for (std::size_t i = 0; i < kBleCountLength; ++i)
    value[i] = static_cast<uint8_t>(count >> (8 * i));
  std::copy(report.begin(), report.end(), value.begin() + kBleCountLength);
  return value;
}

BleLink::BleLink(GattPlatform& platform, GattNotification on_notification, DebugSink debug)
    : platform_(platform), on_notification_(std::move(on_notification)), debug_(std::move(debug)) {}

BleLink::~BleLink() {
  Unregister(false);
}

void BleLink::SwitchOn() {
  {
    std::lock_guard lock(mutex_);
    vid_filter_ = kBleVidFilter;
    pid_filter_ = kBlePidFilter;
  }
  BleSubscribe();
}

void BleLink::SwitchOff() {
  {
    std::lock_guard lock(mutex_);
    vid_filter_.clear();
    pid_filter_.clear();
  }
  Unregister(true);
}

bool BleLink::IsOn() const {
  std::lock_guard lock(mutex_);
  return !vid_filter_.empty() && !pid_filter_.empty();
}

void BleLink::CollectBleAddresses() {
  const std::vector<BluetoothDevice> devices = platform_.BluetoothDevices();
  std::lock_guard lock(mutex_);
  address_count_ = 0;
  for (const BluetoothDevice& device : devices) {
    if (!device.connected || !device.friendly_name || !device.hardware_id) continue;
    // The table is full: further devices are not stored rather than written past its end.
    if (address_count_ == kBleAddressEntries) break;
    AddressEntry& entry = ble_addresses_[address_count_++];
    const auto piece = SecondPiece(*device.hardware_id);
    // An entry without an address would match every path, so it is left unset.
    entry.stored = piece.has_value() && !piece->empty();
    entry.address = entry.stored ? std::string(piece->substr(0, kBleAddressLength)) : std::string();
  }
}

std::vector<std::string> BleLink::Addresses() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> addresses;
  for (std::size_t i = 0; i < address_count_; ++i)
    if (ble_addresses_[i].stored) addresses.push_back(ble_addresses_[i].address);
  return addresses;
}

BleLink::SearchState BleLink::CurrentSearch() const {
  std::lock_guard lock(mutex_);
  SearchState search{vid_filter_, pid_filter_, {}};
  for (std::size_t i = 0; i < address_count_; ++i)
    if (ble_addresses_[i].stored) search.addresses.push_back(UpperCase(ble_addresses_[i].address));
  return search;
}

int BleLink::ForEachMatchingService(const SearchState& search, const ServiceVisitor& visit) {
  const std::vector<std::string> paths = platform_.GattServicePaths();
  for (const std::string& path : paths) {
    if (!ServiceMatches(path, search.addresses, search.vid_filter, search.pid_filter)) continue;
    auto found = platform_.Characteristics(path);
    if (const auto* error = std::get_if<GattError>(&found)) {
      Debug(FormatLine("BluetoothGATTGetCharacteristics - Buffer Size %d\r\n", error->code));
      continue;
    }
    if (visit(path, std::get<std::vector<GattCharacteristic>>(found))) break;
  }
  return static_cast<int>(paths.size());
}

void BleLink::BleSubscribe() {
  if (!IsOn()) return;
  CollectBleAddresses();
  const int listed =
      ForEachMatchingService(CurrentSearch(), [this](const auto& path, const auto& found) {
        SubscribeService(path, found);
        return false;
      });
  Debug(FormatLine("iIdnex = %d\r\n", listed));
}

void BleLink::SubscribeService(const std::string& path,
                               const std::vector<GattCharacteristic>& found) {
  for (const GattCharacteristic& characteristic : found) {
    if (characteristic.short_uuid != kBleStatusCharacteristic || !characteristic.notifiable)
      continue;
    Debug(path + "\r\n");
    Debug(FormatLine("Setting Notification for ServiceHandle %d\n", characteristic.service_handle));
    auto registered = platform_.Subscribe(characteristic, on_notification_);
    if (const auto* error = std::get_if<GattError>(&registered)) {
      Debug(FormatLine("BluetoothGATTRegisterEvent - Actual Data %x\r\n",
                       static_cast<unsigned>(error->code)));
      continue;
    }
    GattSubscription replaced = 0;
    {
      std::lock_guard lock(mutex_);
      replaced = std::exchange(registration_, std::get<GattSubscription>(registered));
    }
    // A replaced registration would go on delivering every status a second
    // time and could never be removed: it ends here.
    if (replaced != 0) platform_.Unsubscribe(replaced);
  }
}

bool BleLink::Probe() {
  CollectBleAddresses();
  SearchState search = CurrentSearch();
  search.vid_filter = kBleVidFilter;
  search.pid_filter = kBlePidFilter;
  bool found = false;
  ForEachMatchingService(search, [&found](const auto&, const auto& characteristics) {
    found = std::any_of(characteristics.begin(), characteristics.end(), [](const auto& c) {
      return c.short_uuid == kBleReportCharacteristic && c.writable;
    });
    return found;
  });
  return found;
}

int32_t BleLink::BleWrite(std::span<const uint8_t> report) {
  const SearchState search = CurrentSearch();
  if (search.vid_filter.empty() || search.pid_filter.empty()) return 0;
  const std::vector<uint8_t> value = BleValue(report);
  if (value.empty()) return 0;
  bool written = false;
  ForEachMatchingService(search, [&](const auto& path, const auto& found) {
    written = WriteToService(path, found, value);
    return written;
  });
  return written ? 1 : 0;
}

bool BleLink::WriteToService(const std::string& path, const std::vector<GattCharacteristic>& found,
                             std::span<const uint8_t> value) {
  for (const GattCharacteristic& characteristic : found) {
    if (characteristic.short_uuid != kBleReportCharacteristic || !characteristic.writable) continue;
    Debug(path + "\r\n");
    Debug(FormatLine("Value Add: %p\r\n", static_cast<const void*>(value.data())));
    if (!platform_.Write(characteristic, value)) {
      Debug(kWriteSuccess);
      return true;
    }
    Debug(kWriteFail);
  }
  return false;
}

void BleLink::Unregister(bool report_success) {
  GattSubscription registration = 0;
  {
    std::lock_guard lock(mutex_);
    registration = std::exchange(registration_, 0);
  }
  if (registration == 0) return;
  if (!platform_.Unsubscribe(registration) && report_success)
    Debug("BluetoothGATTUnregisterEvent Success\r\n");
}

void BleLink::Debug(std::string_view line) const {
  if (debug_) debug_(line);
}

}  // namespace vexel::link
