#include "store/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <system_error>

namespace vexel {
namespace {

void (*before_rename_hook)() = nullptr;

void SetError(std::string* error, const std::string& what, int error_number) {
  if (error) *error = what + ": " + std::strerror(error_number);
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // close() reports delayed write errors, so a writer must look at it.
  int Close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, std::span<const std::byte> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

std::optional<Bytes> ReadUpTo(const std::filesystem::path& path, std::size_t limit,
                              std::string* error) {
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    SetError(error, "cannot open " + path.string(), errno);
    return std::nullopt;
  }
  // Reading straight into a buffer of the file's size avoids regrowing it; the
  // size is only a hint, so a file that changes meanwhile still reads whole.
  struct stat info {};
  const std::size_t hint = ::fstat(fd.get(), &info) == 0 && info.st_size > 0
                               ? static_cast<std::size_t>(info.st_size)
                               : 0;
  Bytes bytes;
  std::size_t filled = 0;
  try {
    bytes.resize(std::min(limit, hint + 1));
  } catch (const std::bad_alloc&) {
    SetError(error, "cannot read " + path.string(), ENOMEM);
    return std::nullopt;
  }
  while (filled < limit) {
    if (filled == bytes.size()) bytes.resize(std::min(limit, bytes.size() * 2 + 4096));
    const ssize_t n = ::read(fd.get(), bytes.data() + filled, bytes.size() - filled);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      SetError(error, "cannot read " + path.string(), errno);
      return std::nullopt;
    }
    if (n == 0) break;
    filled += static_cast<std::size_t>(n);
  }
  bytes.resize(filled);
  return bytes;
}

void SyncFolder(const std::filesystem::path& folder) {
  Descriptor fd(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() >= 0) ::fsync(fd.get());
}

}  // namespace

std::optional<Bytes> ReadFileBytes(const std::filesystem::path& path, std::string* error) {
  return ReadUpTo(path, static_cast<std::size_t>(-1), error);
}

std::optional<Bytes> ReadFilePrefix(const std::filesystem::path& path, std::size_t limit,
                                    std::string* error) {
  return ReadUpTo(path, limit, error);
}

PendingFile::PendingFile(std::filesystem::path target, std::filesystem::path temp)
    : target_(std::move(target)), temp_(std::move(temp)) {}

PendingFile::PendingFile(PendingFile&& other) noexcept
    : target_(std::move(other.target_)), temp_(std::move(other.temp_)) {
  other.temp_.clear();
}

PendingFile& PendingFile::operator=(PendingFile&& other) noexcept {
  if (this != &other) {
    if (!temp_.empty()) ::unlink(temp_.c_str());
    target_ = std::move(other.target_);
    temp_ = std::move(other.temp_);
    other.temp_.clear();
  }
  return *this;
}

PendingFile::~PendingFile() {
  if (!temp_.empty()) ::unlink(temp_.c_str());
}

std::optional<PendingFile> PendingFile::Write(const std::filesystem::path& target,
                                              std::span<const std::byte> bytes,
                                              std::string* error) {
  std::string pattern = target.string() + ".tmp-XXXXXX";
  Descriptor fd(::mkstemp(pattern.data()));
  if (fd.get() < 0) {
    SetError(error, "cannot create a file beside " + target.string(), errno);
    return std::nullopt;
  }
  PendingFile pending(target, pattern);  // removes the temporary file on every failure below
  ::fchmod(fd.get(), 0644);
  if (!WriteAll(fd.get(), bytes) || ::fsync(fd.get()) != 0 || fd.Close() != 0) {
    SetError(error, "cannot write " + target.string(), errno);
    return std::nullopt;
  }
  return pending;
}

bool PendingFile::Commit(std::string* error) {
  if (before_rename_hook) before_rename_hook();
  if (::rename(temp_.c_str(), target_.c_str()) != 0) {
    SetError(error, "cannot replace " + target_.string(), errno);
    return false;
  }
  temp_.clear();
  SyncFolder(target_.parent_path());
  return true;
}

bool WriteFileAtomically(const std::filesystem::path& target, std::span<const std::byte> bytes,
                         std::string* error) {
  auto pending = PendingFile::Write(target, bytes, error);
  return pending && pending->Commit(error);
}

void KeepDamagedOriginal(const std::filesystem::path& path,
                         const std::function<bool(std::uintmax_t)>& size_is_sound) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  if (ec) return;  // missing (or not a regular file): nothing to keep
  const bool readable = ::access(path.c_str(), R_OK) == 0;
  if (readable && size_is_sound(size)) return;
  std::filesystem::path keep = path;
  keep += ".damaged";
  for (int n = 1; std::filesystem::exists(keep, ec) && n < 10000; ++n) {
    keep = path;
    keep += ".damaged." + std::to_string(n);
  }
  // A hard link keeps the bytes without copying them; the later rename of the
  // new file only replaces the directory entry of `path`.
  std::filesystem::create_hard_link(path, keep, ec);
  if (ec) std::filesystem::copy_file(path, keep, ec);
}

void SetBeforeRenameHookForTesting(void (*hook)()) {
  before_rename_hook = hook;
}

}  // namespace vexel
