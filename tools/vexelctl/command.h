// vexelctl's command table. Each command file registers its commands with a
// static CommandRegistrar, so adding a command touches no shared list.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexel::ctl {

// Exit statuses shared by every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;    // the operation ran and did not succeed
inline constexpr int kExitBadInput = 2;  // bad arguments, unreadable or damaged files

using Args = std::vector<std::string>;

struct Command {
  std::string_view name;
  std::string_view usage;    // what follows the name, for --help
  std::string_view summary;  // one line for --help
  int (*run)(Args args, std::ostream& out, std::ostream& err);
};

void RegisterCommand(const Command& command);

struct CommandRegistrar {
  explicit CommandRegistrar(const Command& command) { RegisterCommand(command); }
};

// Writes "vexelctl: <what>: <why>" as one line and returns kExitBadInput.
int BadInput(std::ostream& err, std::string_view what, std::string_view why);

// Removes "--name VALUE" from args and returns VALUE; std::nullopt when the
// option is absent. Sets `missing_value` when the option is last with no value.
std::optional<std::string> TakeOption(Args& args, std::string_view name, bool& missing_value);

}  // namespace vexel::ctl
