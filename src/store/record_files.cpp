#include "store/record_files.h"

#include <sys/stat.h>

#include <cstring>

#include "store/file_io.h"
#include "store/names.h"
#include "store/store_files.h"
#include "store/store_lock.h"
#include "store/utf16_name.h"

namespace vexel {
namespace {

template <typename Record>
std::span<const std::byte> RecordBytes(const Record& record) {
  return {reinterpret_cast<const std::byte*>(&record), sizeof(Record)};
}

template <typename Record>
std::optional<Record> RecordFromPrefix(std::span<const std::byte> bytes) {
  if (bytes.size() < sizeof(Record)) return std::nullopt;
  Record record;
  std::memcpy(&record, bytes.data(), sizeof(Record));
  return record;
}

template <typename Record>
std::optional<Record> ReadRecordFile(
    const std::filesystem::path& file, std::string* error,
    std::optional<Record> (*from_bytes)(std::span<const std::byte>)) {
  const FileRead read = ReadFilePrefix(file, sizeof(Record));
  if (!read) {
    if (error) *error = read.error;
    return std::nullopt;
  }
  auto record = from_bytes(read.bytes);
  if (!record && error) {
    *error = file.string() + " is too short: " + std::to_string(read.bytes.size()) + " bytes, " +
             std::to_string(sizeof(Record)) + " needed";
  }
  return record;
}

template <typename Record>
SaveResult ExportRecord(const std::filesystem::path& file, const Record& record,
                        const StorePaths& live_store) {
  if (IsStoreFile(file, live_store)) {
    return SaveResult::Failure(
        file, file.string() + " is a file of the store in use; export to another file");
  }
  return WriteFileAtomically(file, RecordBytes(record));
}

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  struct stat first {};
  struct stat second {};
  return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

// The name an imported record is offered under: its own, or the default name
// pattern when it has none.
template <std::size_t N>
std::u16string ImportedName(const char16_t (&name)[N], std::u16string_view default_text,
                            std::size_t list_size) {
  const std::u16string_view own = NameView(name);
  return own.empty() ? NumberedProposal(default_text, list_size + 1) : std::u16string(own);
}

}  // namespace

bool IsStoreFile(const std::filesystem::path& file, const StorePaths& store) {
  return SameFile(file, store.ProfilesFile()) || SameFile(file, store.MacrosFile()) ||
         SameFile(file, store.folder / kStoreLockFileName);
}

bool HasStoreFileName(const std::filesystem::path& file) {
  const std::filesystem::path name = FollowSymlinks(file).filename();
  return name == StorePaths{}.ProfilesFile().filename() ||
         name == StorePaths{}.MacrosFile().filename() || name == kStoreLockFileName;
}

SaveResult WriteProfileFile(const std::filesystem::path& file, const ProfileRecord& profile,
                            const StorePaths& live_store) {
  return ExportRecord(file, profile, live_store);
}

SaveResult WriteMacroFile(const std::filesystem::path& file, const MacroRecord& macro,
                          const StorePaths& live_store) {
  return ExportRecord(file, macro, live_store);
}

std::optional<ProfileRecord> ProfileFromFileBytes(std::span<const std::byte> bytes) {
  auto record = RecordFromPrefix<ProfileRecord>(bytes);
  if (record) RepairProfile(*record);
  return record;
}

std::optional<MacroRecord> MacroFromFileBytes(std::span<const std::byte> bytes) {
  auto record = RecordFromPrefix<MacroRecord>(bytes);
  if (record) RepairMacro(*record);
  return record;
}

std::optional<ProfileRecord> ReadProfileFile(const std::filesystem::path& file,
                                             std::string* error) {
  return ReadRecordFile<ProfileRecord>(file, error, ProfileFromFileBytes);
}

std::optional<MacroRecord> ReadMacroFile(const std::filesystem::path& file, std::string* error) {
  return ReadRecordFile<MacroRecord>(file, error, MacroFromFileBytes);
}

ProfileImport AddImportedProfile(ProfileRecord profile, ProfileList& profiles, StoreHeader& header,
                                 MacroLibrary& macros, const DefaultNameTexts& texts) {
  ProfileImport result;
  SetName(profile.name, MakeUniqueName(profiles, ImportedName(profile.name, texts.add_profile_text,
                                                              profiles.size())));
  for (int k = 0; k < kUsedButtonCount; ++k) {
    ButtonSlot& slot = profile.button[k];
    if (slot.function_code != kFunctionMacro) continue;
    auto macro = std::make_unique<MacroRecord>(MacroFromSlot(slot));
    SetName(macro->name, MakeUniqueName(macros, ImportedName(slot.macro_name, texts.add_macro_text,
                                                             macros.size())));
    std::memcpy(slot.macro_name, macro->name, sizeof(slot.macro_name));
    macros.push_back(std::move(macro));
    slot.macro_index = static_cast<int>(macros.size()) - 1;
    result.macro_indexes.push_back(slot.macro_index);
  }
  profiles.push_back(std::make_unique<ProfileRecord>(profile));
  result.profile_index = static_cast<int>(profiles.size()) - 1;
  header.selected_profile = result.profile_index;
  return result;
}

int AddImportedMacro(MacroRecord macro, MacroLibrary& macros, std::u16string_view add_macro_text) {
  SetName(macro.name,
          MakeUniqueName(macros, ImportedName(macro.name, add_macro_text, macros.size())));
  macros.push_back(std::make_unique<MacroRecord>(macro));
  return static_cast<int>(macros.size()) - 1;
}

StoreChange<ProfileImport> ImportProfileFile(const StorePaths& paths,
                                             const std::filesystem::path& file,
                                             ProfileList& profiles, StoreHeader& header,
                                             MacroLibrary& macros, const DefaultNameTexts& texts) {
  std::string error;
  auto profile = ReadProfileFile(file, &error);
  if (!profile) return {std::nullopt, SaveResult::Failure(file, error)};
  auto result = AddImportedProfile(*profile, profiles, header, macros, texts);
  if (result.macro_indexes.empty()) return {result, SaveResult::Success(paths.MacrosFile())};
  return {result, SaveMacros(paths, macros)};
}

StoreChange<int> ImportMacroFile(const StorePaths& paths, const std::filesystem::path& file,
                                 MacroLibrary& macros, std::u16string_view add_macro_text) {
  std::string error;
  auto macro = ReadMacroFile(file, &error);
  if (!macro) return {std::nullopt, SaveResult::Failure(file, error)};
  const int index = AddImportedMacro(*macro, macros, add_macro_text);
  return {index, SaveMacros(paths, macros)};
}

}  // namespace vexel
