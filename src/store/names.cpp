#include "store/names.h"

#include "store/utf16_name.h"

namespace vexel {
namespace {

template <typename List>
bool NameExistsIn(const List& list, std::u16string_view name) {
  for (const auto& record : list) {
    if (EqualsIgnoringCase(NameView(record->name), name)) return true;
  }
  return false;
}

// The first `max_units` units of `text`, without splitting a surrogate pair.
std::u16string_view CutToUnits(std::u16string_view text, std::size_t max_units) {
  if (text.size() <= max_units) return text;
  std::size_t length = max_units;
  if (length > 0 && text[length - 1] >= 0xD800 && text[length - 1] <= 0xDBFF) --length;
  return text.substr(0, length);
}

template <typename List>
std::u16string UniqueNameIn(const List& list, std::u16string_view proposal, std::size_t max_units) {
  proposal = CutToUnits(proposal, max_units);
  if (!NameExistsIn(list, proposal)) return std::u16string(proposal);
  // Each list holds finitely many names, so some n among the first size()+1 is free.
  for (std::size_t n = 1;; ++n) {
    const std::string digits = "_" + std::to_string(n);
    std::u16string candidate(CutToUnits(proposal, max_units - digits.size()));
    candidate.append(digits.begin(), digits.end());
    if (!NameExistsIn(list, candidate)) return candidate;
  }
}

}  // namespace

std::u16string NumberedProposal(std::u16string_view text, std::size_t number) {
  std::u16string proposal(text);
  const std::string digits = std::to_string(number);
  proposal.append(digits.begin(), digits.end());
  return proposal;
}

bool NameExists(const ProfileList& profiles, std::u16string_view name) {
  return NameExistsIn(profiles, name);
}

bool NameExists(const MacroLibrary& macros, std::u16string_view name) {
  return NameExistsIn(macros, name);
}

std::u16string MakeUniqueName(const ProfileList& profiles, std::u16string_view proposal) {
  return UniqueNameIn(profiles, proposal, kProfileNameMaxChars);
}

std::u16string MakeUniqueName(const MacroLibrary& macros, std::u16string_view proposal) {
  return UniqueNameIn(macros, proposal, kMacroNameMaxChars);
}

ProfileRecord& AddDefaultProfile(ProfileList& profiles, std::u16string_view add_profile_text) {
  const auto proposal = NumberedProposal(add_profile_text, profiles.size() + 1);
  auto record = MakeZeroProfile();
  ApplyProfileDefaults(*record);
  SetName(record->name, MakeUniqueName(profiles, proposal));
  profiles.push_back(std::move(record));
  return *profiles.back();
}

MacroRecord& AppendNewMacro(MacroLibrary& macros, std::u16string_view add_macro_text) {
  const auto proposal = NumberedProposal(add_macro_text, macros.size() + 1);
  auto record = MakeZeroMacro();
  SetName(record->name, MakeUniqueName(macros, proposal));
  macros.push_back(std::move(record));
  return *macros.back();
}

}  // namespace vexel
