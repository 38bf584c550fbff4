#include "store/store_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <string_view>
#include <system_error>

#include "store/file_io.h"

namespace vexel {
namespace {

constexpr Clock::Ms kRetryPause{50};
constexpr const char* kStoreFileNames[] = {"pro.data", "macro.data"};

std::filesystem::path LockFile(const std::filesystem::path& folder) {
  return folder / kStoreLockFileName;
}

// "<program> <pid>", blank-separated; anything after the pid is ignored.
std::optional<StoreLockHolder> ParseHolder(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\n\v\f\r";
  const auto word_start = text.find_first_not_of(kBlanks);
  if (word_start == std::string_view::npos) return std::nullopt;
  text.remove_prefix(word_start);
  StoreLockHolder holder;
  holder.program = std::string(text.substr(0, text.find_first_of(kBlanks)));
  text.remove_prefix(holder.program.size());
  text.remove_prefix(std::min(text.size(), text.find_first_not_of(kBlanks)));
  if (text.starts_with('+')) text.remove_prefix(1);
  const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), holder.pid);
  if (failure != std::errc() || holder.pid <= 0) return std::nullopt;
  return holder;
}

std::optional<StoreLockHolder> ReadHolder(int fd) {
  char buffer[256];
  const ssize_t n = ::pread(fd, buffer, sizeof(buffer) - 1, 0);
  if (n <= 0) return std::nullopt;
  return ParseHolder(std::string_view(buffer, static_cast<std::size_t>(n)));
}

std::string InUseLine(const std::filesystem::path& folder,
                      const std::optional<StoreLockHolder>& holder) {
  return "the store in " + folder.string() + " is in use by " + StoreLockHolderName(holder);
}

}  // namespace

StoreLock::StoreLock(State state, int fd, std::string error, std::optional<StoreLockHolder> holder)
    : state_(state), fd_(fd), error_(std::move(error)), holder_(std::move(holder)) {}

StoreLock::StoreLock(StoreLock&& other) noexcept
    : state_(other.state_),
      fd_(other.fd_),
      error_(std::move(other.error_)),
      holder_(std::move(other.holder_)) {
  other.fd_ = -1;
  other.state_ = State::kFailed;
}

StoreLock& StoreLock::operator=(StoreLock&& other) noexcept {
  if (this != &other) {
    Release();
    state_ = other.state_;
    fd_ = other.fd_;
    error_ = std::move(other.error_);
    holder_ = std::move(other.holder_);
    other.fd_ = -1;
    other.state_ = State::kFailed;
  }
  return *this;
}

StoreLock::~StoreLock() {
  Release();
}

void StoreLock::Release() {
  if (fd_ < 0) return;
  if (state_ == State::kHeld) {
    // A released lock file names nobody, so a stale identity is never shown.
    [[maybe_unused]] const int truncated = ::ftruncate(fd_, 0);
  }
  ::close(fd_);
  fd_ = -1;
  if (state_ == State::kHeld) state_ = State::kFailed;
}

StoreLock StoreLock::TryAcquire(const std::filesystem::path& folder, std::string_view program) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  const std::filesystem::path file = LockFile(folder);
  const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) {
    return StoreLock(State::kFailed, -1,
                     "cannot lock the store: " + file.string() + ": " + std::strerror(errno), {});
  }
  int result = 0;
  do {
    result = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  if (result != 0) {
    const int error_number = errno;
    auto holder = ReadHolder(fd);
    ::close(fd);
    if (error_number != EWOULDBLOCK) {
      return StoreLock(
          State::kFailed, -1,
          "cannot lock the store: " + file.string() + ": " + std::strerror(error_number), {});
    }
    const bool by_program = holder && holder->program == kProgramName;
    return StoreLock(by_program ? State::kHeldByProgram : State::kBusy, -1,
                     InUseLine(folder, holder), holder);
  }
  const std::string identity = std::string(program) + " " + std::to_string(::getpid()) + "\n";
  // Without the name the lock is held all the same; others then see "another program".
  [[maybe_unused]] const bool named =
      ::ftruncate(fd, 0) == 0 &&
      ::pwrite(fd, identity.data(), identity.size(), 0) == static_cast<ssize_t>(identity.size());
  RemoveStaleTemporaryFiles(folder);
  return StoreLock(State::kHeld, fd, {}, StoreLockHolder{std::string(program), ::getpid()});
}

StoreLock StoreLock::Acquire(const std::filesystem::path& folder, std::string_view program,
                             Clock& clock, Clock::Ms max_wait) {
  const Clock::Ms deadline = clock.Now() + max_wait;
  for (;;) {
    StoreLock attempt = TryAcquire(folder, program);
    if (attempt.state() != State::kBusy) return attempt;
    if (clock.Now() >= deadline) {
      attempt.error_ +=
          " and stayed busy for " +
          std::to_string(std::chrono::duration_cast<std::chrono::seconds>(max_wait).count()) + " s";
      return attempt;
    }
    clock.SleepFor(kRetryPause);
  }
}

StoreLock StoreLock::AcquireForProgram(const std::filesystem::path& folder) {
  return TryAcquire(folder, kProgramName);
}

StoreLock StoreLock::AcquireForTool(const std::filesystem::path& folder) {
  SteadyClock clock;
  StoreLock lock = Acquire(folder, kToolName, clock, kToolLockWait);
  if (lock.state() == State::kHeldByProgram) lock.error_ += "; close it first";
  return lock;
}

std::string StoreLockHolderName(const std::optional<StoreLockHolder>& holder) {
  return holder ? holder->program + " (pid " + std::to_string(holder->pid) + ")"
                : std::string("another program");
}

std::optional<StoreLockHolder> ReadStoreLockHolder(const std::filesystem::path& folder) {
  const int fd = ::open(LockFile(folder).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  auto holder = ReadHolder(fd);
  ::close(fd);
  return holder;
}

int RemoveStaleTemporaryFiles(const std::filesystem::path& folder) {
  int removed = 0;
  std::error_code ec;
  for (auto entry = std::filesystem::directory_iterator(folder, ec);
       !ec && entry != std::filesystem::directory_iterator(); entry.increment(ec)) {
    const std::string name = entry->path().filename().string();
    for (const char* store_file : kStoreFileNames) {
      std::error_code remove_error;
      if (IsTemporaryNameOf(name, store_file) &&
          std::filesystem::remove(entry->path(), remove_error)) {
        ++removed;
      }
    }
  }
  return removed;
}

}  // namespace vexel
