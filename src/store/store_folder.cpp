#include "store/store_folder.h"

#include <unistd.h>

#include <cstdlib>
#include <string>
#include <system_error>

namespace vexel {
namespace {

// A directory counts as usable only when a file can really be made in it: the
// permission bits say nothing on a read-only mount or for root.
bool CanWriteIn(const std::filesystem::path& folder) {
  std::string probe = (folder / ".write-probe-XXXXXX").string();
  const int fd = ::mkstemp(probe.data());
  if (fd < 0) return false;
  ::close(fd);
  ::unlink(probe.c_str());
  return true;
}

bool MakeWritableFolder(const std::filesystem::path& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return std::filesystem::is_directory(folder, ec) && CanWriteIn(folder);
}

}  // namespace

std::filesystem::path ProgramFolder() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return std::filesystem::current_path(ec);
  return exe.parent_path();
}

std::filesystem::path ResolveStoreFolder(const std::filesystem::path& program_folder,
                                         const char* xdg_data_home, const char* home) {
  // An installed copy keeps every user's store at home, also for root, who
  // could write the program folder: nothing outside the package's own files
  // may appear under the prefix.
  std::error_code ec;
  const bool installed = std::filesystem::exists(program_folder / kInstalledMarker, ec);
  const auto portable = program_folder / "Data";
  if (!installed && MakeWritableFolder(portable)) return portable;

  std::filesystem::path data_home;
  if (xdg_data_home && xdg_data_home[0] == '/') {
    data_home = xdg_data_home;
  } else if (home && home[0] != '\0') {
    data_home = std::filesystem::path(home) / ".local" / "share";
  } else {
    return {};
  }
  const auto fallback = data_home / "vexel-mouse" / "Data";
  return MakeWritableFolder(fallback) ? fallback : std::filesystem::path{};
}

std::filesystem::path StoreFolder() {
  return ResolveStoreFolder(ProgramFolder(), std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
}

StorePaths DefaultStorePaths() {
  auto folder = StoreFolder();
  // With no usable folder at all the paths stay relative to the program
  // folder: loads find nothing and saves fail, as on any unwritable disk.
  if (folder.empty()) folder = ProgramFolder() / "Data";
  return StorePaths{folder / "ms_1"};
}

}  // namespace vexel
