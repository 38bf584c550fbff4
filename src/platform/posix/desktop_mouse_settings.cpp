#include "platform/posix/desktop_mouse_settings.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>

namespace vexel {
namespace {

std::filesystem::path FindOnPath(std::string_view search_path, const std::string& program) {
  std::size_t start = 0;
  while (start <= search_path.size()) {
    std::size_t end = search_path.find(':', start);
    if (end == std::string_view::npos) end = search_path.size();
    const std::string_view folder = search_path.substr(start, end - start);
    if (!folder.empty()) {
      std::filesystem::path candidate = std::filesystem::path(folder) / program;
      if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    start = end + 1;
  }
  return {};
}

}  // namespace

const std::vector<SettingsCommand>& KnownMouseSettingsCommands() {
  static const std::vector<SettingsCommand> commands = {
      {"gnome-control-center", {"mouse"}}, {"kcmshell6", {"kcm_mouse"}},
      {"kcmshell5", {"kcm_mouse"}},        {"xfce4-mouse-settings", {}},
      {"mate-mouse-properties", {}},       {"lxqt-config-input", {}},
  };
  return commands;
}

DesktopMouseSettings::DesktopMouseSettings(const char* path,
                                           const std::vector<SettingsCommand>& commands) {
  const char* search = path != nullptr ? path : std::getenv("PATH");
  if (search == nullptr) return;
  for (const SettingsCommand& command : commands) {
    program_ = FindOnPath(search, command.program);
    if (!program_.empty()) {
      arguments_ = command.arguments;
      return;
    }
  }
}

bool DesktopMouseSettings::Open() {
  if (program_.empty()) return false;
  // Everything exec needs is built before fork: the child of a threaded
  // program may only make async-signal-safe calls.
  std::vector<std::string> words{program_.string()};
  words.insert(words.end(), arguments_.begin(), arguments_.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  const pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    // A grandchild in its own session: it is not our child to reap and does
    // not end with us.
    ::setsid();
    const pid_t grandchild = ::fork();
    if (grandchild == 0) {
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::_exit(grandchild < 0 ? 1 : 0);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return true;  // reaped elsewhere; the start itself went ahead
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace vexel
