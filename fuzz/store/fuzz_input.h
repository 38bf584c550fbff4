// Turns a fuzzer input into file bytes. Inputs with an odd first byte are used
// raw (short and odd-sized files); the others patch a sound file: bytes 1-3
// give the offset (little-endian, modulo the file length) where the rest of
// the input is written, and bit 1 of the first byte cuts the file right after
// the patch. That reaches deep fields and partial records of large files
// without the fuzzer having to grow inputs to hundreds of kilobytes.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "store/file_io.h"

namespace vexel::fuzz {

inline Bytes RawOrPatched(const uint8_t* data, size_t size, Bytes sound) {
  if (size == 0) return {};
  if ((data[0] & 1) != 0 || size < 4) {
    const auto* first = reinterpret_cast<const std::byte*>(data + 1);
    return Bytes(first, first + (size - 1));
  }
  const size_t offset = (data[1] | (data[2] << 8) | (data[3] << 16)) % sound.size();
  const size_t length = std::min(size - 4, sound.size() - offset);
  std::memcpy(sound.data() + offset, data + 4, length);
  if ((data[0] & 2) != 0) sound.resize(offset + length);
  return sound;
}

template <typename Record>
Bytes BytesOf(const Record& record) {
  const auto* first = reinterpret_cast<const std::byte*>(&record);
  return Bytes(first, first + sizeof(Record));
}

// std::equal on std::byte compiles to a per-byte loop that the coverage
// instrumentation traces byte by byte; memcmp keeps large compares cheap.
inline bool SameBytes(const Bytes& a, const Bytes& b) {
  // Empty vectors may have no buffer at all, and memcmp must not see null.
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size()) == 0);
}

// A broken invariant is a crash the fuzzer reports with its input.
inline void Require(bool holds) {
  if (!holds) std::abort();
}

}  // namespace vexel::fuzz
