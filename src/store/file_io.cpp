#include "store/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <new>
#include <random>
#include <system_error>

namespace vexel {
namespace {

constexpr char kTemporaryMarker[] = ".tmp-";
constexpr std::size_t kTemporarySuffixLength = 6;
constexpr char kSuffixLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

void (*before_rename_hook)() = nullptr;

std::string Reason(const std::string& what, int error_number) {
  return what + ": " + std::strerror(error_number);
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

const char* KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  return "not a regular file";
}

std::string NotRegular(const std::filesystem::path& path, mode_t mode) {
  return path.string() + " is " + KindOf(mode) + ", not a regular file";
}

FileRead Failed(ReadFailure failure, std::string error) {
  FileRead read;
  read.failure = failure;
  read.error = std::move(error);
  return read;
}

// Reads at most `limit` bytes; with `refuse_past_limit` a longer file is
// refused instead of cut. O_NONBLOCK keeps the open of a FIFO from waiting for
// a writer; the file type is checked before any read.
FileRead ReadUpTo(const std::filesystem::path& path, std::size_t limit, bool refuse_past_limit) {
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() < 0)
    return Failed(ReadFailure::kCannotOpen, Reason("cannot open " + path.string(), errno));
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) {
    return Failed(ReadFailure::kCannotRead, Reason("cannot read " + path.string(), errno));
  }
  if (!S_ISREG(info.st_mode))
    return Failed(ReadFailure::kNotRegularFile, NotRegular(path, info.st_mode));
  const std::size_t size = static_cast<std::size_t>(std::max<off_t>(info.st_size, 0));
  const std::string too_large =
      path.string() + " is larger than the " + std::to_string(limit) + " bytes it may hold";
  if (refuse_past_limit && size > limit) return Failed(ReadFailure::kTooLarge, too_large);
  // One byte more than the limit tells a file that grew past it since fstat.
  const std::size_t want = refuse_past_limit ? limit + 1 : limit;
  FileRead read;
  std::size_t filled = 0;
  try {
    // The size is only a hint, so a file that changes meanwhile still reads whole.
    read.bytes.resize(std::min(want, size + 1));
    while (filled < want) {
      if (filled == read.bytes.size()) read.bytes.resize(std::min(want, filled * 2 + 4096));
      const ssize_t n = ::read(fd.get(), read.bytes.data() + filled, read.bytes.size() - filled);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0)
        return Failed(ReadFailure::kCannotRead, Reason("cannot read " + path.string(), errno));
      if (n == 0) break;
      filled += static_cast<std::size_t>(n);
    }
  } catch (const std::bad_alloc&) {
    return Failed(ReadFailure::kCannotRead, Reason("cannot read " + path.string(), ENOMEM));
  }
  if (refuse_past_limit && filled > limit) return Failed(ReadFailure::kTooLarge, too_large);
  read.bytes.resize(filled);
  return read;
}

void SyncFolder(const std::filesystem::path& folder) {
  Descriptor fd(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() >= 0) ::fsync(fd.get());
}

std::string RandomSuffix() {
  thread_local std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof(kSuffixLetters) - 2);
  std::string suffix(kTemporarySuffixLength, ' ');
  for (char& c : suffix) c = kSuffixLetters[pick(generator)];
  return suffix;
}

// A new file beside `file`, created exclusively: a name that exists, a
// symlink placed there included, is never opened but skipped.
int CreateTemporaryBeside(const std::filesystem::path& file, mode_t mode,
                          std::filesystem::path& temp) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = file;
    temp += kTemporaryMarker + RandomSuffix();
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

}  // namespace

SaveResult SaveResult::Success(std::filesystem::path file) {
  return SaveResult{true, {}, std::move(file)};
}

SaveResult SaveResult::Failure(std::filesystem::path file, std::string error) {
  return SaveResult{false, std::move(error), std::move(file)};
}

FileRead ReadFileBytes(const std::filesystem::path& path, std::size_t cap) {
  return ReadUpTo(path, cap, true);
}

FileRead ReadFilePrefix(const std::filesystem::path& path, std::size_t limit) {
  return ReadUpTo(path, limit, false);
}

std::filesystem::path FollowSymlinks(const std::filesystem::path& path) {
  std::filesystem::path current = path;
  for (int hops = 0; hops < 40; ++hops) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(current, ec)) return current;
    const std::filesystem::path link = std::filesystem::read_symlink(current, ec);
    if (ec) return current;
    current = link.is_absolute() ? link : current.parent_path() / link;
  }
  return path;
}

bool IsTemporaryNameOf(const std::string& candidate, const std::string& file_name) {
  const std::string prefix = file_name + kTemporaryMarker;
  if (candidate.size() != prefix.size() + kTemporarySuffixLength) return false;
  if (candidate.compare(0, prefix.size(), prefix) != 0) return false;
  return std::all_of(candidate.begin() + static_cast<std::ptrdiff_t>(prefix.size()),
                     candidate.end(),
                     [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

PendingFile::PendingFile(std::filesystem::path target, std::filesystem::path written,
                         std::filesystem::path temp)
    : target_(std::move(target)), written_(std::move(written)), temp_(std::move(temp)) {}

PendingFile::PendingFile(PendingFile&& other) noexcept
    : target_(std::move(other.target_)),
      written_(std::move(other.written_)),
      temp_(std::move(other.temp_)) {
  other.temp_.clear();
}

PendingFile& PendingFile::operator=(PendingFile&& other) noexcept {
  if (this != &other) {
    if (!temp_.empty()) ::unlink(temp_.c_str());
    target_ = std::move(other.target_);
    written_ = std::move(other.written_);
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
                                              SaveResult& failure) {
  const std::filesystem::path written = FollowSymlinks(target);
  // A new file gets the usual mode less the umask; a replaced one keeps its own.
  mode_t mode = 0666;
  std::optional<mode_t> kept_mode;
  struct stat info {};
  if (::stat(written.c_str(), &info) == 0) {
    if (!S_ISREG(info.st_mode)) {
      failure = SaveResult::Failure(target, NotRegular(target, info.st_mode));
      return std::nullopt;
    }
    kept_mode = info.st_mode & 07777;
    mode = 0600;
  }
  std::filesystem::path temp;
  Descriptor fd(CreateTemporaryBeside(written, mode, temp));
  if (fd.get() < 0) {
    failure = SaveResult::Failure(target,
                                  Reason("cannot create a file beside " + target.string(), errno));
    return std::nullopt;
  }
  PendingFile pending(target, written, temp);  // removes the temporary file on every failure below
  if ((kept_mode && ::fchmod(fd.get(), *kept_mode) != 0) || !WriteAll(fd.get(), bytes) ||
      ::fsync(fd.get()) != 0 || fd.Close() != 0) {
    failure = SaveResult::Failure(target, Reason("cannot write " + target.string(), errno));
    return std::nullopt;
  }
  return pending;
}

SaveResult PendingFile::Commit() {
  if (before_rename_hook) before_rename_hook();
  if (temp_.empty() || ::rename(temp_.c_str(), written_.c_str()) != 0) {
    return SaveResult::Failure(target_, Reason("cannot replace " + target_.string(), errno));
  }
  temp_.clear();
  SyncFolder(written_.parent_path());
  return SaveResult::Success(target_);
}

SaveResult WriteFileAtomically(const std::filesystem::path& target,
                               std::span<const std::byte> bytes) {
  SaveResult failure;
  auto pending = PendingFile::Write(target, bytes, failure);
  if (!pending) return failure;
  return pending->Commit();
}

SaveResult KeepDamagedOriginal(const std::filesystem::path& link_or_file,
                               const std::function<bool(std::uintmax_t)>& size_is_sound) {
  const std::filesystem::path path = FollowSymlinks(link_or_file);
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
    return SaveResult::Success(path);  // nothing to keep
  }
  const bool readable = ::access(path.c_str(), R_OK) == 0;
  if (readable && size_is_sound(static_cast<std::uintmax_t>(info.st_size))) {
    return SaveResult::Success(path);
  }
  std::filesystem::path keep = path;
  keep += ".damaged";
  for (int n = 1; n < 10000; ++n) {
    struct stat existing {};
    if (::lstat(keep.c_str(), &existing) != 0) break;
    if (existing.st_dev == info.st_dev && existing.st_ino == info.st_ino) {
      return SaveResult::Success(keep);  // kept already
    }
    keep = path;
    keep += ".damaged." + std::to_string(n);
  }
  // A hard link keeps the bytes without copying them; the later rename of the
  // new file only replaces the directory entry of `path`.
  std::error_code ec;
  std::filesystem::create_hard_link(path, keep, ec);
  if (ec) std::filesystem::copy_file(path, keep, ec);
  if (ec) {
    return SaveResult::Failure(link_or_file, "cannot keep the damaged " + link_or_file.string() +
                                                 " as " + keep.string() + ": " + ec.message());
  }
  return SaveResult::Success(keep);
}

void SetBeforeRenameHookForTesting(void (*hook)()) {
  before_rename_hook = hook;
}

}  // namespace vexel
