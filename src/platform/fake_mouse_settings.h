// MouseSettings for tests: says whether it is available and counts the opens.
#pragma once

#include "platform/mouse_settings.h"

namespace vexel {

class FakeMouseSettings : public MouseSettings {
 public:
  explicit FakeMouseSettings(bool available = true) : available_(available) {}
  bool Available() const override { return available_; }
  bool Open() override {
    ++opened;
    return available_;
  }
  int opened = 0;

 private:
  bool available_;
};

}  // namespace vexel
