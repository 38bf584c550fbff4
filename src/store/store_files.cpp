#include "store/store_files.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <system_error>
#include <type_traits>

#include "store/names.h"
#include "store/utf16_name.h"

namespace vexel {
namespace {

constexpr std::size_t kProfileSize = sizeof(ProfileRecord);
constexpr std::size_t kMacroSize = sizeof(MacroRecord);

template <std::size_t N>
bool RepairName(char16_t (&units)[N]) {
  if (NameView(units).size() < N) return false;
  TerminateName(units);
  return true;
}

template <typename Count>
bool ClampActionCount(Count& count) {
  if (count > kMaxMacroActions) {
    count = static_cast<Count>(kMaxMacroActions);
    return true;
  }
  if constexpr (std::is_signed_v<Count>) {
    if (count < 0) {
      count = 0;
      return true;
    }
  }
  return false;
}

template <typename Record>
std::unique_ptr<Record> RecordFromBytes(std::span<const std::byte> bytes) {
  auto record = std::make_unique<Record>();
  std::memcpy(record.get(), bytes.data(), sizeof(Record));
  return record;
}

template <typename List>
void AppendRecords(Bytes& out, const List& list) {
  using Record = typename List::value_type::element_type;
  for (const auto& record : list) {
    const auto* first = reinterpret_cast<const std::byte*>(record.get());
    out.insert(out.end(), first, first + sizeof(Record));
  }
}

std::string SizeText(std::uintmax_t size) {
  constexpr std::uintmax_t kMiB = std::uintmax_t{1} << 20;
  return size % kMiB == 0 && size > 0 ? std::to_string(size / kMiB) + " MiB"
                                      : std::to_string(size) + " bytes";
}

// A file past its cap would be refused by every later load: the store would
// be lost to the program and to vexelctl alike.
SaveResult PastCap(const std::filesystem::path& file, std::uintmax_t cap) {
  return SaveResult::Failure(file, "cannot write " + file.string() + ": it would be larger than " +
                                       SizeText(cap) + ", the most a store file may hold");
}

std::optional<PendingFile> PrepareSave(const std::filesystem::path& folder,
                                       const std::filesystem::path& file, const Bytes& bytes,
                                       bool (*size_is_sound)(std::uintmax_t), std::uintmax_t cap,
                                       SaveResult& failure) {
  if (bytes.size() > cap) {
    failure = PastCap(file, cap);
    return std::nullopt;
  }
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (SaveResult kept = KeepDamagedOriginal(file, size_is_sound); !kept) {
    failure = std::move(kept);
    return std::nullopt;
  }
  return PendingFile::Write(file, bytes, failure);
}

template <typename Serialize>
SaveResult SaveWhole(const std::filesystem::path& file, Serialize serialize_and_prepare) {
  try {
    SaveResult failure;
    auto pending = serialize_and_prepare(failure);
    if (!pending) return failure;
    return pending->Commit();
  } catch (const std::bad_alloc&) {
    return SaveResult::Failure(file, "cannot write " + file.string() + ": out of memory");
  }
}

LoadReport Unreadable(std::string error) {
  LoadReport report;
  report.file_missing = true;
  report.error = std::move(error);
  return report;
}

}  // namespace

bool RepairProfile(ProfileRecord& record) {
  bool changed = RepairName(record.name);
  for (ButtonSlot& slot : record.button) {
    changed |= RepairName(slot.macro_name);
    changed |= ClampActionCount(slot.macro_action_count);
  }
  return changed;
}

bool RepairMacro(MacroRecord& record) {
  const bool name_changed = RepairName(record.name);
  return ClampActionCount(record.action_count) || name_changed;
}

bool IsSoundProfilesSize(std::uintmax_t size) {
  return size >= kStoreHeaderSize + kProfileSize && size <= kMaxProfilesFileSize &&
         (size - kStoreHeaderSize) % kProfileSize == 0;
}

bool IsSoundMacrosSize(std::uintmax_t size) {
  return size <= kMaxMacrosFileSize && size % kMacroSize == 0;
}

SaveResult CheckStoreCaps(const StorePaths& paths, std::size_t profile_count,
                          std::size_t macro_count, const StoreCaps& caps) {
  if (kStoreHeaderSize + std::uintmax_t{kProfileSize} * profile_count > caps.profiles_file) {
    return PastCap(paths.ProfilesFile(), caps.profiles_file);
  }
  if (std::uintmax_t{kMacroSize} * macro_count > caps.macros_file) {
    return PastCap(paths.MacrosFile(), caps.macros_file);
  }
  return SaveResult::Success(paths.folder);
}

void AssignHeader(StoreHeader& header, const std::byte* bytes) {
  // Compared a page at a time: a page left equal is never written, so a zero
  // page of a fresh header stays untouched.
  constexpr std::size_t kChunk = 4096;
  static const std::array<std::byte, kChunk> kZeros{};
  auto* target = reinterpret_cast<std::byte*>(&header);
  for (std::size_t at = 0; at < sizeof(StoreHeader); at += kChunk) {
    const std::size_t length = std::min(kChunk, sizeof(StoreHeader) - at);
    const std::byte* source = bytes != nullptr ? bytes + at : kZeros.data();
    if (std::memcmp(target + at, source, length) != 0) std::memcpy(target + at, source, length);
  }
}

LoadReport ParseProfiles(std::span<const std::byte> bytes, ProfileList& profiles,
                         StoreHeader& header, std::u16string_view add_profile_text) {
  LoadReport report;
  profiles.clear();
  if (bytes.size() < kStoreHeaderSize) {
    AssignHeader(header, nullptr);
    report.dropped_bytes = bytes.size();
  } else {
    AssignHeader(header, bytes.data());
    auto rest = bytes.subspan(kStoreHeaderSize);
    for (; rest.size() >= kProfileSize; rest = rest.subspan(kProfileSize)) {
      profiles.push_back(RecordFromBytes<ProfileRecord>(rest));
      report.repaired |= RepairProfile(*profiles.back());
    }
    report.dropped_bytes = rest.size();
  }
  report.repaired |= report.dropped_bytes > 0;
  if (profiles.empty()) {
    AddDefaultProfile(profiles, add_profile_text);
    report.repaired = true;
  }
  if (header.selected_profile < 0 ||
      static_cast<std::size_t>(header.selected_profile) >= profiles.size()) {
    header.selected_profile = 0;
    report.repaired = true;
  }
  return report;
}

LoadReport ParseMacros(std::span<const std::byte> bytes, MacroLibrary& macros) {
  LoadReport report;
  macros.clear();
  for (; bytes.size() >= kMacroSize; bytes = bytes.subspan(kMacroSize)) {
    macros.push_back(RecordFromBytes<MacroRecord>(bytes));
    report.repaired |= RepairMacro(*macros.back());
  }
  report.dropped_bytes = bytes.size();
  report.repaired |= report.dropped_bytes > 0;
  return report;
}

Bytes SerializeProfiles(const ProfileList& profiles, const StoreHeader& header) {
  Bytes out;
  out.reserve(kStoreHeaderSize + kProfileSize * profiles.size());
  const auto* first = reinterpret_cast<const std::byte*>(&header);
  out.insert(out.end(), first, first + sizeof(header));
  AppendRecords(out, profiles);
  return out;
}

Bytes SerializeMacros(const MacroLibrary& macros) {
  Bytes out;
  out.reserve(kMacroSize * macros.size());
  AppendRecords(out, macros);
  return out;
}

LoadReport LoadProfiles(const StorePaths& paths, ProfileList& profiles, StoreHeader& header,
                        std::u16string_view add_profile_text, ProfileLoadOptions options) {
  LoadReport report;
  if (FileRead read = ReadFileBytes(paths.ProfilesFile(), kMaxProfilesFileSize)) {
    try {
      return ParseProfiles(read.bytes, profiles, header, add_profile_text);
    } catch (const std::bad_alloc&) {
      report = Unreadable("cannot read " + paths.ProfilesFile().string() + ": out of memory");
    }
  } else {
    report = Unreadable(read.error);
  }
  AssignHeader(header, nullptr);
  profiles.clear();
  AddDefaultProfile(profiles, add_profile_text);
  if (options.save_new_store) {
    // A file that exists but cannot be read (no access, too large) is kept
    // beside the new store rather than replaced by it.
    SaveResult saved =
        KeepDamagedOriginal(paths.ProfilesFile(), [](std::uintmax_t) { return false; });
    if (saved) saved = SaveProfiles(paths, profiles, header);
    report.save_error = saved.error;
  }
  return report;
}

LoadReport LoadMacros(const StorePaths& paths, MacroLibrary& macros) {
  LoadReport report;
  if (FileRead read = ReadFileBytes(paths.MacrosFile(), kMaxMacrosFileSize)) {
    try {
      return ParseMacros(read.bytes, macros);
    } catch (const std::bad_alloc&) {
      report = Unreadable("cannot read " + paths.MacrosFile().string() + ": out of memory");
    }
  } else {
    report = Unreadable(read.error);
  }
  macros.clear();
  return report;
}

std::optional<PendingFile> PrepareProfilesSave(const StorePaths& paths, const Bytes& bytes,
                                               SaveResult& failure) {
  return PrepareSave(paths.folder, paths.ProfilesFile(), bytes, IsSoundProfilesSize,
                     kMaxProfilesFileSize, failure);
}

std::optional<PendingFile> PrepareMacrosSave(const StorePaths& paths, const Bytes& bytes,
                                             SaveResult& failure) {
  return PrepareSave(paths.folder, paths.MacrosFile(), bytes, IsSoundMacrosSize, kMaxMacrosFileSize,
                     failure);
}

SaveResult SaveProfiles(const StorePaths& paths, const ProfileList& profiles,
                        const StoreHeader& header) {
  return SaveWhole(paths.ProfilesFile(), [&](SaveResult& failure) {
    return PrepareProfilesSave(paths, SerializeProfiles(profiles, header), failure);
  });
}

SaveResult SaveMacros(const StorePaths& paths, const MacroLibrary& macros) {
  return SaveWhole(paths.MacrosFile(), [&](SaveResult& failure) {
    return PrepareMacrosSave(paths, SerializeMacros(macros), failure);
  });
}

StoreChange<int> AddMacro(const StorePaths& paths, MacroLibrary& macros,
                          std::u16string_view add_macro_text) {
  AppendNewMacro(macros, add_macro_text);
  return {static_cast<int>(macros.size()) - 1, SaveMacros(paths, macros)};
}

}  // namespace vexel
