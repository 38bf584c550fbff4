#include "store/profile_store.h"

#include <new>

#include "store/names.h"

namespace vexel {

ProfileRecord* StoreState::EditedProfile() {
  if (edited_profile < 0 || static_cast<std::size_t>(edited_profile) >= profiles.size()) {
    return nullptr;
  }
  return profiles[static_cast<std::size_t>(edited_profile)].get();
}

template <typename Serialize, typename Prepare>
SaveResult ProfileStore::SaveThrough(std::mutex& save_mutex, const std::filesystem::path& file,
                                     Serialize serialize, Prepare prepare) {
  std::lock_guard save_lock(save_mutex);
  try {
    Bytes bytes;
    {
      auto state = Lock();
      bytes = serialize(*state);
    }
    SaveResult failure;
    auto pending = prepare(paths_, bytes, failure);
    if (!pending) return failure;
    return pending->Commit();
  } catch (const std::bad_alloc&) {
    return SaveResult::Failure(file, "cannot write " + file.string() + ": out of memory");
  }
}

SaveResult ProfileStore::SaveProfiles() {
  return SaveThrough(
      profile_save_mutex_, paths_.ProfilesFile(),
      [](const StoreState& state) { return SerializeProfiles(state.profiles, *state.header); },
      PrepareProfilesSave);
}

SaveResult ProfileStore::SaveMacros() {
  return SaveThrough(
      macro_save_mutex_, paths_.MacrosFile(),
      [](const StoreState& state) { return SerializeMacros(state.macros); }, PrepareMacrosSave);
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
