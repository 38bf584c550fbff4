// Fakes of the two driver libraries, the hook library and the HID probe for
// the page and main-window tests: each library's entry points are plain
// functions bound to a FakeDriverState, so the page loads them exactly as it
// loads the real ones. One harness at a time: the entry points are bound to
// the states of the last FakeLibraryLoader made.
#pragma once

#include <algorithm>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "hiddriver/hiddriver.h"
#include "platform/hid_probe.h"
#include "platform/library_loader.h"

namespace vexel::testing {

struct FakeDriverState {
  // What the library answers.
  int32_t open_result = 1;
  int32_t set_feature_result = 1;
  // What the page did, in order ("Set_VIDPID 7511 64097", "Open_FeatureDevice", ...).
  std::vector<std::string> calls;
  std::vector<std::vector<uint8_t>> sent;
  VexelPostTarget target{};
  uint32_t status_message = 0;
  uint32_t connection_message = 0;
  std::mutex mutex;  // SetFeature runs on the worker thread

  void Record(std::string call) {
    std::lock_guard lock(mutex);
    calls.push_back(std::move(call));
  }
  std::vector<std::string> Calls() {
    std::lock_guard lock(mutex);
    return calls;
  }
  std::vector<std::vector<uint8_t>> Sent() {
    std::lock_guard lock(mutex);
    return sent;
  }
  int CountCalls(const std::string& call) {
    return static_cast<int>(std::ranges::count(Calls(), call));
  }
  // As the driver's monitor thread does.
  void PostStatus(uint16_t code, uint16_t value) {
    target.post(target.ctx, status_message, code, value);
  }
  void PostConnection(bool arrived) {
    target.post(target.ctx, connection_message, arrived ? 1 : 0, 0);
  }
};

template <int kSlot>
struct FakeDriverEntries {
  static inline FakeDriverState* state = nullptr;

  static void SetVidPid(int32_t vendor, int32_t product) {
    state->Record("Set_VIDPID " + std::to_string(vendor) + " " + std::to_string(product));
  }
  static void OpenDevMonitor(const VexelPostTarget* window, uint32_t status, uint32_t connection) {
    state->target = *window;
    state->status_message = status;
    state->connection_message = connection;
    state->Record("Open_DevMonitor " + std::to_string(status) + " " + std::to_string(connection));
  }
  static void CloseDevMonitor() { state->Record("Close_DevMonitor"); }
  static int32_t OpenFeatureDevice() {
    state->Record("Open_FeatureDevice");
    return state->open_result;
  }
  static void CloseFeatureDevice() { state->Record("Close_FeatureDevice"); }
  static int32_t SetFeature(const uint8_t* report, int32_t length) {
    std::lock_guard lock(state->mutex);
    state->sent.emplace_back(report, report + length);
    return state->set_feature_result;
  }
  static int32_t GetFeature(uint8_t*, int32_t) { return 0; }
};

// One library: its entry points, and "unload" recorded when it goes.
template <int kSlot>
class FakeDriverLibrary final : public DynamicLibrary {
 public:
  ~FakeDriverLibrary() override { state_->Record("unload"); }
  void* Symbol(const char* name) override {
    using E = FakeDriverEntries<kSlot>;
    const std::map<std::string, void*, std::less<>> symbols = {
        {"Set_VIDPID", reinterpret_cast<void*>(&E::SetVidPid)},
        {"Open_DevMonitor", reinterpret_cast<void*>(&E::OpenDevMonitor)},
        {"Close_DevMonitor", reinterpret_cast<void*>(&E::CloseDevMonitor)},
        {"Open_FeatureDevice", reinterpret_cast<void*>(&E::OpenFeatureDevice)},
        {"Close_FeatureDevice", reinterpret_cast<void*>(&E::CloseFeatureDevice)},
        {"SetFeature", reinterpret_cast<void*>(&E::SetFeature)},
        {"GetFeature", reinterpret_cast<void*>(&E::GetFeature)}};
    const auto it = symbols.find(std::string_view(name));
    return it == symbols.end() ? nullptr : it->second;
  }

 private:
  FakeDriverState* state_ = FakeDriverEntries<kSlot>::state;  // the one that loaded it
};

// Serves "hiddriver_2.so" (wired) and "hiddriver_1.so" (wireless) from the
// two states; any other library is missing unless added to `present`.
class FakeLibraryLoader final : public LibraryLoader {
 public:
  FakeLibraryLoader(FakeDriverState& wired, FakeDriverState& wireless) {
    FakeDriverEntries<0>::state = &wired;
    FakeDriverEntries<1>::state = &wireless;
  }
  std::unique_ptr<DynamicLibrary> Load(const std::string& path, std::string* error) override {
    const std::string file = path.substr(path.find_last_of('/') + 1);
    if (!missing.contains(file) && file == "hiddriver_2.so")
      return std::make_unique<FakeDriverLibrary<0>>();
    if (!missing.contains(file) && file == "hiddriver_1.so")
      return std::make_unique<FakeDriverLibrary<1>>();
    if (error != nullptr) *error = "cannot open " + file;
    return nullptr;
  }

  std::map<std::string, bool> missing;
};

class FakeHidProbe final : public HidProbe {
 public:
  bool DevicePresent(uint16_t vendor_id, uint16_t product_id) override {
    asked_vendor = vendor_id;
    asked_product = product_id;
    return present;
  }
  bool present = false;
  uint16_t asked_vendor = 0;
  uint16_t asked_product = 0;
};

}  // namespace vexel::testing
