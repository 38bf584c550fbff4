// File primitives of the store: bounded reads of regular files and the one
// crash-safe writer that every file of the program goes through.
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

// The outcome of a write. A failure names the file and the reason, so the
// caller can tell the user which file was not saved.
struct [[nodiscard]] SaveResult {
  bool ok = false;
  std::string error;           // one line: what failed and why; empty on success
  std::filesystem::path file;  // the file that was (or was not) written

  explicit operator bool() const { return ok; }

  static SaveResult Success(std::filesystem::path file);
  static SaveResult Failure(std::filesystem::path file, std::string error);
};

enum class ReadFailure {
  kNone,
  kCannotOpen,      // missing, no access
  kNotRegularFile,  // a folder, FIFO, device or socket
  kTooLarge,        // past the caller's cap
  kCannotRead,      // read error or no memory
};

struct FileRead {
  Bytes bytes;
  ReadFailure failure = ReadFailure::kNone;
  std::string error;  // one line naming the file when failure != kNone

  explicit operator bool() const { return failure == ReadFailure::kNone; }
};

// The whole file when it is a regular file of at most `cap` bytes. Never
// blocks on a FIFO and never throws.
FileRead ReadFileBytes(const std::filesystem::path& path, std::size_t cap);

// At most `limit` bytes from the start of a regular file.
FileRead ReadFilePrefix(const std::filesystem::path& path, std::size_t limit);

// A replacement of `target` written to a temporary file made exclusively in
// the folder of the file it replaces, flushed to disk, but not yet in place.
// A target that is a symlink is written through: the link stays and the file
// it names is replaced. The replaced file's permission bits are kept. Commit
// renames the temporary file over that file, so a crash, a kill or a full
// disk at any moment leaves either the old or the new file whole. An
// uncommitted replacement removes its temporary file.
class PendingFile {
 public:
  [[nodiscard]] static std::optional<PendingFile> Write(const std::filesystem::path& target,
                                                        std::span<const std::byte> bytes,
                                                        SaveResult& failure);
  PendingFile(PendingFile&& other) noexcept;
  PendingFile& operator=(PendingFile&& other) noexcept;
  ~PendingFile();

  SaveResult Commit();

 private:
  PendingFile(std::filesystem::path target, std::filesystem::path written,
              std::filesystem::path temp);

  std::filesystem::path target_;   // as the caller named it
  std::filesystem::path written_;  // the file replaced: `target_` with symlinks followed
  std::filesystem::path temp_;
};

SaveResult WriteFileAtomically(const std::filesystem::path& target,
                               std::span<const std::byte> bytes);

// `path` with every symlink along its last component followed (a dangling
// link yields the missing file it names). A loop of links yields `path`.
std::filesystem::path FollowSymlinks(const std::filesystem::path& path);

// True when a temporary file name of this writer for `file_name` ("pro.data"
// gives "pro.data.tmp-" and six letters or digits).
bool IsTemporaryNameOf(const std::string& candidate, const std::string& file_name);

// Keeps a copy of `path` beside it as "<name>.damaged" (or ".damaged.1", ".2",
// ... when that exists) when the file exists and either cannot be opened or its
// size is not one that `size_is_sound` accepts. Called before a save replaces
// the file, so a damaged original the user may still want is never lost; a
// save must not go on when this fails. A file already kept is not kept twice.
SaveResult KeepDamagedOriginal(const std::filesystem::path& path,
                               const std::function<bool(std::uintmax_t)>& size_is_sound);

// Test seam: runs between writing the temporary file and renaming it.
void SetBeforeRenameHookForTesting(void (*hook)());

}  // namespace vexel
