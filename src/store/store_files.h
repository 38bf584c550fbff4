// pro.data (a StoreHeader followed by ProfileRecords) and macro.data (a
// sequence of MacroRecords): reading, repairing and crash-safe writing.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "store/file_io.h"
#include "store/macro_record.h"
#include "store/profile_record.h"
#include "store/store_folder.h"
#include "store/store_header.h"

namespace vexel {

// What a load found. `repaired` is set whenever the bytes were not a sound
// store (partial tail, no complete record, selection outside the list, a name
// without terminator, a count above 46); the loaded state is then repaired.
struct LoadReport {
  bool file_missing = false;  // could not be opened; a new store was made
  bool repaired = false;
  std::size_t dropped_bytes = 0;  // bytes of a partial header or record that were not used
  std::string error;              // why the file could not be read, when it could not
  std::string save_error;         // why the new default store could not be written
};

// Repairs that make a record safe for the rest of the program: a name without
// a terminator gets one in its last unit; action counts are clamped to 0-46.
// True when something was changed.
bool RepairProfile(ProfileRecord& record);
bool RepairMacro(MacroRecord& record);

// Parses pro.data bytes into `profiles` (replaced) and `header`: complete
// records only; with none, one default profile named from `add_profile_text`;
// a selection outside the list becomes 0.
LoadReport ParseProfiles(std::span<const std::byte> bytes, ProfileList& profiles,
                         StoreHeader& header, std::u16string_view add_profile_text);
LoadReport ParseMacros(std::span<const std::byte> bytes, MacroLibrary& macros);

Bytes SerializeProfiles(const ProfileList& profiles, const StoreHeader& header);
Bytes SerializeMacros(const MacroLibrary& macros);

// The largest pro.data and macro.data a load reads: far above any real store
// (about 8000 profiles, 280000 macros). A larger file is refused as damaged.
inline constexpr std::size_t kMaxProfilesFileSize = std::size_t{256} << 20;
inline constexpr std::size_t kMaxMacrosFileSize = std::size_t{64} << 20;

// True for the length of a well-formed file within its cap.
bool IsSoundProfilesSize(std::uintmax_t size);
bool IsSoundMacrosSize(std::uintmax_t size);

// The caps a change of the store keeps to, so that it never makes a store the
// loads refuse. Smaller caps are for tests.
struct StoreCaps {
  std::uintmax_t profiles_file = kMaxProfilesFileSize;
  std::uintmax_t macros_file = kMaxMacrosFileSize;
};

// Success when a store of `profile_count` profiles and `macro_count` macros
// keeps within `caps`; otherwise a failure naming the file and its cap.
SaveResult CheckStoreCaps(const StorePaths& paths, std::size_t profile_count,
                          std::size_t macro_count, const StoreCaps& caps = {});

struct ProfileLoadOptions {
  // When pro.data cannot be opened, write the new default store at once (the
  // program's first start). Off for read-only callers.
  bool save_new_store = true;
};

LoadReport LoadProfiles(const StorePaths& paths, ProfileList& profiles, StoreHeader& header,
                        std::u16string_view add_profile_text, ProfileLoadOptions options = {});
LoadReport LoadMacros(const StorePaths& paths, MacroLibrary& macros);

// Writes the whole file crash-safely, creating the store folder when missing.
// A damaged file about to be replaced is kept beside it first. A failure names
// the file and the reason; the old file is then untouched. Content past the
// file's cap is refused before anything is written.
SaveResult SaveProfiles(const StorePaths& paths, const ProfileList& profiles,
                        const StoreHeader& header);
SaveResult SaveMacros(const StorePaths& paths, const MacroLibrary& macros);

// The two-step form of the saves, for callers that replace both files
// together: both are written first and only then committed, macro.data first
// (a profile may name a macro, never the other way round).
[[nodiscard]] std::optional<PendingFile> PrepareProfilesSave(const StorePaths& paths,
                                                             const Bytes& bytes,
                                                             SaveResult& failure);
[[nodiscard]] std::optional<PendingFile> PrepareMacrosSave(const StorePaths& paths,
                                                           const Bytes& bytes, SaveResult& failure);

// Something added to the store and the result of saving it. `added` is empty
// when nothing was added (an import file that could not be read); `result`
// then names that file.
template <typename T>
struct [[nodiscard]] StoreChange {
  std::optional<T> added;
  SaveResult result;
  explicit operator bool() const { return added.has_value() && result.ok; }
};

// Appends a new empty macro (AppendNewMacro), saves the library and returns
// the macro's position.
StoreChange<int> AddMacro(const StorePaths& paths, MacroLibrary& macros,
                          std::u16string_view add_macro_text);

}  // namespace vexel
