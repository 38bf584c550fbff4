// Real-time delivery against the virtual mouse: the wall time of a full apply
// over the cable, over the receiver and over Bluetooth (on a private bus),
// divided by the sum of the pauses the delivery rules require for the sends
// that were made. Prints each run and the median ratio per link.
// Usage: bench_apply_timing [RUNS]
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <optional>
#include <thread>

#include "drivers/sim_process.h"
#include "link/device_session.h"
#include "link/session_loop.h"
#include "platform/linux/bluez/bluez_gatt_platform.h"
#include "platform/linux/bluez/private_bus.h"
#include "platform/posix/dl_library_loader.h"
#include "platform/posix/hidapi_probe.h"
#include "protocol/report_delivery.h"
#include "support/run_command.h"

namespace vexel {
namespace {

using Clock_ = std::chrono::steady_clock;
using protocol::DeliveryTiming;

// Pauses the rules require for the sends the mouse saw on `link`: every send
// of a plain report (500 ms each on the receiver), every macro chunk (200 ms
// on the cable, 1000 ms on the receiver), and 500 ms after each report (over
// Bluetooth, where a macro goes whole, only that).
double RequiredMs(const nlohmann::json& state, const std::string& link) {
  const bool wired = link == "wired";
  double ms = 0;
  std::string last_report;  // a plain report's bytes, or a macro's first chunk
  for (const auto& entry : state["log"]) {
    if (entry["link"] != link) continue;
    const std::string hex = entry["hex"];
    const bool chunk = hex.size() == 2 * protocol::kMacroChunkLength && hex.rfind("09", 0) == 0;
    if (chunk) {
      ms +=
          (wired ? DeliveryTiming::kWiredChunkPause : DeliveryTiming::kWirelessChunkPause).count();
    } else if (link == "wireless") {
      ms += DeliveryTiming::kWirelessSendPause.count();
    }
    // A repeat on the receiver is the same report again, not a new one.
    const bool starts_report = !chunk || hex.substr(6, 2) == "00";
    if (starts_report && hex != last_report) {
      ms += DeliveryTiming::kAfterDelivery.count();
      last_report = hex;
    }
  }
  return ms;
}

struct Route {
  std::string link;  // as the mouse's log names it
  std::vector<std::string> unplug;
};

double TimeOneApply(const Route& route) {
  const std::string& link = route.link;
  const bool bluetooth = link == "ble";
  test::SimProcess sim(bluetooth);
  if (!sim.ready()) return -1;
  ::setenv("VEXEL_VIRTUAL_MOUSE", sim.socket().c_str(), 1);
  for (const std::string& unplugged : route.unplug) sim.Ctl("unplug " + unplugged);
  testing::TempDir data;
  SteadyClock clock;
  DlLibraryLoader loader;
  HidapiProbe probe;
  SessionLoop loop(clock);
  ProfileStore store(StorePaths{data.path()});
  std::optional<bluez::BluezGattPlatform> gatt;
  if (bluetooth) gatt.emplace();
  DeviceSession session(
      SessionServices{clock, loader, probe, VEXEL_BIN_DIR, {}, gatt ? &*gatt : nullptr}, store,
      loop.PostTarget());
  session.Start();
  session.AdoptStartupStore(LoadStoreAtStartup(store, u"Profile"));
  session.SetBleConnected(session.links().ble_link != 0);
  loop.PumpUntil(session, std::chrono::seconds(5), [&] {
    return session.links().wired_link == 1 || session.links().wireless_ready ||
           session.links().ble_link != 0;
  });
  {
    // One macro-bound button, so the chunked macro report is timed too.
    auto access = store.Lock();
    ButtonSlot& slot = access->EditedProfile()->button[5];
    slot.function_code = kFunctionMacro;
    slot.macro_action_count = 2;
    slot.macro_actions[0] = {4, kActionPress, 30};
    slot.macro_actions[1] = {4, kActionRelease, 30};
  }
  protocol::ApplyWorker* worker = session.worker();
  const uint64_t before = worker->ProcessedCount();
  const auto start = Clock_::now();
  session.SetFullApplyPending(true);
  session.ForwardApplyRequest();
  loop.PumpUntil(session, std::chrono::seconds(120),
                 [&] { return worker->ProcessedCount() > before && worker->IsIdle(); });
  const double wall = std::chrono::duration<double, std::milli>(Clock_::now() - start).count();
  const double required = RequiredMs(nlohmann::json::parse(sim.Ctl("state")), link);
  std::printf("%-8s wall %7.1f ms, required pauses %7.1f ms, ratio %.4f\n", link.c_str(), wall,
              required, wall / required);
  return wall / required;
}

}  // namespace
}  // namespace vexel

int main(int argc, char** argv) {
  const int runs = std::max(1, argc > 1 ? std::atoi(argv[1]) : 5);
  // The mouse's Bluetooth side and the link meet on a bus of their own.
  vexel::bluez::PrivateSystemBus bus;
  const vexel::Route routes[] = {
      {"wired", {"receiver"}}, {"wireless", {"wired"}}, {"ble", {"wired", "receiver"}}};
  for (const vexel::Route& route : routes) {
    if (route.link == "ble" && !bus.running()) {
      std::printf("no private bus (dbus-daemon): the ble link is not timed\n");
      continue;
    }
    std::vector<double> ratios;
    for (int i = 0; i < runs; ++i) ratios.push_back(vexel::TimeOneApply(route));
    std::sort(ratios.begin(), ratios.end());
    std::printf("median ratio over the %s link: %.4f\n", route.link.c_str(),
                ratios[ratios.size() / 2]);
  }
  return 0;
}
