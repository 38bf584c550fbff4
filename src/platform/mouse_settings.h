// The desktop's own mouse settings (pointer speed, acceleration, handedness),
// opened from the settings page.
#pragma once

namespace vexel {

class MouseSettings {
 public:
  virtual ~MouseSettings() = default;
  // True when this machine has a settings program to open.
  virtual bool Available() const = 0;
  // Starts it without waiting for it; false when it could not be started.
  virtual bool Open() = 0;
};

}  // namespace vexel
