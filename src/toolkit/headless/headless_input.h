// UserInput of the headless toolkit.
#pragma once

#include "toolkit/user_input.h"

namespace vexel::toolkit::headless {

class HeadlessToolkit;

using HeadlessUserInput = ToolkitUserInput<HeadlessToolkit>;

}  // namespace vexel::toolkit::headless
