// MouseSettings on a Linux desktop: the first of the known settings commands
// that is installed (GNOME, KDE Plasma 6 and 5, Xfce, MATE, LXQt), started
// detached so that it outlives neither more nor less than the user wants.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/mouse_settings.h"

namespace vexel {

struct SettingsCommand {
  std::string program;  // looked up on PATH
  std::vector<std::string> arguments;
};

// The known commands, most common desktops first.
const std::vector<SettingsCommand>& KnownMouseSettingsCommands();

class DesktopMouseSettings : public MouseSettings {
 public:
  // `path`: the PATH to search (the environment's when null).
  explicit DesktopMouseSettings(
      const char* path = nullptr,
      const std::vector<SettingsCommand>& commands = KnownMouseSettingsCommands());
  bool Available() const override { return !program_.empty(); }
  bool Open() override;
  const std::filesystem::path& program() const { return program_; }

 private:
  std::filesystem::path program_;  // empty when none was found
  std::vector<std::string> arguments_;
};

}  // namespace vexel
