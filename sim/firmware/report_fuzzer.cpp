// Feeds arbitrary feature reports and macro chunks to the virtual mouse: it
// must refuse or take each one without reading or writing out of bounds.
// Input: records of [link byte][length byte][bytes...].
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "firmware/firmware_model.h"
#include "firmware/state_json.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  vexel::ManualClock clock;
  vexel::sim::FirmwareModel model(clock);
  std::span<const uint8_t> input(data, size);
  while (input.size() >= 2) {
    const auto link = input[0] & 1 ? vexel::sim::Link::kWireless : vexel::sim::Link::kWired;
    const std::size_t length = std::min<std::size_t>(input[1], input.size() - 2);
    model.Receive(link, input.subspan(2, length));
    input = input.subspan(2 + length);
    clock.Advance(vexel::Clock::Ms(10));
    model.Tick();
  }
  model.TakeEmissions();
  for (uint8_t kind = 0; kind < 16; ++kind) model.CurrentReport(kind);
  vexel::sim::StateJson(model);
  return 0;
}
