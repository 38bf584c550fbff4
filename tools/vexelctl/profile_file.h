#pragma once

#include <iosfwd>
#include <string>

#include "store/profile_record.h"

namespace vexel::ctl {

// Reads a *.pro record that must be exactly one record long; reports a bad
// file as one line naming it.
bool ReadExactProfileFile(const std::string& path, ProfileRecord& out, std::ostream& err);

}  // namespace vexel::ctl
