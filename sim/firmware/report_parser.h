// The virtual mouse's own reading of the wire: which reports it knows, how long
// each is, which carry a checksum and where, and how the driver links cut a
// macro report into chunks. Written from the wire description and the report
// layouts alone, never with the program's encoders or frame checks, so that a
// framing or checksum fault in the program is refused here.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <variant>

#include "firmware/link.h"

namespace vexel::sim {

// Why the mouse refused a report or chunk.
enum class Refusal {
  kEmpty,
  kUnknownKind,
  kLength,      // the size does not fit the kind
  kLengthByte,  // byte 1 does not say the size
  kTag,         // byte 2 is not 0x01 (or no button 1-18 in a macro)
  kChecksum,
  kTrailingBytes,  // something after the checksum or the body
  kResetBody,
  kPollingComplement,
  kPairCount,    // a macro claims more pairs than it has room for
  kCopies,       // a value sent twice differs from its copy
  kChunkMarker,  // byte 1 of a chunk does not fit its place and link
  kChunkIndex,
  kChunkOrder,  // a chunk out of turn, or for another button
  kByteCount,   // a Bluetooth value whose 4-byte count does not say its size
  kNotOverBle,  // a kind the mouse does not take over Bluetooth
};

// The text `ctl state` shows for a refusal.
std::string_view RefusalReason(Refusal refusal);

// Checks a whole report: kind, length, tag, checksum, the zeros after it and
// the kind's own guards. Empty when the mouse takes it.
std::optional<Refusal> CheckReport(std::span<const uint8_t> report);

// Writes a fresh checksum into a held report after the mouse changed it.
void Reseal(std::span<uint8_t> report);

struct ChunkHeader {
  int button;  // 1-18
  int index;   // 0-2
};

// Checks one 64-byte macro chunk as it may arrive over `link`: its header, or
// why it was refused. The order of chunks is the assembler's business.
std::variant<ChunkHeader, Refusal> CheckChunk(Link link, std::span<const uint8_t> chunk);

}  // namespace vexel::sim
