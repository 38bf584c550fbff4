// UserInput of the Qt toolkit: acts through the widgets (clicks, current
// rows, edits), so the notifications come from the same signals a person's
// input raises.
#pragma once

#include "toolkit/user_input.h"

namespace vexel::toolkit::qt {

class QtToolkit;

using QtUserInput = ToolkitUserInput<QtToolkit>;

}  // namespace vexel::toolkit::qt
