// File primitives of the store: whole-file reads and crash-safe replacement.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vexel {

using Bytes = std::vector<std::byte>;

// The whole file; std::nullopt (and `error`) when it cannot be opened or read.
std::optional<Bytes> ReadFileBytes(const std::filesystem::path& path, std::string* error);

// At most `limit` bytes from the start of the file.
std::optional<Bytes> ReadFilePrefix(const std::filesystem::path& path, std::size_t limit,
                                    std::string* error);

// A replacement of `target` written to a temporary file in the same folder and
// flushed to disk, but not yet in place. Commit renames it over the target, so
// a crash, a kill or a full disk at any moment leaves either the old or the new
// file whole. An uncommitted replacement removes its temporary file.
class PendingFile {
 public:
  static std::optional<PendingFile> Write(const std::filesystem::path& target,
                                          std::span<const std::byte> bytes, std::string* error);
  PendingFile(PendingFile&& other) noexcept;
  PendingFile& operator=(PendingFile&& other) noexcept;
  ~PendingFile();

  bool Commit(std::string* error);

 private:
  PendingFile(std::filesystem::path target, std::filesystem::path temp);

  std::filesystem::path target_;
  std::filesystem::path temp_;
};

bool WriteFileAtomically(const std::filesystem::path& target, std::span<const std::byte> bytes,
                         std::string* error = nullptr);

// Keeps a copy of `path` beside it as "<name>.damaged" (or ".damaged.1", ".2",
// ... when that exists) when the file exists and either cannot be opened or its
// size is not one that `size_is_sound` accepts. Called before a save replaces
// the file, so a damaged original the user may still want is never lost.
void KeepDamagedOriginal(const std::filesystem::path& path,
                         const std::function<bool(std::uintmax_t)>& size_is_sound);

// Test seam: runs between writing the temporary file and renaming it.
void SetBeforeRenameHookForTesting(void (*hook)());

}  // namespace vexel
