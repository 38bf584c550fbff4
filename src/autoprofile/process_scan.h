// For sessions that cannot tell which window is in front (Wayland): a rule
// applies while a process of its name runs. Reads a proc folder ("/proc", or
// a scratch copy in tests) as untrusted input: processes come and go during
// the scan and a stat line may hold anything in its name.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "autoprofile/app_rules.h"
#include "platform/active_window.h"

namespace vexel {

// The most recently started process (latest start time, then highest pid)
// whose name a rule of `rules` names, as an AppInFront with only the process name;
// std::nullopt when none runs (the program then goes back to the default).
std::optional<AppInFront> NewestRuledProcess(const std::filesystem::path& proc_root,
                                             const AppRules& rules);

// The names of the processes running now, sorted, each once (completions
// for a new rule).
std::vector<std::string> RunningProcessNames(const std::filesystem::path& proc_root);

}  // namespace vexel
