// The store lock between processes' open file descriptions, in virtual time.
#include "store/store_lock.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "store/file_io.h"
#include "temp_folder.h"

namespace vexel {
namespace {

using testing::TempFolder;
using testing::WriteAll;

TEST(StoreLockTest, ARefusedCallerNamesTheHolderAndWaitsOnlyForOtherWriters) {
  struct Case {
    std::string_view holder;
    StoreLock::State state;
    bool waits;
  };
  const Case table[] = {
      {kProgramName, StoreLock::State::kHeldByProgram, false},
      {kToolName, StoreLock::State::kBusy, true},
  };
  for (const Case& c : table) {
    SCOPED_TRACE(c.holder);
    TempFolder temp;
    StoreLock holder = StoreLock::TryAcquire(temp.path(), c.holder);
    ASSERT_TRUE(holder.held()) << holder.error();
    ManualClock clock;
    StoreLock refused = StoreLock::Acquire(temp.path(), kToolName, clock, Clock::Ms(2000));
    EXPECT_EQ(refused.state(), c.state);
    EXPECT_EQ(clock.Now() >= Clock::Ms(2000), c.waits);
    const std::string named =
        "in use by " + std::string(c.holder) + " (pid " + std::to_string(::getpid()) + ")";
    EXPECT_NE(refused.error().find(named), std::string::npos) << refused.error();
    { const StoreLock gone = std::move(holder); }  // the last owner frees the store
    EXPECT_FALSE(ReadStoreLockHolder(temp.path()));
    EXPECT_TRUE(StoreLock::Acquire(temp.path(), kToolName, clock, Clock::Ms(2000)).held());
  }
}

TEST(StoreLockTest, TakingTheLockRemovesOnlyTheWritersStaleTemporaryFiles) {
  TempFolder temp;
  const char* stale[] = {"pro.data.tmp-AbC123", "macro.data.tmp-x9Y8z7"};
  const char* kept[] = {"pro.data", "pro.data.tmp-AbC1234", "other.tmp-abcdef", "pro.data.damaged",
                        "macro.data.tmp-ab.de"};
  for (const char* name : stale) WriteAll(temp.path() / name, Bytes(1));
  for (const char* name : kept) WriteAll(temp.path() / name, Bytes(1));
  StoreLock lock = StoreLock::AcquireForProgram(temp.path());
  ASSERT_TRUE(lock.held());
  for (const char* name : stale) EXPECT_FALSE(std::filesystem::exists(temp.path() / name)) << name;
  for (const char* name : kept) EXPECT_TRUE(std::filesystem::exists(temp.path() / name)) << name;
  const auto holder = ReadStoreLockHolder(temp.path());
  ASSERT_TRUE(holder);
  EXPECT_EQ(holder->program, kProgramName);
  EXPECT_EQ(holder->pid, ::getpid());
}

}  // namespace
}  // namespace vexel
