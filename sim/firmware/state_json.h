#pragma once

#include <string>

#include "firmware/firmware_model.h"

namespace vexel::sim {

// The model's state as the `ctl state` command prints it: the links, the
// battery and the settings the mouse holds, the last accepted report of each
// kind in lowercase hex ("09": an object keyed by button number), the log of
// accepted reports and chunks, and the count of refused ones.
std::string StateJson(const FirmwareModel& model);

}  // namespace vexel::sim
