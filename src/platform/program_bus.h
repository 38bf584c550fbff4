// The running program's D-Bus interface on the session bus: its names, and
// the client side that vexelctl uses to reach it. The program serves it
// (src/app); packaging/dbus/ holds its introspection XML.
#pragma once

#include <string>
#include <vector>

namespace vexel {

inline constexpr char kProgramBusName[] = "io.github.vexel_mouse.VexelMouse";
inline constexpr char kProgramObjectPath[] = "/io/github/vexel_mouse/VexelMouse";
inline constexpr char kProgramInterface[] = "io.github.vexel_mouse.VexelMouse1";

// A method's string result, or why there is none (the bus error's message:
// a refused assignment arrives here as the program wrote it).
struct ProgramReply {
  bool ok = false;
  std::string value;
  std::string error;
};

class ProgramBus {
 public:
  virtual ~ProgramBus() = default;
  // Calls a method that takes strings (and, when `list` is given, a list of
  // strings last) and returns one string.
  virtual ProgramReply Call(const std::string& method, const std::vector<std::string>& strings,
                            const std::vector<std::string>* list = nullptr) = 0;
  // The Profiles and SelectedProfile properties; false when unreachable.
  virtual bool Profiles(std::vector<std::string>& names, int& selected, std::string& error) = 0;
};

}  // namespace vexel
