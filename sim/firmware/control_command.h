// The commands of `vexel-mouse-sim ctl`, applied to a model. No I/O: the server
// passes the words in and sends the answer back.
#pragma once

#include <span>
#include <string>

#include "firmware/firmware_model.h"

namespace vexel::sim {

struct ControlResult {
  bool ok;
  std::string text;  // the state JSON, "ok", or why the command was refused
};

ControlResult ApplyControlCommand(FirmwareModel& model, std::span<const std::string> words);

// One line per command, for the usage text.
extern const char* const kControlUsage;

}  // namespace vexel::sim
