#include "profile_file.h"

#include <cstring>
#include <ostream>

#include "command.h"
#include "store/file_io.h"

namespace vexel::ctl {

bool ReadExactProfileFile(const std::string& path, ProfileRecord& out, std::ostream& err) {
  // One byte past the record tells a longer file from an exact one.
  const FileRead read = ReadFilePrefix(path, sizeof(ProfileRecord) + 1);
  if (!read) {
    BadInput(err, "profile file", read.error);
    return false;
  }
  if (read.bytes.size() != sizeof(ProfileRecord)) {
    BadInput(err, path,
             "not a profile record (must be exactly " + std::to_string(sizeof(ProfileRecord)) +
                 " bytes)");
    return false;
  }
  std::memcpy(&out, read.bytes.data(), sizeof(ProfileRecord));
  return true;
}

}  // namespace vexel::ctl
