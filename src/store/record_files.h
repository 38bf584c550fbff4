// Single-record files: a *.pro file is one raw ProfileRecord, a *.macro file
// one raw MacroRecord, with no header. Export writes the record; import reads
// it into the lists with unique names.
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "store/macro_record.h"
#include "store/profile_record.h"
#include "store/store_files.h"
#include "store/store_folder.h"
#include "store/store_header.h"

namespace vexel {

// True when `file` is the same file as one of the files of `store` (followed
// through links and compared by device and inode, not by name).
bool IsStoreFile(const std::filesystem::path& file, const StorePaths& store);

// True when `file`, followed through links, bears the name of one of a store's
// own files (pro.data, macro.data, store.lock) in whatever folder: a record
// written there would replace a store. For writers that know no store.
bool HasStoreFileName(const std::filesystem::path& file);

// Exports through the crash-safe writer. Writing onto a file of `live_store`
// (the store in use) is refused: it would replace the store with one record.
SaveResult WriteProfileFile(const std::filesystem::path& file, const ProfileRecord& profile,
                            const StorePaths& live_store);
SaveResult WriteMacroFile(const std::filesystem::path& file, const MacroRecord& macro,
                          const StorePaths& live_store);

// A record from the first bytes of a file's content, repaired like a loaded
// record; std::nullopt when the content is shorter than the record. Bytes after
// the record are ignored.
std::optional<ProfileRecord> ProfileFromFileBytes(std::span<const std::byte> bytes);
std::optional<MacroRecord> MacroFromFileBytes(std::span<const std::byte> bytes);

// The record of a file; std::nullopt (and `error`) when it cannot be opened or
// is shorter than the record.
std::optional<ProfileRecord> ReadProfileFile(const std::filesystem::path& file, std::string* error);
std::optional<MacroRecord> ReadMacroFile(const std::filesystem::path& file, std::string* error);

// The texts of default names, given to records imported with an empty name
// ("add_profile_text" and "add_macro_text" followed by the new list length).
struct DefaultNameTexts {
  std::u16string_view add_profile_text;
  std::u16string_view add_macro_text;
};

struct ProfileImport {
  int profile_index = -1;
  std::vector<int> macro_indexes;  // library positions of the macros it brought
};

// The in-memory steps of a profile import: the profile gets a unique name, is
// appended and selected (header.selected_profile); every macro-bound slot
// (0-17) becomes a new library macro with a unique name, and the slot names and
// points at it. Nothing is saved.
ProfileImport AddImportedProfile(ProfileRecord profile, ProfileList& profiles, StoreHeader& header,
                                 MacroLibrary& macros, const DefaultNameTexts& texts);

// The macro gets a unique name and is appended; returns its position. Nothing
// is saved.
int AddImportedMacro(MacroRecord macro, MacroLibrary& macros, std::u16string_view add_macro_text);

// Whole imports on a store folder: read the file, add it, and save the macro
// library when it grew (pro.data is left to the next apply). A file that cannot
// be read or is too short is refused: the lists stay as they were, `added` is
// empty and `result` names the file (the caller shows "import_fail_text").
StoreChange<ProfileImport> ImportProfileFile(const StorePaths& paths,
                                             const std::filesystem::path& file,
                                             ProfileList& profiles, StoreHeader& header,
                                             MacroLibrary& macros, const DefaultNameTexts& texts);
StoreChange<int> ImportMacroFile(const StorePaths& paths, const std::filesystem::path& file,
                                 MacroLibrary& macros, std::u16string_view add_macro_text);

}  // namespace vexel
