// Change detection and the encoding of a full apply: the work the apply worker
// does before the first byte leaves.
#include <benchmark/benchmark.h>

#include "protocol/apply_cycle.h"
#include "protocol/change_detection.h"
#include "protocol/recording_host.h"
#include "protocol/reports.h"

namespace vexel::protocol {
namespace {

std::unique_ptr<ProfileRecord> BusyProfile() {
  auto profile = MakeZeroProfile();
  ApplyProfileDefaults(*profile);
  for (int n = 0; n < kUsedButtonCount; ++n) {
    ButtonSlot& slot = profile->button[n];
    slot.function_code = kFunctionMacro;
    slot.macro_action_count = kMaxMacroActions;
    for (int k = 0; k < kMaxMacroActions; ++k) {
      slot.macro_actions[k] = {static_cast<uint8_t>(4 + k), static_cast<uint8_t>(1 + k % 2),
                               static_cast<uint16_t>(k * 97)};
    }
  }
  return profile;
}

void BM_DetectChanges(benchmark::State& state) {
  auto edited = BusyProfile();
  auto baseline = std::make_unique<ProfileRecord>(*edited);
  baseline->button[17].macro_actions[45].delay = 1;
  for (auto _ : state) benchmark::DoNotOptimize(DetectChanges(*edited, *baseline));
}
BENCHMARK(BM_DetectChanges);

// DetectChanges plus every report of a full apply with 18 macro-bound buttons.
void BM_DetectAndEncodeFullApply(benchmark::State& state) {
  auto edited = BusyProfile();
  auto baseline = MakeZeroProfile();
  for (auto _ : state) {
    benchmark::DoNotOptimize(DetectChanges(*edited, *baseline));
    benchmark::DoNotOptimize(ResetReport());
    benchmark::DoNotOptimize(EncodePerformanceReport(*edited));
    benchmark::DoNotOptimize(LightingReport(*edited));
    benchmark::DoNotOptimize(PollingRateReport(*edited));
    benchmark::DoNotOptimize(EncodeButtonMapReport(*edited));
    for (int n = 1; n <= kUsedButtonCount; ++n) {
      benchmark::DoNotOptimize(EncodeMacroReport(n, edited->button[n - 1]));
    }
  }
}
BENCHMARK(BM_DetectAndEncodeFullApply);

// A whole cycle through a host that only records (snapshot copy included).
void BM_ApplyCycleFull(benchmark::State& state) {
  auto edited = BusyProfile();
  RecordingHost host(*edited);
  ApplyCycle cycle(host);
  cycle.SetApplyBlocked(false);
  for (auto _ : state) {
    cycle.SetFullApplyPending(true);
    host.reports.clear();
    cycle.Run();
  }
}
BENCHMARK(BM_ApplyCycleFull);

}  // namespace
}  // namespace vexel::protocol

BENCHMARK_MAIN();
