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
#include "store/store_folder.h"
#include "store/store_header.h"

namespace vexel {

bool WriteProfileFile(const std::filesystem::path& file, const ProfileRecord& profile,
                      std::string* error = nullptr);
bool WriteMacroFile(const std::filesystem::path& file, const MacroRecord& macro,
                    std::string* error = nullptr);

// A record from the first bytes of a file's content, repaired like a loaded
// record; std::nullopt when the content is shorter than the record. Bytes after
// the record are ignored.
std::optional<ProfileRecord> ProfileFromFileBytes(std::span<const std::byte> bytes);
std::optional<MacroRecord> MacroFromFileBytes(std::span<const std::byte> bytes);

// The record of a file; std::nullopt (and `error`) when it cannot be opened or
// is shorter than the record.
std::optional<ProfileRecord> ReadProfileFile(const std::filesystem::path& file, std::string* error);
std::optional<MacroRecord> ReadMacroFile(const std::filesystem::path& file, std::string* error);

struct ProfileImport {
  int profile_index = -1;
  std::vector<int> macro_indexes;  // library positions of the macros it brought
};

// The in-memory steps of a profile import: the profile gets a unique name, is
// appended and selected (header.selected_profile); every macro-bound slot
// (0-17) becomes a new library macro with a unique name, and the slot names and
// points at it. Nothing is saved.
ProfileImport AddImportedProfile(ProfileRecord profile, ProfileList& profiles, StoreHeader& header,
                                 MacroLibrary& macros);

// The macro gets a unique name and is appended; returns its position. Nothing
// is saved.
int AddImportedMacro(MacroRecord macro, MacroLibrary& macros);

// Whole imports on a store folder: read the file, add it, and save the macro
// library when it grew (pro.data is left to the next apply). A file that cannot
// be opened or is too short is refused: the lists stay as they were and
// std::nullopt comes back with `error` set (the caller shows "import_fail_text").
std::optional<ProfileImport> ImportProfileFile(const StorePaths& paths,
                                               const std::filesystem::path& file,
                                               ProfileList& profiles, StoreHeader& header,
                                               MacroLibrary& macros, std::string* error = nullptr);
std::optional<int> ImportMacroFile(const StorePaths& paths, const std::filesystem::path& file,
                                   MacroLibrary& macros, std::string* error = nullptr);

}  // namespace vexel
