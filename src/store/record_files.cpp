#include "store/record_files.h"

#include <cstring>

#include "store/file_io.h"
#include "store/names.h"
#include "store/store_files.h"
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
  const auto bytes = ReadFilePrefix(file, sizeof(Record), error);
  if (!bytes) return std::nullopt;
  auto record = from_bytes(*bytes);
  if (!record && error) {
    *error = file.string() + " is too short: " + std::to_string(bytes->size()) + " bytes, " +
             std::to_string(sizeof(Record)) + " needed";
  }
  return record;
}

}  // namespace

bool WriteProfileFile(const std::filesystem::path& file, const ProfileRecord& profile,
                      std::string* error) {
  return WriteFileAtomically(file, RecordBytes(profile), error);
}

bool WriteMacroFile(const std::filesystem::path& file, const MacroRecord& macro,
                    std::string* error) {
  return WriteFileAtomically(file, RecordBytes(macro), error);
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
                                 MacroLibrary& macros) {
  ProfileImport result;
  SetName(profile.name, MakeUniqueName(profiles, NameView(profile.name)));
  for (int k = 0; k < kUsedButtonCount; ++k) {
    ButtonSlot& slot = profile.button[k];
    if (slot.function_code != kFunctionMacro) continue;
    auto macro = std::make_unique<MacroRecord>(MacroFromSlot(slot));
    SetName(macro->name, MakeUniqueName(macros, NameView(slot.macro_name)));
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

int AddImportedMacro(MacroRecord macro, MacroLibrary& macros) {
  SetName(macro.name, MakeUniqueName(macros, NameView(macro.name)));
  macros.push_back(std::make_unique<MacroRecord>(macro));
  return static_cast<int>(macros.size()) - 1;
}

std::optional<ProfileImport> ImportProfileFile(const StorePaths& paths,
                                               const std::filesystem::path& file,
                                               ProfileList& profiles, StoreHeader& header,
                                               MacroLibrary& macros, std::string* error) {
  auto profile = ReadProfileFile(file, error);
  if (!profile) return std::nullopt;
  auto result = AddImportedProfile(*profile, profiles, header, macros);
  if (!result.macro_indexes.empty()) SaveMacros(paths, macros);
  return result;
}

std::optional<int> ImportMacroFile(const StorePaths& paths, const std::filesystem::path& file,
                                   MacroLibrary& macros, std::string* error) {
  auto macro = ReadMacroFile(file, error);
  if (!macro) return std::nullopt;
  const int index = AddImportedMacro(*macro, macros);
  SaveMacros(paths, macros);
  return index;
}

}  // namespace vexel
