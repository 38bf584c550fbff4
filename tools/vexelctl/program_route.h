// Commands that read or change the store reach the running program over its
// D-Bus interface when it holds that store, and print what the same command
// prints without it.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "command.h"
#include "store/store_lock.h"

namespace vexel::ctl {

// The store folder that --data names in `args` (left in place), or the
// program's own.
std::filesystem::path PeekStoreFolder(const Args& args);

// True when the running program holds the lock of the store in `folder` and
// answers on the session bus.
bool ProgramHoldsStore(const std::filesystem::path& folder);

// Calls `method` of the running program and prints its string result with a
// final newline; a refusal is one line on `err` and exit status 2.
int CallProgramAndPrint(const std::string& what, const std::string& method,
                        const std::vector<std::string>& strings, std::ostream& out,
                        std::ostream& err, const std::vector<std::string>* list = nullptr);

// For `profiles`, `import-profile` and `import-macro`: when the program holds
// the store that `args` names, runs the command through it and returns its
// exit status; std::nullopt when the command is to run on the store itself.
std::optional<int> RunStoreCommandThroughProgram(const std::string& command, const Args& args,
                                                 std::ostream& out, std::ostream& err);

// For set and select: the program's reply (JSON with the reports it sent)
// printed as the report lines of apply, with the same exit status.
int PrintProgramApply(const std::string& reply, std::ostream& out, std::ostream& err);
// Calls `method` and prints its reply as PrintProgramApply does.
int CallProgramApply(const std::string& what, const std::string& method,
                     const std::vector<std::string>& strings, std::ostream& out, std::ostream& err,
                     const std::vector<std::string>* list = nullptr);

}  // namespace vexel::ctl
