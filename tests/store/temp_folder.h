// Store tests' file helpers on top of the shared temporary folder.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "../support/run_command.h"

namespace vexel::testing {

using TempFolder = TempDir;

inline std::vector<std::byte> ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::vector<char> chars((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::byte> bytes(chars.size());
  if (!chars.empty()) std::memcpy(bytes.data(), chars.data(), chars.size());
  return bytes;
}

inline void WriteAll(const std::filesystem::path& file, const std::vector<std::byte>& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

template <typename Record>
std::vector<std::byte> BytesOf(const Record& record) {
  const auto* first = reinterpret_cast<const std::byte*>(&record);
  return std::vector<std::byte>(first, first + sizeof(Record));
}

}  // namespace vexel::testing
