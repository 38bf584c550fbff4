// The arrival wait of the driver links without blocking: a device that
// arrives enumerates for DeviceSession::kArrivalWait before it is opened, and
// the thread that handles the link messages keeps running meanwhile.
#pragma once

#include "platform/clock.h"

namespace vexel {

enum class DriverLink { kWired, kWireless };

// One-shot waits, one per link, run by the owner of the UI thread's timers.
// When a wait ends the owner calls DeviceSession::OnArrivalWaitOver on the UI
// thread.
class ArrivalTimer {
 public:
  virtual ~ArrivalTimer() = default;
  // Starts the wait of `link`, restarting it if it runs.
  virtual void StartArrivalWait(DriverLink link, Clock::Ms wait) = 0;
  virtual void StopArrivalWait(DriverLink link) = 0;
};

}  // namespace vexel
