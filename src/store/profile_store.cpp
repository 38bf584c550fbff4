#include "store/profile_store.h"

#include <algorithm>
#include <iterator>
#include <new>

#include "store/names.h"

namespace vexel {

ProfileRecord* StoreState::EditedProfile() {
  if (edited_profile < 0 || static_cast<std::size_t>(edited_profile) >= profiles.size()) {
    return nullptr;
  }
  return profiles[static_cast<std::size_t>(edited_profile)].get();
}

std::filesystem::path ProfileStore::PathOf(StoreFile file) const {
  return file == StoreFile::kProfiles ? paths_.ProfilesFile() : paths_.MacrosFile();
}

StoreSnapshot ProfileStore::SnapshotLocked(StoreFile file, StoreState& state) {
  StoreSnapshot snapshot;
  snapshot.file = file;
  snapshot.bytes = file == StoreFile::kProfiles ? SerializeProfiles(state.profiles, *state.header)
                                                : SerializeMacros(state.macros);
  snapshot.sequence = ++SavesOf(file).taken;
  return snapshot;
}

StoreSnapshot ProfileStore::Snapshot(StoreFile file) {
  auto state = Lock();
  return SnapshotLocked(file, *state);
}

SaveResult ProfileStore::WriteLocked(const StoreSnapshot& snapshot) {
  FileSaves& saves = SavesOf(snapshot.file);
  const std::filesystem::path file = PathOf(snapshot.file);
  if (snapshot.sequence <= saves.written) return SaveResult::Success(file);
  SaveResult failure;
  auto pending = snapshot.file == StoreFile::kProfiles
                     ? PrepareProfilesSave(paths_, snapshot.bytes, failure)
                     : PrepareMacrosSave(paths_, snapshot.bytes, failure);
  if (!pending) return failure;
  SaveResult result = pending->Commit();
  // A failed write leaves the older content on disk: an older snapshot may
  // still replace it.
  if (result) saves.written = snapshot.sequence;
  return result;
}

SaveResult ProfileStore::OutOfMemory(StoreFile file) const {
  const std::filesystem::path path = PathOf(file);
  return SaveResult::Failure(path, "cannot write " + path.string() + ": out of memory");
}

SaveResult ProfileStore::Write(const StoreSnapshot& snapshot) {
  std::lock_guard save_lock(SavesOf(snapshot.file).mutex);
  try {
    return WriteLocked(snapshot);
  } catch (const std::bad_alloc&) {
    return OutOfMemory(snapshot.file);
  }
}

SaveResult ProfileStore::Save(StoreFile file) {
  // The save lock is held from the copy to the rename: a save made here is
  // never older than one another thread is writing.
  std::lock_guard save_lock(SavesOf(file).mutex);
  try {
    StoreSnapshot snapshot;
    {
      auto state = Lock();
      snapshot = SnapshotLocked(file, *state);
    }
    return WriteLocked(snapshot);
  } catch (const std::bad_alloc&) {
    return OutOfMemory(file);
  }
}

SaveResult ProfileStore::SaveProfiles() {
  return Save(StoreFile::kProfiles);
}

SaveResult ProfileStore::SaveMacros() {
  return Save(StoreFile::kMacros);
}

StoreChange<int> ProfileStore::AddMacro(std::u16string_view add_macro_text) {
  int index = 0;
  {
    auto state = Lock();
    AppendNewMacro(state->macros, add_macro_text);
    index = static_cast<int>(state->macros.size()) - 1;
  }
  return {index, SaveMacros()};
}

StoreChange<ProfileImport> ProfileStore::ImportProfile(const std::filesystem::path& file,
                                                       const DefaultNameTexts& texts) {
  std::string error;
  auto profile = ReadProfileFile(file, &error);
  if (!profile) return {std::nullopt, SaveResult::Failure(file, error)};
  ProfileImport result;
  {
    auto state = Lock();
    const auto bound =
        std::count_if(std::begin(profile->button), std::begin(profile->button) + kUsedButtonCount,
                      [](const ButtonSlot& slot) { return slot.function_code == kFunctionMacro; });
    SaveResult fits = CheckStoreCaps(paths_, state->profiles.size() + 1,
                                     state->macros.size() + static_cast<std::size_t>(bound), caps_);
    if (!fits) return {std::nullopt, std::move(fits)};
    result = AddImportedProfile(*profile, state->profiles, *state->header, state->macros, texts);
    state->edited_profile = result.profile_index;
  }
  if (result.macro_indexes.empty()) return {result, SaveResult::Success(paths_.MacrosFile())};
  return {result, SaveMacros()};
}

StoreChange<int> ProfileStore::ImportMacro(const std::filesystem::path& file,
                                           std::u16string_view add_macro_text) {
  std::string error;
  auto macro = ReadMacroFile(file, &error);
  if (!macro) return {std::nullopt, SaveResult::Failure(file, error)};
  int index = 0;
  {
    auto state = Lock();
    SaveResult fits =
        CheckStoreCaps(paths_, state->profiles.size(), state->macros.size() + 1, caps_);
    if (!fits) return {std::nullopt, std::move(fits)};
    index = AddImportedMacro(*macro, state->macros, add_macro_text);
  }
  return {index, SaveMacros()};
}

StartupStore LoadStoreAtStartup(ProfileStore& store, std::u16string_view add_profile_text) {
  StartupStore result;
  result.full_apply_pending = true;
  auto state = store.Lock();
  result.profiles = LoadProfiles(store.paths(), state->profiles, *state->header, add_profile_text);
  result.macros = LoadMacros(store.paths(), state->macros);
  result.selected_profile = state->header->selected_profile;
  state->edited_profile = result.selected_profile;
  result.last_applied = std::make_unique<ProfileRecord>(*state->EditedProfile());
  return result;
}

}  // namespace vexel
