#pragma once

#include <string_view>

namespace vexel::sim {

// The two driver links, the cable and the 2.4 GHz receiver, and Bluetooth LE.
enum class Link { kWired, kWireless, kBle };

constexpr std::string_view LinkName(Link link) {
  return link == Link::kWired ? "wired" : link == Link::kWireless ? "wireless" : "ble";
}

}  // namespace vexel::sim
