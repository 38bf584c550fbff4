// One writer at a time on a store folder: an advisory flock on a lock file in
// the folder. The program holds it for its lifetime; a vexelctl command that
// changes the store holds it from re-reading the store to its last rename.
// The holder writes "<program> <pid>" into the lock file, so a refused caller
// can say who holds the store.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/clock.h"

namespace vexel {

inline constexpr char kStoreLockFileName[] = "store.lock";
inline constexpr std::string_view kProgramName = "vexel-mouse";
inline constexpr std::string_view kToolName = "vexelctl";
// How long a vexelctl writer waits for another one before giving up.
inline constexpr std::chrono::milliseconds kToolLockWait{10000};

struct StoreLockHolder {
  std::string program;
  long pid = 0;
};

class [[nodiscard]] StoreLock {
 public:
  enum class State {
    kHeld,           // this object holds the lock
    kBusy,           // another holder kept it for the whole wait
    kHeldByProgram,  // the program holds it: waiting would not help
    kFailed,         // the lock file could not be made or locked
  };

  // One attempt without waiting.
  static StoreLock TryAcquire(const std::filesystem::path& folder, std::string_view program);
  // Retries until `max_wait` has passed on `clock`; gives up at once when the
  // program holds the lock, since it keeps it until it ends.
  static StoreLock Acquire(const std::filesystem::path& folder, std::string_view program,
                           Clock& clock, Clock::Ms max_wait);

  // For the program: one attempt as "vexel-mouse". Hold the result for the
  // program's lifetime.
  static StoreLock AcquireForProgram(const std::filesystem::path& folder);
  // For vexelctl commands that write the store: as "vexelctl", waiting up to
  // kToolLockWait for other vexelctl writers.
  static StoreLock AcquireForTool(const std::filesystem::path& folder);

  StoreLock(StoreLock&& other) noexcept;
  StoreLock& operator=(StoreLock&& other) noexcept;
  StoreLock(const StoreLock&) = delete;
  StoreLock& operator=(const StoreLock&) = delete;
  ~StoreLock();

  State state() const { return state_; }
  bool held() const { return state_ == State::kHeld; }
  explicit operator bool() const { return held(); }
  // One line for a refusal, naming the holder when it is known.
  const std::string& error() const { return error_; }
  const std::optional<StoreLockHolder>& holder() const { return holder_; }

  void Release();

 private:
  StoreLock(State state, int fd, std::string error, std::optional<StoreLockHolder> holder);

  State state_;
  int fd_;
  std::string error_;
  std::optional<StoreLockHolder> holder_;
};

// "vexel-mouse (pid 4242)", or "another program" when the holder is unknown.
std::string StoreLockHolderName(const std::optional<StoreLockHolder>& holder);

// The identity written in a lock file; std::nullopt when it holds none.
std::optional<StoreLockHolder> ReadStoreLockHolder(const std::filesystem::path& folder);

// Removes temporary files of the store's own writer ("pro.data.tmp-XXXXXX",
// "macro.data.tmp-XXXXXX") that a killed writer left behind. Only safe while
// holding the lock. Returns how many were removed.
int RemoveStaleTemporaryFiles(const std::filesystem::path& folder);

}  // namespace vexel
