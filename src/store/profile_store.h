// The store state that the UI thread and the apply worker share: profile list,
// header, edited profile and macro library behind one mutex, with saves that
// never overlap each other or an edit.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "store/file_io.h"
#include "store/macro_record.h"
#include "store/profile_record.h"
#include "store/record_files.h"
#include "store/store_files.h"
#include "store/store_folder.h"
#include "store/store_header.h"

namespace vexel {

struct StoreState {
  ProfileList profiles;
  StoreHeaderPtr header = MakeZeroHeader();
  int edited_profile = -1;  // position in `profiles`; -1 = none
  MacroLibrary macros;

  // The edited profile, or null when the index names none.
  ProfileRecord* EditedProfile();
};

// The two files of the store.
enum class StoreFile { kProfiles, kMacros };

// The bytes of one store file as the state was at one moment. Snapshots of a
// file are numbered in the order they were taken, so a write can tell an old
// snapshot from a newer one already on disk.
struct StoreSnapshot {
  StoreFile file = StoreFile::kProfiles;
  uint64_t sequence = 0;
  Bytes bytes;
};

class ProfileStore {
 public:
  explicit ProfileStore(StorePaths paths, StoreCaps caps = {})
      : paths_(std::move(paths)), caps_(caps) {}
  ProfileStore(const ProfileStore&) = delete;
  ProfileStore& operator=(const ProfileStore&) = delete;

  const StorePaths& paths() const { return paths_; }

  // Exclusive access to the state for as long as the object lives.
  class Access {
   public:
    StoreState& operator*() const { return state_; }
    StoreState* operator->() const { return &state_; }

   private:
    friend class ProfileStore;
    Access(std::mutex& mutex, StoreState& state) : lock_(mutex), state_(state) {}
    std::unique_lock<std::mutex> lock_;
    StoreState& state_;
  };
  Access Lock() { return Access(state_mutex_, state_); }

  // The saves copy the state under the lock and write the copy outside it, so
  // edits wait only for the copy. Saves of one file are serialised, and an
  // older copy never replaces a newer one on disk. Call them without holding
  // an Access.
  // A failed save leaves the state in memory as it was, for the next save.
  SaveResult SaveProfiles();
  SaveResult SaveMacros();

  // The two halves of a save, for a writer on another thread: the copy is
  // taken now (call without holding an Access), the write later. A snapshot
  // older than the one last written to its file is not written: the file
  // already holds a newer state, and the result is a success.
  StoreSnapshot Snapshot(StoreFile file);
  SaveResult Write(const StoreSnapshot& snapshot);
  std::filesystem::path PathOf(StoreFile file) const;

  // AddMacro, ImportProfileFile and ImportMacroFile on the shared state, with
  // the serialised macro save. `added` is the new macro's position. An import
  // that would take a store file past its cap is refused like an unreadable
  // file: nothing changes, and `result` names the store file and the cap.
  StoreChange<int> AddMacro(std::u16string_view add_macro_text);
  StoreChange<ProfileImport> ImportProfile(const std::filesystem::path& file,
                                           const DefaultNameTexts& texts);
  StoreChange<int> ImportMacro(const std::filesystem::path& file,
                               std::u16string_view add_macro_text);

 private:
  struct FileSaves {
    // Held from a snapshot's write to its rename, so writes of one file
    // happen one at a time. Taken before state_mutex_.
    std::mutex mutex;
    uint64_t taken = 0;    // the last snapshot's number; under state_mutex_
    uint64_t written = 0;  // the newest snapshot on disk; under `mutex`
  };
  FileSaves& SavesOf(StoreFile file) { return saves_[static_cast<std::size_t>(file)]; }
  // Serialises the file under the state lock and numbers the copy.
  StoreSnapshot SnapshotLocked(StoreFile file, StoreState& state);
  SaveResult WriteLocked(const StoreSnapshot& snapshot);
  SaveResult Save(StoreFile file);
  SaveResult OutOfMemory(StoreFile file) const;

  StorePaths paths_;
  StoreCaps caps_;
  std::mutex state_mutex_;
  StoreState state_;
  std::array<FileSaves, 2> saves_;
};

// The store half of the start-up sequence.
struct StartupStore {
  bool full_apply_pending = false;  // set: the first apply sends everything
  int selected_profile = 0;         // the list entry to select without notification
  LoadReport profiles;
  LoadReport macros;
  std::unique_ptr<ProfileRecord> last_applied;  // copy of the edited profile
};

// Loads pro.data (making and saving a default store when it cannot be opened)
// and macro.data into `store`, makes the stored selection the edited profile
// and returns what the page needs next.
StartupStore LoadStoreAtStartup(ProfileStore& store, std::u16string_view add_profile_text);

}  // namespace vexel
