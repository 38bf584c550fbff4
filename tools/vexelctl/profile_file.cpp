#include "profile_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "command.h"

namespace vexel::ctl {

bool ReadExactProfileFile(const std::string& path, ProfileRecord& out, std::ostream& err) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    BadInput(err, path, "is a folder, not a profile file");
    return false;
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    BadInput(err, path, std::strerror(errno));
    return false;
  }
  file.read(reinterpret_cast<char*>(&out), sizeof(ProfileRecord));
  const std::streamsize got = file.gcount();
  const bool longer = got == sizeof(ProfileRecord) && file.peek() != std::char_traits<char>::eof();
  if (got != sizeof(ProfileRecord) || longer) {
    BadInput(err, path,
             "not a profile record (must be exactly " + std::to_string(sizeof(ProfileRecord)) +
                 " bytes)");
    return false;
  }
  return true;
}

}  // namespace vexel::ctl
