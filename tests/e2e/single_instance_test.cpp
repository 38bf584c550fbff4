// Two starts of the real program: the second exits with code 1 and the first
// answers. Here, without a mouse and without a tray, the first was started
// hidden (the login entry) and comes forward with its no-mouse state.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "store/store_lock.h"
#include "support/private_x_server.h"
#include "support/run_command.h"

namespace vexel::testing {
namespace {

const std::string kProgram = std::string(VEXEL_BIN_DIR) + "/vexel-mouse";

// Visible windows of the program on the test's own X display.
int VisibleWindows() {
  return static_cast<int>(
      Lines(RunCommand("xdotool search --onlyvisible --classname vexel-mouse").out).size());
}

// A runtime folder of the test's own, and no mouse anywhere: a virtual-mouse
// socket that nobody serves.
void PrivateSession(const TempDir& runtime, const char* platform) {
  ::setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
  ::setenv("VEXEL_VIRTUAL_MOUSE", (runtime / "nobody.sock").c_str(), 1);
  ::setenv("QT_QPA_PLATFORM", platform, 1);
}

TEST(SingleInstance, SecondStartExitsWithOneAndTheFirstAnswers) {
  if (RunCommand("command -v xdotool").exit_code != 0) GTEST_SKIP() << "needs xdotool";
  // A display of its own: windows of tests running beside it are not counted.
  const PrivateXServer server{"800x600x24"};
  if (server.display().empty()) GTEST_SKIP() << "needs Xvfb";
  ::setenv("DISPLAY", server.display().c_str(), 1);
  TempDir runtime;
  PrivateSession(runtime, "xcb");
  EXPECT_EQ(RunCommand(ShellQuote(kProgram) + " --hidden --bogus").exit_code, 2);
  ChildProcess first({kProgram, "--hidden"});
  std::this_thread::sleep_for(std::chrono::seconds(2));
  EXPECT_EQ(VisibleWindows(), 0);
  EXPECT_EQ(RunCommand(ShellQuote(kProgram)).exit_code, 1);
  EXPECT_TRUE(WaitFor([] { return VisibleWindows() == 1; })) << "the window, and no box";

  // SIGTERM ends the first copy through its teardown: exit code 0 and no
  // lock or socket left, so a new start is the first at once.
  EXPECT_EQ(first.Stop(SIGTERM), 0);
  EXPECT_FALSE(std::filesystem::exists(runtime / "Vexel Gaming Mouse.lock"));
  EXPECT_FALSE(std::filesystem::exists(runtime / "Vexel Gaming Mouse.socket"));
  ChildProcess again({kProgram});
  std::this_thread::sleep_for(std::chrono::seconds(1));
  EXPECT_TRUE(again.Running()) << "the new start stays: it is the first";
  EXPECT_EQ(again.Stop(SIGINT), 0);
}

TEST(SingleInstance, AProgramOnAStoreInUseEndsWithOneAndWritesNothing) {
  // A program folder of its own, so the store beside it is a scratch one.
  TempDir folder, runtime;
  const std::filesystem::path program = folder.path() / "vexel-mouse";
  std::filesystem::copy_file(kProgram, program);
  std::filesystem::create_directory_symlink(std::string(VEXEL_BIN_DIR) + "/res", folder / "res");
  const std::filesystem::path store = folder.path() / "Data" / "ms_1";
  // As a copy of the program started from another session holds it.
  const StoreLock holder = StoreLock::TryAcquire(store, kProgramName);
  ASSERT_TRUE(holder.held()) << holder.error();
  PrivateSession(runtime, "offscreen");
  ChildProcess second({program}, "", runtime / "err");
  // Past the single-instance check, SIGTERM closes the box as the user would.
  EXPECT_TRUE(
      WaitFor([&] { return std::filesystem::exists(runtime / "Vexel Gaming Mouse.socket"); }));
  EXPECT_EQ(second.Stop(SIGTERM), 1);
  std::stringstream said;
  said << std::ifstream(runtime / "err").rdbuf();
  EXPECT_NE(said.str().find("in use by vexel-mouse (pid " + std::to_string(getpid())),
            std::string::npos)
      << said.str();
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(store))
    names.push_back(entry.path().filename());
  EXPECT_EQ(names, std::vector<std::string>{kStoreLockFileName});
}

}  // namespace
}  // namespace vexel::testing
