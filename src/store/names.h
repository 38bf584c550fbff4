// Name rules shared by the profile list and the macro library: names are
// compared without regard to case and kept unique within their list.
#pragma once

#include <string>
#include <string_view>

#include "store/macro_record.h"
#include "store/profile_record.h"

namespace vexel {

inline constexpr std::size_t kProfileNameMaxChars = kProfileNameUnits - 1;  // 99
inline constexpr std::size_t kMacroNameMaxChars = kMacroNameUnits - 1;      // 23

// True when some record of the list has a name equal to `name` without regard
// to case.
bool NameExists(const ProfileList& profiles, std::u16string_view name);
bool NameExists(const MacroLibrary& macros, std::u16string_view name);

// `proposal` when it is free, else the first free "<proposal>_<n>" for n = 1,
// 2, ...; the result keeps the proposal's letter case and always fits the
// list's name field (99 units for profiles, 23 for macros): a proposal is cut
// so that it and its suffix fit.
std::u16string MakeUniqueName(const ProfileList& profiles, std::u16string_view proposal);
std::u16string MakeUniqueName(const MacroLibrary& macros, std::u16string_view proposal);

// `text` followed by the decimal `number`: the proposal of a default name
// ("Profile" and 3 give "Profile3").
std::u16string NumberedProposal(std::u16string_view text, std::size_t number);

// Appends a record with the defaults, named `add_profile_text` followed by the
// new list length (made unique), and returns it. Nothing is saved.
ProfileRecord& AddDefaultProfile(ProfileList& profiles, std::u16string_view add_profile_text);

// Appends an empty macro named `add_macro_text` followed by the new library
// length (made unique) and returns it. Nothing is saved (AddMacro saves).
MacroRecord& AppendNewMacro(MacroLibrary& macros, std::u16string_view add_macro_text);

}  // namespace vexel
