// Which report blocks differ between the edited profile and the baseline that
// was last applied.
#pragma once

#include <array>

#include "store/profile_record.h"

namespace vexel::protocol {

struct DirtyFlags {
  bool performance = false;
  bool polling_rate = false;
  bool lighting = false;
  bool button_map = false;
  std::array<bool, kUsedButtonCount> button{};  // button n at index n - 1: its macro report

  static DirtyFlags All();
  bool Any() const;
  DirtyFlags& operator|=(const DirtyFlags& other);
  friend bool operator==(const DirtyFlags&, const DirtyFlags&) = default;
};

// Compares the listed 32-bit words of the two records. Fields outside every
// list (name, movement_mode, reserved words before 2224, reserved_2376,
// reserved_2388, reserved_colour) mark nothing.
DirtyFlags DetectChanges(const ProfileRecord& edited, const ProfileRecord& baseline);

}  // namespace vexel::protocol
