// vexelctl commands on the profile and macro store: list, export and import.
// Every command takes --data DIR for the folder holding pro.data and
// macro.data; without it the program's own store folder is used. A failing
// command changes neither store file. Commands that change the store hold the
// store lock from reading the store to their last rename, so they never work
// on a copy that another writer has replaced meanwhile.
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <sstream>

#include "command.h"
#include "language/language_table.h"
#include "program_route.h"
#include "store/names.h"
#include "store/record_files.h"
#include "store/store_files.h"
#include "store/store_lock.h"
#include "store/utf16_name.h"

namespace vexel::ctl {
namespace {

std::string JsonString(std::string_view utf8) {
  std::string out = "\"";
  for (const char c : utf8) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof(escaped), "\\u%04x", c);
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

template <std::size_t N>
std::string JsonName(const char16_t (&name)[N]) {
  return JsonString(Utf16ToUtf8(NameView(name)));
}

std::string IndexedName(int index, const std::string& json_name) {
  return "{\"index\": " + std::to_string(index) + ", \"name\": " + json_name + "}";
}

// The loaded store of one command.
struct Store {
  StorePaths paths;
  ProfileList profiles;
  StoreHeaderPtr header = MakeZeroHeader();
  MacroLibrary macros;
  std::optional<StoreLock> lock;  // held by commands that change the store
};

enum class Access { kRead, kWrite };

// The texts of default names, from the program's language file.
struct NameTexts {
  std::u16string add_profile;
  std::u16string add_macro;

  DefaultNameTexts View() const { return {add_profile, add_macro}; }
};

NameTexts LoadNameTexts() {
  LanguageTable language;
  language.LoadFile((ProgramFolder() / "res" / "lan.xml").string());
  return {Utf8ToUtf16(language.Text("add_profile_text")),
          Utf8ToUtf16(language.Text("add_macro_text"))};
}

// Test seam: VEXEL_TEST_RENAME_PAUSE_MS=N pauses N ms before each rename of a
// store file, which widens the moments that the kill tests aim at.
void PauseBeforeRenames() {
  static long pause_ms = 0;
  const char* value = std::getenv("VEXEL_TEST_RENAME_PAUSE_MS");
  if (value == nullptr ||
      std::from_chars(value, value + std::strlen(value), pause_ms).ec != std::errc()) {
    return;
  }
  SetBeforeRenameHookForTesting([] { SteadyClock().SleepFor(Clock::Ms(pause_ms)); });
}

// Takes --data, takes the store lock for a writing command, and loads both
// files; on failure writes the error line and returns its exit status in
// `status`.
std::optional<Store> OpenStore(Args& args, std::ostream& err, int& status,
                               Access access = Access::kRead) {
  bool missing_value = false;
  const auto data = TakeOption(args, "--data", missing_value);
  if (missing_value) {
    status = BadInput(err, "--data", "needs the folder that holds pro.data and macro.data");
    return std::nullopt;
  }
  Store store;
  if (data) {
    std::error_code ec;
    if (!std::filesystem::is_directory(*data, ec)) {
      status = BadInput(err, "--data " + *data, "not a folder");
      return std::nullopt;
    }
    store.paths = StorePaths{*data};
  } else {
    store.paths = DefaultStorePaths();
  }
  if (access == Access::kWrite) {
    PauseBeforeRenames();
    store.lock = StoreLock::AcquireForTool(store.paths.folder);
    if (!store.lock->held()) {
      status = BadInput(err, "store", store.lock->error());
      return std::nullopt;
    }
  }
  // A missing pro.data reads as the default store of a first start, but it is
  // only written when a command changes the store.
  const LoadReport profiles = LoadProfiles(store.paths, store.profiles, *store.header,
                                           LoadNameTexts().add_profile, ProfileLoadOptions{false});
  const LoadReport macros = LoadMacros(store.paths, store.macros);
  for (const auto& [report, file] : {std::pair{&profiles, store.paths.ProfilesFile()},
                                     std::pair{&macros, store.paths.MacrosFile()}}) {
    std::error_code ec;
    if (report->file_missing && std::filesystem::exists(file, ec)) {
      status = BadInput(err, file.string(), report->error);
      return std::nullopt;
    }
  }
  return store;
}

bool ExpectArgs(const Args& args, std::size_t count, std::string_view usage, std::ostream& err,
                int& status) {
  if (args.size() == count) return true;
  status = BadInput(err, "arguments", "expected " + std::string(usage));
  return false;
}

std::optional<int> ParseIndex(const std::string& text, std::size_t size, std::string_view what,
                              std::ostream& err, int& status) {
  int index = -1;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), index);
  if (ec != std::errc() || end != text.data() + text.size() || index < 0) {
    status = BadInput(err, "INDEX " + text, "not a position (0, 1, 2, ...)");
    return std::nullopt;
  }
  if (static_cast<std::size_t>(index) >= size) {
    status = BadInput(err, "INDEX " + text,
                      "the store holds " + std::to_string(size) + " " + std::string(what));
    return std::nullopt;
  }
  return index;
}

// Writes both files when both are given, replacing neither unless both were
// written completely. macro.data is renamed first: a kill between the two
// renames leaves at most an extra macro, never a profile naming a macro that
// macro.data lacks.
bool CommitStore(const Store& store, bool profiles, bool macros, std::ostream& err, int& status) {
  SaveResult result;
  const auto failed = [&] {
    status = BadInput(err, "saving the store", result.error);
    return false;
  };
  std::optional<PendingFile> macros_file;
  std::optional<PendingFile> profiles_file;
  if (macros) {
    macros_file = PrepareMacrosSave(store.paths, SerializeMacros(store.macros), result);
    if (!macros_file) return failed();
  }
  if (profiles) {
    profiles_file =
        PrepareProfilesSave(store.paths, SerializeProfiles(store.profiles, *store.header), result);
    if (!profiles_file) return failed();
  }
  for (auto* pending : {&macros_file, &profiles_file}) {
    if (!*pending) continue;
    result = (*pending)->Commit();
    if (!result) return failed();
  }
  return true;
}

int ListProfiles(Args args, std::ostream& out, std::ostream& err) {
  if (auto through = RunStoreCommandThroughProgram("profiles", args, out, err)) return *through;
  int status = kExitOk;
  auto store = OpenStore(args, err, status);
  if (!store || !ExpectArgs(args, 0, "no arguments", err, status)) return status;
  out << "{\"selected\": " << store->header->selected_profile << ", \"profiles\": [";
  for (std::size_t i = 0; i < store->profiles.size(); ++i) {
    out << (i ? ", " : "") << "{\"name\": " << JsonName(store->profiles[i]->name) << "}";
  }
  out << "]}\n";
  return kExitOk;
}

int ListMacros(Args args, std::ostream& out, std::ostream& err) {
  int status = kExitOk;
  auto store = OpenStore(args, err, status);
  if (!store || !ExpectArgs(args, 0, "no arguments", err, status)) return status;
  out << "{\"macros\": [";
  for (std::size_t i = 0; i < store->macros.size(); ++i) {
    const MacroRecord& macro = *store->macros[i];
    out << (i ? ", " : "") << "{\"name\": " << JsonName(macro.name) << ", \"actions\": [";
    for (int a = 0; a < macro.action_count; ++a) {
      const MacroAction& action = macro.actions[a];
      out << (a ? ", " : "") << "[" << int{action.code} << ", " << int{action.kind} << ", "
          << action.delay << "]";
    }
    out << "]}";
  }
  out << "]}\n";
  return kExitOk;
}

// export-profile and export-macro: record INDEX of one list to FILE.
template <typename List, typename Record>
int ExportRecord(Args args, std::ostream& out, std::ostream& err, List Store::*list,
                 std::string_view what,
                 SaveResult (*write)(const std::filesystem::path&, const Record&,
                                     const StorePaths&)) {
  int status = kExitOk;
  auto store = OpenStore(args, err, status);
  if (!store || !ExpectArgs(args, 2, "INDEX FILE", err, status)) return status;
  const List& records = *store.*list;
  const auto index = ParseIndex(args[0], records.size(), what, err, status);
  if (!index) return status;
  const Record& record = *records[static_cast<std::size_t>(*index)];
  const SaveResult written = write(args[1], record, store->paths);
  if (!written) return BadInput(err, "export", written.error);
  out << "{\"exported\": " << IndexedName(*index, JsonName(record.name)) << "}\n";
  return kExitOk;
}

int ExportProfileCommand(Args args, std::ostream& out, std::ostream& err) {
  return ExportRecord(std::move(args), out, err, &Store::profiles, "profiles", WriteProfileFile);
}

int ExportMacroCommand(Args args, std::ostream& out, std::ostream& err) {
  return ExportRecord(std::move(args), out, err, &Store::macros, "macros", WriteMacroFile);
}

int ImportProfileCommand(Args args, std::ostream& out, std::ostream& err) {
  if (auto through = RunStoreCommandThroughProgram("import-profile", args, out, err))
    return *through;
  int status = kExitOk;
  auto store = OpenStore(args, err, status, Access::kWrite);
  if (!store || !ExpectArgs(args, 1, "FILE", err, status)) return status;
  std::string error;
  auto profile = ReadProfileFile(args[0], &error);
  if (!profile) return BadInput(err, "import-profile", error);
  const ProfileImport result = AddImportedProfile(*profile, store->profiles, *store->header,
                                                  store->macros, LoadNameTexts().View());
  if (!CommitStore(*store, true, !result.macro_indexes.empty(), err, status)) return status;
  const ProfileRecord& added = *store->profiles[static_cast<std::size_t>(result.profile_index)];
  out << "{\"profile\": " << IndexedName(result.profile_index, JsonName(added.name))
      << ", \"macros\": [";
  for (std::size_t i = 0; i < result.macro_indexes.size(); ++i) {
    const int position = result.macro_indexes[i];
    out << (i ? ", " : "")
        << IndexedName(position, JsonName(store->macros[static_cast<std::size_t>(position)]->name));
  }
  out << "]}\n";
  return kExitOk;
}

int ImportMacroCommand(Args args, std::ostream& out, std::ostream& err) {
  if (auto through = RunStoreCommandThroughProgram("import-macro", args, out, err)) return *through;
  int status = kExitOk;
  auto store = OpenStore(args, err, status, Access::kWrite);
  if (!store || !ExpectArgs(args, 1, "FILE", err, status)) return status;
  std::string error;
  auto macro = ReadMacroFile(args[0], &error);
  if (!macro) return BadInput(err, "import-macro", error);
  const int index = AddImportedMacro(*macro, store->macros, LoadNameTexts().add_macro);
  if (!CommitStore(*store, false, true, err, status)) return status;
  out << "{\"macro\": "
      << IndexedName(index, JsonName(store->macros[static_cast<std::size_t>(index)]->name))
      << "}\n";
  return kExitOk;
}

const CommandRegistrar kProfiles({"profiles", "[--data DIR]",
                                  "print the stored profiles and the selected one as JSON",
                                  ListProfiles});
const CommandRegistrar kMacros({"macros", "[--data DIR]",
                                "print the macro library with every step as JSON", ListMacros});
const CommandRegistrar kExportProfile({"export-profile", "INDEX FILE [--data DIR]",
                                       "write stored profile INDEX (0-based) to a *.pro file",
                                       ExportProfileCommand});
const CommandRegistrar kImportProfile(
    {"import-profile", "FILE [--data DIR]",
     "add a *.pro file as a new selected profile, its macros to the library",
     ImportProfileCommand});
const CommandRegistrar kExportMacro({"export-macro", "INDEX FILE [--data DIR]",
                                     "write library macro INDEX (0-based) to a *.macro file",
                                     ExportMacroCommand});
const CommandRegistrar kImportMacro({"import-macro", "FILE [--data DIR]",
                                     "add a *.macro file to the macro library",
                                     ImportMacroCommand});

}  // namespace
}  // namespace vexel::ctl
