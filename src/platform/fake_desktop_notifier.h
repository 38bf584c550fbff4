// A desktop notifier for tests: keeps what it was given.
#pragma once

#include <vector>

#include "platform/desktop_notifier.h"

namespace vexel {

class FakeDesktopNotifier final : public DesktopNotifier {
 public:
  bool Notify(const DesktopNotification& notification) override {
    shown.push_back(notification);
    return true;
  }
  std::vector<DesktopNotification> shown;
};

}  // namespace vexel
