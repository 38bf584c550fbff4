// What the macro editor takes from the program around it besides the store:
// the hook library's entry table (for recording), the message box and the
// keyboard layout that names keys. The main window lends the first two, the
// program's entry the layout; the settings page hands all of it to every
// editor it opens.
#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include "platform/hook_library.h"
#include "platform/keyboard_layout.h"

namespace vexel {
namespace toolkit {
class Toolkit;
class Window;
}  // namespace toolkit

struct MacroEditorHost {
  // Shows the modal message box over `parent` with a title and a message given
  // as language keys and a plain detail line (may be empty); 1 for OK, 0
  // otherwise. Without one every question is answered 0 and nothing is shown.
  using MessageBox = std::function<int(toolkit::Toolkit& toolkit, toolkit::Window* parent,
                                       std::string_view title_key, std::string_view message_key,
                                       std::string_view detail)>;

  const HookEntries* hooks = nullptr;  // owned by the main window; null: no recording
  MessageBox message_box{};
  // Names the keys whose name depends on the layout (letters, digits,
  // punctuation); without one those keys show no name.
  std::shared_ptr<const KeyboardLayout> keyboard_layout{};
  // Diagnostic lines ("iTotalNum = %d"); nowhere when empty.
  std::function<void(std::string_view line)> debug{};
  // The hook library sees only input that goes to X11 windows (a Wayland
  // session): the editor says so beside the record button.
  bool input_capture_x11_only = false;
};

}  // namespace vexel
