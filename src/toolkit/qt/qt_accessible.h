// Accessible interfaces that keep the names the layouts give their controls.
#pragma once

namespace vexel::toolkit::qt {

// Installs them once for the application (before any window is built).
void InstallAccessibleNames();

}  // namespace vexel::toolkit::qt
