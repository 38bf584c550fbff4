#pragma once

#include <string_view>

namespace vexel::sim {

// The two driver links: the cable and the 2.4 GHz receiver.
enum class Link { kWired, kWireless };

constexpr std::string_view LinkName(Link link) {
  return link == Link::kWired ? "wired" : "wireless";
}

}  // namespace vexel::sim
