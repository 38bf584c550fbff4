// An application-in-front source for tests: the test says what is in front,
// on its own thread, as the desktop would.
#pragma once

#include <string>
#include <utility>

#include "platform/active_window.h"

namespace vexel {

class FakeActiveWindow final : public ActiveWindowSource {
 public:
  // Empty: Start succeeds; else Start fails with this reason.
  std::string start_error;
  AppInFront in_front;

  bool Start(Listener listener, std::string& error) override {
    if (!start_error.empty()) {
      error = start_error;
      return false;
    }
    listener_ = std::move(listener);
    listener_(in_front);
    return true;
  }
  void Stop() override { listener_ = nullptr; }

  bool Started() const { return listener_ != nullptr; }
  void Bring(AppInFront app) {
    in_front = std::move(app);
    if (listener_) listener_(in_front);
  }

 private:
  Listener listener_;
};

}  // namespace vexel
