// "Start with the desktop": the user's own login entry, an XDG autostart
// file that starts the program without its window. Opt-in only: nothing is
// installed into the system's autostart folder.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "store/file_io.h"

namespace vexel {

// The option that starts the program without showing its window.
inline constexpr char kHiddenOption[] = "--hidden";

// <config home>/autostart/io.github.vexel_mouse.VexelMouse.desktop, the config
// home taken from `xdg_config_home` (when absolute) or `home` (+ .config).
// Empty when neither is usable.
std::filesystem::path AutostartFile(const char* xdg_config_home, const char* home);

// The command of the login entry: "vexel-mouse --hidden" for an installed
// copy (on PATH); a copy run from its own folder is named by its full path,
// which is all a login session can find it by.
std::string AutostartCommand(const std::filesystem::path& program_folder);

bool AutostartEnabled(const std::filesystem::path& file);
// Writes the entry (crash-safe) or removes it; a failure names the file.
SaveResult SwitchAutostart(const std::filesystem::path& file, bool on, std::string_view command);

}  // namespace vexel
