// The Bluetooth LE transport: finds the mouse's vendor GATT service among the
// system's services, subscribes to its status characteristic 0xFEE4 and writes
// reports to 0xFEE3.
//
// Threads: SwitchOn, SwitchOff, BleSubscribe and CollectBleAddresses run on
// the UI thread; BleWrite runs on the apply worker, possibly while the UI
// thread switches the link off. One mutex guards the filters, the address
// table and the registration; it is never held across a platform call.
// BleWrite copies filters and addresses under it and then works on the copy,
// so a write that started before SwitchOff may still finish, and a write that
// starts after SwitchOff returned does nothing. The notification callback runs
// on the platform's thread and never touches the link. The debug sink is
// called from both threads. The platform outlives the link, and no BleWrite
// may be running when the link is destroyed.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "link/ble/debug_line.h"
#include "platform/gatt_platform.h"

namespace vexel::link {

// Text a service path must contain (after upper-casing) while the link is on.
inline constexpr char kBleVidFilter[] = "VID&02045E";
inline constexpr char kBlePidFilter[] = "PID&0040";
inline constexpr uint16_t kBleReportCharacteristic = 0xFEE3;
inline constexpr uint16_t kBleStatusCharacteristic = 0xFEE4;
inline constexpr std::size_t kBleAddressEntries = 100;
inline constexpr std::size_t kBleAddressLength = 260;
// The written value: a 4-byte little-endian byte count, then the report.
inline constexpr std::size_t kBleCountLength = 4;
inline constexpr std::size_t kBleValueCapacity = 1000;

// The value written for `report`; empty when it would not fit the capacity.
std::vector<uint8_t> BleValue(std::span<const uint8_t> report);

class BleLink {
 public:
  BleLink(GattPlatform& platform, GattNotification on_notification, DebugSink debug = {});
  ~BleLink();
  BleLink(const BleLink&) = delete;
  BleLink& operator=(const BleLink&) = delete;

  // UI thread. On: copies the filters in and subscribes. Off: empties them and
  // removes the registration, if any.
  void SwitchOn();
  void SwitchOff();
  void BleSubscribe();
  void CollectBleAddresses();

  // UI thread. Whether a connected device offers the mouse's writable report
  // characteristic, for a start-up probe that finds no HID node of the mouse
  // (the virtual mouse on a bus). Rebuilds the address table; on or off stays.
  bool Probe();

  // Any thread. 1 when a write succeeded, else 0.
  int32_t BleWrite(std::span<const uint8_t> report);

  bool IsOn() const;
  // The addresses stored by the last collection, in table order.
  std::vector<std::string> Addresses() const;

 private:
  struct AddressEntry {
    bool stored = false;
    std::string address;
  };
  // What a service search needs, copied out under the mutex.
  struct SearchState {
    std::string vid_filter;
    std::string pid_filter;
    std::vector<std::string> addresses;  // upper case, non-empty
  };
  // Called with each matching service's path and characteristics; true stops the search.
  using ServiceVisitor =
      std::function<bool(const std::string& path, const std::vector<GattCharacteristic>&)>;

  SearchState CurrentSearch() const;
  // Visits the matching services; returns the number of service paths listed.
  int ForEachMatchingService(const SearchState& search, const ServiceVisitor& visit);
  bool WriteToService(const std::string& path, const std::vector<GattCharacteristic>& found,
                      std::span<const uint8_t> value);
  void SubscribeService(const std::string& path, const std::vector<GattCharacteristic>& found);
  void Unregister(bool report_success);
  void Debug(std::string_view line) const;

  GattPlatform& platform_;
  const GattNotification on_notification_;
  const DebugSink debug_;

  mutable std::mutex mutex_;
  std::string vid_filter_;
  std::string pid_filter_;
  std::array<AddressEntry, kBleAddressEntries> ble_addresses_;
  std::size_t address_count_ = 0;
  GattSubscription registration_ = 0;  // 0: none
};

}  // namespace vexel::link
