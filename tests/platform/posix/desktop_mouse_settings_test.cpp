// The desktop's mouse settings: which command is found and that it is really
// started, detached, with its arguments.
#include "platform/posix/desktop_mouse_settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "support/run_command.h"

namespace vexel {
namespace {

// A program on a private PATH that writes its arguments to `out`.
void WriteProgram(const testing::TempDir& dir, const std::string& name, const std::string& out) {
  const std::string path = dir / name;
  std::ofstream(path) << "#!/bin/sh\necho \"$@\" > " << out << ".tmp && mv " << out << ".tmp "
                      << out << "\n";
  ::chmod(path.c_str(), 0755);
}

TEST(DesktopMouseSettings, TheFirstInstalledCommandIsStartedWithItsArguments) {
  const struct {
    std::vector<std::string> installed;
    std::string expected;  // program started; empty: none
    std::string arguments;
  } cases[] = {
      {{"kcmshell5", "xfce4-mouse-settings"}, "kcmshell5", "kcm_mouse"},
      {{"xfce4-mouse-settings", "gnome-control-center"}, "gnome-control-center", "mouse"},
      {{"lxqt-config-input"}, "lxqt-config-input", ""},
      {{}, "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    testing::TempDir bin, out;
    for (const std::string& name : c.installed) WriteProgram(bin, name, out / "started");
    const std::string path = "/nonexistent:" + bin.path().string();
    DesktopMouseSettings settings(path.c_str());
    EXPECT_EQ(settings.Available(), !c.expected.empty());
    if (c.expected.empty()) {
      EXPECT_FALSE(settings.Open());
      continue;
    }
    EXPECT_EQ(settings.program().filename(), c.expected);
    ASSERT_TRUE(settings.Open());
    // The program runs on its own; wait for its trace (bounded).
    testing::WaitFor([&] { return std::filesystem::exists(out / "started"); });
    std::string arguments;
    std::getline(std::ifstream(out / "started"), arguments);
    EXPECT_EQ(arguments, c.arguments);
  }
}

}  // namespace
}  // namespace vexel
