// vexelctl: the command-line companion of the Vexel Gaming Mouse utility.
#include <algorithm>
#include <iostream>
#include <ostream>

#include "command.h"

namespace vexel::ctl {
namespace {

std::vector<Command>& Commands() {
  static std::vector<Command> commands;
  return commands;
}

void PrintHelp(std::ostream& out) {
  out << "usage: vexelctl COMMAND [ARGS]\n\ncommands:\n";
  auto commands = Commands();
  std::sort(commands.begin(), commands.end(),
            [](const Command& a, const Command& b) { return a.name < b.name; });
  for (const Command& command : commands) {
    std::string line = "  " + std::string(command.name);
    if (!command.usage.empty()) line += " " + std::string(command.usage);
    out << line << "\n      " << command.summary << "\n";
  }
}

}  // namespace

void RegisterCommand(const Command& command) {
  Commands().push_back(command);
}

int BadInput(std::ostream& err, std::string_view what, std::string_view why) {
  err << "vexelctl: " << what << ": " << why << "\n";
  return kExitBadInput;
}

std::optional<std::string> TakeOption(Args& args, std::string_view name, bool& missing_value) {
  missing_value = false;
  const auto it = std::find(args.begin(), args.end(), name);
  if (it == args.end()) return std::nullopt;
  if (it + 1 == args.end()) {
    missing_value = true;
    args.erase(it);
    return std::nullopt;
  }
  std::string value = *(it + 1);
  args.erase(it, it + 2);
  return value;
}

}  // namespace vexel::ctl

int main(int argc, char** argv) {
  using namespace vexel::ctl;
  Args args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    PrintHelp(std::cout);
    return args.empty() ? kExitBadInput : kExitOk;
  }
  // "--data DIR" may also stand before the command; every command that uses
  // it takes it from its own arguments.
  Args global;
  while (args.size() >= 2 && args[0] == "--data") {
    global.insert(global.end(), args.begin(), args.begin() + 2);
    args.erase(args.begin(), args.begin() + 2);
  }
  if (args.empty()) {
    PrintHelp(std::cerr);
    return kExitBadInput;
  }
  args.insert(args.begin() + 1, global.begin(), global.end());
  const std::string name = args[0];
  for (const Command& command : Commands()) {
    if (command.name == name) {
      args.erase(args.begin());
      return command.run(std::move(args), std::cout, std::cerr);
    }
  }
  std::cerr << "vexelctl: unknown command '" << name << "' (see vexelctl --help)\n";
  return kExitBadInput;
}
