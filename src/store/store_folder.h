// Where the store files live: "Data/ms_1/" in the program folder, or the same
// below $XDG_DATA_HOME/vexel-mouse/ when the program folder is not writable
// (an installed copy).
#pragma once

#include <filesystem>

namespace vexel {

// The folder that holds pro.data and macro.data.
struct StorePaths {
  std::filesystem::path folder;

  std::filesystem::path ProfilesFile() const { return folder / "pro.data"; }
  std::filesystem::path MacrosFile() const { return folder / "macro.data"; }
};

// Folder of the running executable.
std::filesystem::path ProgramFolder();

// A file of this name in the program folder marks an installed copy (the
// install rules put it there): its store is never kept in the program folder.
inline constexpr char kInstalledMarker[] = "installed-copy";

// The "Data" folder in use, created when missing: `program_folder`/Data when
// it can be created and written and the copy is not installed, otherwise <data home>/vexel-mouse/Data with
// the data home taken from `xdg_data_home` (when absolute) or `home`
// (+ .local/share). Empty when neither works.
std::filesystem::path ResolveStoreFolder(const std::filesystem::path& program_folder,
                                         const char* xdg_data_home, const char* home);

// ResolveStoreFolder for this process and its environment.
std::filesystem::path StoreFolder();

// StoreFolder()/ms_1: the store of this program.
StorePaths DefaultStorePaths();

}  // namespace vexel
