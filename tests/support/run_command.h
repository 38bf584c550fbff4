// Runs a program of the build for end-to-end tests and captures what it says.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace vexel::testing {

struct CommandResult {
  int exit_code = -1;
  std::string out;
  std::string err;
};

inline std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Runs `command_line` through the shell; stdout and stderr are kept apart.
inline CommandResult RunCommand(const std::string& command_line) {
  const auto err_path =
      std::filesystem::temp_directory_path() / ("vexel-test-err-" + std::to_string(::getpid()));
  CommandResult result;
  FILE* pipe = ::popen((command_line + " 2>" + ShellQuote(err_path.string())).c_str(), "r");
  if (pipe == nullptr) return result;
  std::array<char, 4096> buffer{};
  std::size_t got = 0;
  while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
    result.out.append(buffer.data(), got);
  const int status = ::pclose(pipe);
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream err_file(err_path);
  result.err.assign(std::istreambuf_iterator<char>(err_file), {});
  std::filesystem::remove(err_path);
  return result;
}

// Report hex as vexelctl prints it ("0c 0a ...") in the virtual mouse's
// form ("0c0a...").
inline std::string WithoutSpaces(std::string text) {
  std::erase(text, ' ');
  return text;
}

// The lines of a command's output.
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

// Asks `done` every 10 ms until it holds or `seconds` pass; its last answer.
template <typename Done>
bool WaitFor(Done done, double seconds = 10) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return done();
}

inline const std::string& Vexelctl() {
  static const std::string path = std::string(VEXEL_BIN_DIR) + "/vexelctl";
  return path;
}

// A program started beside the test, its stdout and stderr sent to files when
// named; ended with SIGTERM at the latest when it goes.
class ChildProcess {
 public:
  explicit ChildProcess(std::vector<std::string> args, const std::string& out = "",
                        const std::string& err = "") {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (const auto& [fd, file] : {std::pair{1, &out}, {2, &err}}) {
      if (!file->empty())
        posix_spawn_file_actions_addopen(&actions, fd, file->c_str(), O_WRONLY | O_CREAT, 0600);
    }
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    if (posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~ChildProcess() { Stop(SIGTERM); }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return pid_ > 0; }
  bool Running() { return pid_ > 0 && waitpid(pid_, &status_, WNOHANG) == 0; }
  // Sends `signal` if it still runs and waits: its exit code, -1 if a signal ended it.
  int Stop(int signal) {
    if (Running()) {
      kill(pid_, signal);
      waitpid(pid_, &status_, 0);
    }
    pid_ = -1;
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
  }

 private:
  pid_t pid_ = -1;
  int status_ = -1;
};

// A fresh folder under the system's temporary folder, removed afterwards.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vexel-test-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace vexel::testing
