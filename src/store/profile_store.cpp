#include "store/profile_store.h"

#include "store/names.h"

namespace vexel {

ProfileRecord* StoreState::EditedProfile() {
  if (edited_profile < 0 || static_cast<std::size_t>(edited_profile) >= profiles.size()) {
    return nullptr;
  }
  return profiles[static_cast<std::size_t>(edited_profile)].get();
}

template <typename Serialize, typename Prepare>
bool ProfileStore::SaveThrough(std::mutex& save_mutex, Serialize serialize, Prepare prepare,
                               std::string* error) {
  std::lock_guard save_lock(save_mutex);
  Bytes bytes;
  {
    auto state = Lock();
    bytes = serialize(*state);
  }
  auto pending = prepare(paths_, bytes, error);
  return pending && pending->Commit(error);
}

bool ProfileStore::SaveProfiles(std::string* error) {
  return SaveThrough(
      profile_save_mutex_,
      [](const StoreState& state) { return SerializeProfiles(state.profiles, *state.header); },
      PrepareProfilesSave, error);
}

bool ProfileStore::SaveMacros(std::string* error) {
  return SaveThrough(
      macro_save_mutex_, [](const StoreState& state) { return SerializeMacros(state.macros); },
      PrepareMacrosSave, error);
}

int ProfileStore::AddMacro(std::u16string_view add_macro_text) {
  int index = 0;
  {
    auto state = Lock();
    AppendNewMacro(state->macros, add_macro_text);
    index = static_cast<int>(state->macros.size()) - 1;
  }
  SaveMacros();
  return index;
}

std::optional<ProfileImport> ProfileStore::ImportProfile(const std::filesystem::path& file,
                                                         std::string* error) {
  auto profile = ReadProfileFile(file, error);
  if (!profile) return std::nullopt;
  ProfileImport result;
  {
    auto state = Lock();
    result = AddImportedProfile(*profile, state->profiles, *state->header, state->macros);
    state->edited_profile = result.profile_index;
  }
  if (!result.macro_indexes.empty()) SaveMacros();
  return result;
}

std::optional<int> ProfileStore::ImportMacro(const std::filesystem::path& file,
                                             std::string* error) {
  auto macro = ReadMacroFile(file, error);
  if (!macro) return std::nullopt;
  int index = 0;
  {
    auto state = Lock();
    index = AddImportedMacro(*macro, state->macros);
  }
  SaveMacros();
  return index;
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
