// What the virtual mouse accepted, read from its state log.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "drivers/sim_process.h"

namespace vexel::testing {

// Report hex the mouse accepted over `link` ("" for any link), in arrival order.
inline std::vector<std::string> Accepted(test::SimProcess& sim, const std::string& link = "") {
  const auto state = nlohmann::json::parse(sim.Ctl("state"));
  std::vector<std::string> hex;
  for (const auto& entry : state["log"]) {
    if (link.empty() || entry["link"] == link) hex.push_back(entry["hex"]);
  }
  return hex;
}

}  // namespace vexel::testing
