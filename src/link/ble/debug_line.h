// Diagnostics of the device link: whole lines, each ending with its newline,
// handed to whoever shows them (standard output, a trace, nowhere).
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace vexel::link {

using DebugSink = std::function<void(std::string_view line)>;

// printf-style formatting into a string.
std::string FormatLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace vexel::link
