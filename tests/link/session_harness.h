// The device session alone for tests: fake driver libraries, a manual clock,
// a message queue in place of the main window, and an observer that records
// what the page would show. No toolkit.
#pragma once

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "link/device_session.h"
#include "messages/app_messages.h"
#include "support/fake_driver_library.h"
#include "support/run_command.h"

namespace vexel::testing {

// What the session asked to be shown, as short words in order.
class RecordingObserver final : public SessionObserver {
 public:
  void ShowLinkIcon(LinkIcon icon, bool visible) override {
    const char* names[] = {"wired", "wireless", "ble"};
    seen.push_back(names[static_cast<int>(icon)] + std::string(visible ? "+" : "-"));
  }
  void RefreshLinkControls() override { seen.push_back("refresh"); }
  void OnDevicePresenceChanged() override { seen.push_back("presence"); }
  void OnDpiStageFromMouse(int stage, int32_t dpi) override {
    seen.push_back("dpi " + std::to_string(stage) + " " + std::to_string(dpi));
  }
  void ShowBatteryLevel(int percent) override {
    seen.push_back("battery " + std::to_string(percent));
  }
  void StopChargingAnimation() override { seen.push_back("charging stop"); }
  void SetWirelessTimeout(bool running) override {
    seen.push_back(running ? "timeout+" : "timeout-");
  }
  void OnProfilesSaved(std::string_view, std::string_view error) override {
    seen.push_back(error.empty() ? "saved" : "save failed");
  }
  std::vector<std::string> Take() { return std::exchange(seen, {}); }
  bool Saw(const std::string& word) const { return std::ranges::count(seen, word) > 0; }

  std::vector<std::string> seen;
};

class SessionHarness {
 public:
  SessionHarness() : store(StorePaths{data.path()}) {}
  ~SessionHarness() { session.reset(); }

  void Start() {
    session = std::make_unique<DeviceSession>(
        SessionServices{clock, loader, probe, "/program", debug, gatt_platform}, store,
        VexelPostTarget{&SessionHarness::Post, this});
    session->SetObserver(&observer);
    session->Start();
    session->AdoptStartupStore(LoadStoreAtStartup(store, u"Profile"));
  }
  // Runs what the monitors and the worker posted, as the main window would.
  void Pump() {
    for (;;) {
      std::deque<std::tuple<uint32_t, uintptr_t, intptr_t>> taken;
      {
        std::lock_guard lock(mutex);
        taken.swap(queue);
      }
      if (taken.empty()) return;
      for (auto [id, wparam, lparam] : taken)
        EXPECT_TRUE(session->HandleMessage(id, wparam, lparam)) << "message " << id;
    }
  }
  // One apply to its end, with the queue pumped meanwhile.
  void Apply() {
    session->ForwardApplyRequest();
    session->worker()->WaitIdle();
    Pump();
  }
  // The first byte (the report kind) of each report sent over the cable since `before`.
  std::vector<uint8_t> KindsSince(std::size_t before) {
    std::vector<uint8_t> kinds;
    const auto sent = wired.Sent();
    for (std::size_t i = before; i < sent.size(); ++i) kinds.push_back(sent[i].at(0));
    return kinds;
  }
  ProfileRecord Edited() {
    auto access = store.Lock();
    return *access->EditedProfile();
  }

  static void Post(void* context, uint32_t id, uintptr_t wparam, intptr_t lparam) {
    auto* self = static_cast<SessionHarness*>(context);
    std::lock_guard lock(self->mutex);
    self->queue.emplace_back(id, wparam, lparam);
  }

  // The pauses of delivery pass at once: the worker never waits in a test.
  ManualClock clock;
  FakeDriverState wired;
  FakeDriverState wireless;
  FakeLibraryLoader loader{wired, wireless};
  FakeHidProbe probe;
  TempDir data;
  ProfileStore store;
  RecordingObserver observer;
  std::mutex mutex;
  std::deque<std::tuple<uint32_t, uintptr_t, intptr_t>> queue;
  // Set before Start: the session's Bluetooth stack and debug output.
  link::GattPlatform* gatt_platform = nullptr;
  std::function<void(std::string_view)> debug;
  std::unique_ptr<DeviceSession> session;
};

}  // namespace vexel::testing
