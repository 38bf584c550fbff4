// The store's writer thread on a real folder: order, coalescing, failures,
// teardown.
#include "store/store_writer.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

#include "store_test_helpers.h"

namespace vexel::testing {
namespace {

// Records every write as 'P' (pro.data) or 'M' (macro.data). A held log keeps
// the writer thread in its first report until Open, so that a test can queue
// a burst behind a write under way.
class WriteLog {
 public:
  explicit WriteLog(bool held = false) : open_(!held) {}
  void Report(const SaveResult& result) {
    std::unique_lock lock(mutex_);
    writes_ += result.file.filename() == "pro.data" ? 'P' : 'M';
    if (!result) errors_ += result.error;
    entered_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return open_; });
  }
  void WaitForFirstWrite() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return entered_; });
  }
  void Open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }
  std::string writes() { return Read(writes_); }
  std::string errors() { return Read(errors_); }

 private:
  std::string Read(const std::string& text) {
    std::lock_guard lock(mutex_);
    return text;
  }
  std::mutex mutex_;
  std::condition_variable changed_;
  bool open_;
  bool entered_ = false;
  std::string writes_;
  std::string errors_;
};

class StoreWriterTest : public ::testing::Test {
 protected:
  StoreWriterTest() { (void)LoadStoreAtStartup(store, u"Profile"); }

  void SetStage(int stage) { store.Lock()->EditedProfile()->dpi_stage_current = stage; }
  int StoredStage() { return Load(store.paths(), {false}).profiles[0]->dpi_stage_current; }
  std::unique_ptr<StoreWriter> MakeWriter(WriteLog& log) {
    return std::make_unique<StoreWriter>(store, [&log](const SaveResult& r) { log.Report(r); });
  }

  TempFolder folder;
  ProfileStore store{StorePaths{folder.path()}};
};

// A burst queued while the first pro.data write is under way: 'P' and 'M'
// queue a file ('P' after an edit), 'S' is the apply worker's synchronous save
// of a newer edit.
TEST_F(StoreWriterTest, KeepsTheOrderAndCoalescesWhatWaits) {
  struct Case {
    const char* burst;
    const char* writes;  // every write of the writer, in order
    bool teardown;       // the writer is destroyed instead of flushed
  };
  const Case cases[] = {
      {"PPPP", "PP", false},  // a burst is one write
      {"MP", "PMP", false},
      {"PMP", "PMP", false},  // the newer pro.data goes after the macro.data asked before it
      {"MPM", "PPM", false},
      {"P", "PP", true},    // teardown writes what is still queued
      {"PS", "PP", false},  // an older queued copy never replaces a newer save
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.burst);
    WriteLog log(/*held=*/true);
    auto writer = MakeWriter(log);
    int stage = 0;
    SetStage(stage);
    writer->Queue(StoreFile::kProfiles);
    log.WaitForFirstWrite();
    for (const char* request = c.burst; *request != '\0'; ++request) {
      if (*request != 'M') SetStage(++stage);
      if (*request == 'S') {
        ASSERT_TRUE(store.SaveProfiles());
      } else {
        writer->Queue(*request == 'P' ? StoreFile::kProfiles : StoreFile::kMacros);
      }
    }
    log.Open();
    c.teardown ? writer.reset() : writer->Flush();
    EXPECT_EQ(log.writes(), c.writes);
    EXPECT_EQ(StoredStage(), stage) << "the latest content is on disk";
  }
}

TEST_F(StoreWriterTest, AFailedWriteIsReportedAndTheNextOneSucceeds) {
  WriteLog log;
  auto writer = MakeWriter(log);
  const std::filesystem::path file = store.paths().ProfilesFile();
  // A directory where pro.data belongs: no save can replace it, root or not.
  std::filesystem::remove(file);
  std::filesystem::create_directories(file / "blocker");
  SetStage(4);
  writer->Queue(StoreFile::kProfiles);
  writer->Flush();
  EXPECT_NE(log.errors().find(file.string()), std::string::npos) << log.errors();
  std::filesystem::remove_all(file);
  writer->Queue(StoreFile::kProfiles);
  writer->Flush();
  EXPECT_EQ(log.writes(), "PP");
  EXPECT_EQ(StoredStage(), 4);
}

}  // namespace
}  // namespace vexel::testing
