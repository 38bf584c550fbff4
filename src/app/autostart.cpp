#include "app/autostart.h"

#include <span>
#include <system_error>

#include "app/main_wnd.h"
#include "store/store_folder.h"
#include "store/store_lock.h"

namespace vexel {
namespace {

// An argument as the Exec key of a desktop entry takes it: quoted when it
// holds anything but plain characters, with the quoting rules' escapes and
// then the string escape of backslashes; "%" is doubled.
std::string ExecArgument(std::string_view argument) {
  const bool plain = argument.find_first_of(" \t\n\"'\\><~|&;$*?#()`%=") == std::string_view::npos;
  if (plain && !argument.empty()) return std::string(argument);
  std::string quoted = "\"";
  for (char c : argument) {
    if (c == '"' || c == '`' || c == '$') quoted += "\\\\";
    if (c == '\\') quoted += "\\\\\\";
    if (c == '%') quoted += '%';
    quoted += c;
  }
  return quoted + "\"";
}

}  // namespace

std::filesystem::path AutostartFile(const char* xdg_config_home, const char* home) {
  std::filesystem::path config;
  if (xdg_config_home != nullptr && std::filesystem::path(xdg_config_home).is_absolute()) {
    config = xdg_config_home;
  } else if (home != nullptr && std::filesystem::path(home).is_absolute()) {
    config = std::filesystem::path(home) / ".config";
  } else {
    return {};
  }
  return config / "autostart" / (std::string(kDesktopEntry) + ".desktop");
}

std::string AutostartCommand(const std::filesystem::path& program_folder) {
  std::error_code error;
  const bool installed = std::filesystem::exists(program_folder / kInstalledMarker, error);
  const std::string program = installed ? std::string(kProgramName)
                                        : ExecArgument((program_folder / kProgramName).string());
  return program + " " + kHiddenOption;
}

bool AutostartEnabled(const std::filesystem::path& file) {
  std::error_code error;
  return !file.empty() && std::filesystem::is_regular_file(file, error);
}

SaveResult SwitchAutostart(const std::filesystem::path& file, bool on, std::string_view command) {
  std::error_code error;
  if (!on) {
    if (std::filesystem::remove(file, error) || !error) return SaveResult::Success(file);
    return SaveResult::Failure(file, file.string() + ": " + error.message());
  }
  if (command.find('\n') != std::string_view::npos) {
    return SaveResult::Failure(file, file.string() + ": the program's path holds a line break");
  }
  std::filesystem::create_directories(file.parent_path(), error);
  if (error) return SaveResult::Failure(file, file.parent_path().string() + ": " + error.message());
  const std::string entry = std::string("[Desktop Entry]\nType=Application\nName=") +
                            kMainWindowClass + "\nExec=" + std::string(command) +
                            "\nIcon=" + kDesktopEntry +
                            "\nTerminal=false\nX-GNOME-Autostart-enabled=true\n";
  return WriteFileAtomically(file, std::as_bytes(std::span(entry)));
}

}  // namespace vexel
