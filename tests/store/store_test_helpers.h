// Store tests' helpers: whole files as bytes, and a store loaded in one call.
#pragma once

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../support/run_command.h"
#include "store/names.h"
#include "store/profile_store.h"

namespace vexel::testing {

using TempFolder = TempDir;

inline Bytes ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  const std::string text(std::istreambuf_iterator<char>(in), {});
  const auto* first = reinterpret_cast<const std::byte*>(text.data());
  return Bytes(first, first + text.size());
}

inline void WriteAll(const std::filesystem::path& file, const Bytes& bytes) {
  std::ofstream(file, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

// The names in `folder`, sorted.
inline std::vector<std::string> FilesIn(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename());
  }
  std::sort(names.begin(), names.end());
  return names;
}

template <typename Record>
Bytes BytesOf(const Record& record) {
  const auto* first = reinterpret_cast<const std::byte*>(&record);
  return Bytes(first, first + sizeof(Record));
}

// `bytes` with `count` copies of `value` written from `offset` on.
template <typename T>
Bytes Patched(Bytes bytes, std::size_t offset, T value, std::size_t count = 1) {
  for (std::size_t i = 0; i < count; ++i) {
    std::memcpy(bytes.data() + offset + i * sizeof(T), &value, sizeof(T));
  }
  return bytes;
}

// What a load of both store files leaves, with the report of pro.data.
struct LoadedStore {
  ProfileList profiles;
  StoreHeaderPtr header = MakeZeroHeader();
  MacroLibrary macros;
  LoadReport report;
};

inline LoadedStore Load(const StorePaths& paths, ProfileLoadOptions options = {}) {
  LoadedStore store;
  store.report = LoadProfiles(paths, store.profiles, *store.header, u"Profile", options);
  (void)LoadMacros(paths, store.macros);
  return store;
}

inline LoadedStore Parse(const Bytes& profiles_file) {
  LoadedStore store;
  store.report = ParseProfiles(profiles_file, store.profiles, *store.header, u"Profile");
  return store;
}

// `count` macros "M1", "M2", ..., each one key press long.
inline MacroLibrary Macros(int count) {
  MacroLibrary macros;
  for (int i = 0; i < count; ++i) {
    MacroRecord& macro = AppendNewMacro(macros, u"M");
    macro.action_count = 1;
    macro.actions[0] = {static_cast<uint8_t>(4 + i), kActionPress, 50};
  }
  return macros;
}

}  // namespace vexel::testing
