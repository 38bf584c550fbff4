// The block at the start of pro.data. Only selected_profile has a meaning; the
// rest is carried through a load and a save byte for byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
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

// The header is large, so it always lives on the heap.
inline std::unique_ptr<StoreHeader> MakeZeroHeader() {
  auto header = std::make_unique<StoreHeader>();
  std::memset(header.get(), 0, sizeof(StoreHeader));
  return header;
}

}  // namespace vexel
