// Accessible interfaces that keep the names the layouts give their controls.
#pragma once

#include "toolkit/window.h"

class QWidget;

namespace vexel::toolkit::qt {

// Installs them once for the application (before any window is built).
void InstallAccessibleNames();

// The role a screen reader announces for the top-level `window`.
void SetAccessibleRole(QWidget* window, WindowRole role);

}  // namespace vexel::toolkit::qt
