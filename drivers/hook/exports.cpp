// The seven entry points over one HookController, made on first use and
// destroyed (capture stopped, thread joined) when the library is unloaded.
#include "hook.h"
#include "hook_controller.h"

namespace {

using vexel::hook::HookController;
using Hook = HookController::Hook;

HookController& Controller() {
  static HookController controller;
  return controller;
}

int32_t Result(bool ok) {
  return ok ? 1 : 0;
}

}  // namespace

extern "C" {

int32_t installmousehook(const VexelPostTarget* window) {
  return Result(Controller().Install(Hook::kButtons, window));
}

int32_t removemousehook(void) {
  return Result(Controller().Remove(Hook::kButtons));
}

int32_t enablemousehook(int32_t enable) {
  Controller().Enable(Hook::kButtons, enable != 0);
  return 1;
}

int32_t installhook(const VexelPostTarget* window) {
  return Result(Controller().Install(Hook::kKeys, window));
}

int32_t removehook(void) {
  return Result(Controller().Remove(Hook::kKeys));
}

int32_t enablehook(int32_t enable) {
  Controller().Enable(Hook::kKeys, enable != 0);
  return 1;
}

int32_t mousewheelenable(int32_t enable) {
  Controller().EnableWheel(enable != 0);
  return 1;
}

}  // extern "C"
