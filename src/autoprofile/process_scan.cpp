#include "autoprofile/process_scan.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <string_view>

#include "store/file_io.h"

namespace vexel {
namespace {

// A stat line is about 300 bytes; its name is at most 64.
constexpr std::size_t kStatBytes = 4096;
// Fields after the name: 3 (state) is the first, 22 (start time) the 20th.
constexpr int kStartTimeField = 22;
constexpr int kFirstFieldAfterName = 3;

struct Process {
  long pid = 0;
  std::string name;
  unsigned long long start_time = 0;  // clock ticks after boot
};

// "PID (NAME) S PPID ...": the name runs from the first '(' to the last ')',
// since a name may hold spaces and parentheses of its own.
std::optional<Process> ParseStat(long pid, std::string_view line) {
  const std::size_t open = line.find('(');
  const std::size_t close = line.rfind(')');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open) {
    return std::nullopt;
  }
  Process process{pid, std::string(line.substr(open + 1, close - open - 1)), 0};
  std::string_view rest = line.substr(close + 1);
  for (int field = kFirstFieldAfterName; field <= kStartTimeField; ++field) {
    const std::size_t start = rest.find_first_not_of(' ');
    if (start == std::string_view::npos) return std::nullopt;
    rest.remove_prefix(start);
    const std::size_t end = std::min(rest.find(' '), rest.size());
    if (field == kStartTimeField) {
      const auto [last, ec] = std::from_chars(rest.data(), rest.data() + end, process.start_time);
      if (ec != std::errc() || last != rest.data() + end) return std::nullopt;
      return process;
    }
    rest.remove_prefix(end);
  }
  return std::nullopt;
}

// Calls `visit` for each process of `proc_root` whose stat reads whole.
void ForEachProcess(const std::filesystem::path& proc_root,
                    const std::function<void(const Process&)>& visit) {
  std::error_code ec;
  for (std::filesystem::directory_iterator it(proc_root, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string entry = it->path().filename().string();
    long pid = 0;
    const auto [last, parsed] = std::from_chars(entry.data(), entry.data() + entry.size(), pid);
    if (parsed != std::errc() || last != entry.data() + entry.size() || pid <= 0) continue;
    const FileRead read = ReadFilePrefix(it->path() / "stat", kStatBytes);
    if (!read) continue;  // gone meanwhile, or not readable
    const std::string_view line(reinterpret_cast<const char*>(read.bytes.data()),
                                read.bytes.size());
    if (const auto process = ParseStat(pid, line)) visit(*process);
  }
}

}  // namespace

std::optional<AppInFront> NewestRuledProcess(const std::filesystem::path& proc_root,
                                             const AppRules& rules) {
  std::optional<Process> newest;
  ForEachProcess(proc_root, [&](const Process& process) {
    if (newest &&
        std::tie(process.start_time, process.pid) < std::tie(newest->start_time, newest->pid)) {
      return;
    }
    if (RuleForApp(rules, AppInFront{"", "", process.name})) newest = process;
  });
  if (!newest) return std::nullopt;
  return AppInFront{"", "", newest->name};
}

std::vector<std::string> RunningProcessNames(const std::filesystem::path& proc_root) {
  std::vector<std::string> names;
  ForEachProcess(proc_root, [&](const Process& process) {
    if (!process.name.empty()) names.push_back(process.name);
  });
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

}  // namespace vexel
