// Feeds an arbitrary byte stream to the virtual-mouse framing: every message
// cut from it must parse or be refused without going out of bounds.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "virtual_mouse_wire.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  namespace wire = vexel::wire;
  wire::FrameReader reader;
  // Arbitrary split points: the first byte says how large the pieces are.
  const std::size_t piece = size > 0 ? data[0] % 17 + 1 : 1;
  for (std::size_t at = 0; at < size; at += piece) {
    reader.Append({data + at, std::min(piece, size - at)});
    while (auto message = reader.Next()) {
      wire::ParseHello(*message);
      wire::ParseStatus(*message);
      wire::ReplyOk(*message);
      wire::ReplyData(*message);
    }
  }
  return 0;
}
