// The block at the start of pro.data. Only selected_profile has a meaning; the
// rest is carried through a load and a save byte for byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <type_traits>

namespace vexel {

inline constexpr std::size_t kStoreHeaderSize = 164964;

struct StoreHeader {
  int32_t selected_profile;  // list position of the profile selected at the last save
  uint8_t reserved[kStoreHeaderSize - 4];
};
static_assert(sizeof(StoreHeader) == kStoreHeaderSize);
static_assert(std::is_standard_layout_v<StoreHeader>);
static_assert(std::is_trivial_v<StoreHeader>);
static_assert(offsetof(StoreHeader, selected_profile) == 0);

struct FreeStoreHeader {
  void operator()(StoreHeader* header) const { std::free(header); }
};
using StoreHeaderPtr = std::unique_ptr<StoreHeader, FreeStoreHeader>;

// The header is large, so it always lives on the heap. Its reserved bytes are
// nearly always zero: allocated zeroed by the system (calloc) and written
// only where they differ (AssignHeader), those pages are never touched and
// cost no memory.
inline StoreHeaderPtr MakeZeroHeader() {
  auto* header = static_cast<StoreHeader*>(std::calloc(1, sizeof(StoreHeader)));
  if (header == nullptr) throw std::bad_alloc();
  return StoreHeaderPtr(header);
}

// Sets the header to `bytes` (kStoreHeaderSize of them), or to zeros when
// `bytes` is null, writing only the pages that change.
void AssignHeader(StoreHeader& header, const std::byte* bytes);

}  // namespace vexel
