// vexelctl get, set and select: one profile as JSON, edits of it by the
// page's rules, and the choice of the selected profile; functions and
// effects list the words they take. While the program runs they go through
// its D-Bus interface; otherwise they lock the store and drive the link as
// apply does.
#include <cstring>
#include <ostream>

#include "command.h"
#include "device_run.h"
#include "language/language_table.h"
#include "program_route.h"
#include "script/button_functions.h"
#include "script/profile_script.h"
#include "store/store_files.h"
#include "store/store_lock.h"
#include "store/utf16_name.h"

namespace vexel::ctl {
namespace {

LanguageTable ProgramLanguage() {
  LanguageTable language;
  language.LoadFile((ProgramFolder() / "res" / "lan.xml").string());
  return language;
}

script::LanguageText TextOf(const LanguageTable& language) {
  return [&language](std::string_view key) { return language.Text(key); };
}

struct ScriptArgs {
  std::filesystem::path folder;
  std::string profile;  // empty: the selected one
  Args rest;
};

std::optional<ScriptArgs> TakeScriptArgs(Args args, bool takes_profile, std::ostream& err,
                                         int& status) {
  ScriptArgs taken;
  taken.folder = PeekStoreFolder(args);
  for (const char* option : {"--data", "--profile"}) {
    bool missing = false;
    const auto value = TakeOption(args, option, missing);
    if (missing || (value && std::string_view(option) == "--profile" && !takes_profile)) {
      status = BadInput(err, option, missing ? "needs a value" : "not taken by this command");
      return std::nullopt;
    }
    if (value && std::string_view(option) == "--profile") taken.profile = *value;
  }
  std::error_code ec;
  if (!std::filesystem::is_directory(taken.folder, ec)) {
    status = BadInput(err, "--data " + taken.folder.string(), "not a folder");
    return std::nullopt;
  }
  taken.rest = std::move(args);
  return taken;
}

// The position `selector` names, or the selected profile for an empty one.
std::optional<int> ProfileIndex(const StoreState& state, const std::string& selector,
                                std::ostream& err) {
  if (selector.empty()) return state.edited_profile;
  std::string error;
  const auto index = script::FindProfile(state.profiles, selector, error);
  if (!index) BadInput(err, "profile", error);
  return index;
}

int Get(Args args, std::ostream& out, std::ostream& err) {
  int status = kExitOk;
  auto taken = TakeScriptArgs(std::move(args), true, err, status);
  if (!taken) return status;
  if (!taken->rest.empty()) return BadInput(err, "get", "usage: vexelctl get [--profile P]");
  if (ProgramHoldsStore(taken->folder)) {
    return CallProgramAndPrint("get", "Get", {taken->profile}, out, err);
  }
  const LanguageTable language = ProgramLanguage();
  StoreState state;
  const StorePaths paths{taken->folder};
  const LoadReport loaded =
      LoadProfiles(paths, state.profiles, *state.header,
                   Utf8ToUtf16(language.Text("add_profile_text")), ProfileLoadOptions{false});
  std::error_code ec;
  if (loaded.file_missing && std::filesystem::exists(paths.ProfilesFile(), ec)) {
    return BadInput(err, paths.ProfilesFile().string(), loaded.error);
  }
  state.edited_profile = state.header->selected_profile;
  const auto index = ProfileIndex(state, taken->profile, err);
  if (!index) return kExitBadInput;
  if (*index < 0 || *index >= static_cast<int>(state.profiles.size())) {
    return BadInput(err, "store", "no selected profile");
  }
  out << script::ProfileJson(*state.profiles[static_cast<std::size_t>(*index)], TextOf(language));
  return kExitOk;
}

// set and select on the store itself: the store locked, the session started
// as the program starts it, `edit` made on the state, then saved and sent.
template <typename Edit>
int EditLocally(const ScriptArgs& taken, const char* what, std::ostream& out, std::ostream& err,
                Edit edit) {
  const StoreLock lock = StoreLock::AcquireForTool(taken.folder);
  if (!lock) return BadInput(err, what, lock.error());
  Session session(taken.folder);
  session.Start();
  ApplyOutcome outcome;
  bool full = false;
  {
    auto access = session.store().Lock();
    const auto index = ProfileIndex(*access, taken.profile, err);
    if (!index) return kExitBadInput;
    const int status = edit(*access, *index, outcome, full);
    if (status != kExitOk) return status;
  }
  if (!outcome.changed) return kExitOk;
  if (outcome.selected) {
    outcome = RunApplyCycle(session, full);
  }
  if (!outcome.selected || !outcome.linked) {
    // Nothing went to the mouse: the store is saved here, not by a cycle.
    if (const SaveResult saved = session.store().SaveProfiles(); !saved) {
      outcome.save_error = saved.file.string() + ": " + saved.error;
    }
  }
  return PrintApplyOutcome(outcome, out, err);
}

int Set(Args args, std::ostream& out, std::ostream& err) {
  int status = kExitOk;
  auto taken = TakeScriptArgs(std::move(args), true, err, status);
  if (!taken) return status;
  if (taken->rest.empty()) return BadInput(err, "set", "usage: vexelctl set KEY=VALUE...");
  if (ProgramHoldsStore(taken->folder)) {
    return CallProgramApply("set", "Set", {taken->profile}, out, err, &taken->rest);
  }
  return EditLocally(
      *taken, "set", out, err, [&](StoreState& state, int index, ApplyOutcome& outcome, bool&) {
        ProfileRecord& profile = *state.profiles[static_cast<std::size_t>(index)];
        auto edited = std::make_unique<ProfileRecord>(profile);
        const std::string error = script::ApplyAssignments(*edited, state.macros, taken->rest);
        if (!error.empty()) return BadInput(err, "set", error);
        outcome.changed = std::memcmp(edited.get(), &profile, sizeof profile) != 0;
        outcome.selected = index == state.edited_profile;
        profile = *edited;
        return kExitOk;
      });
}

int Select(Args args, std::ostream& out, std::ostream& err) {
  int status = kExitOk;
  auto taken = TakeScriptArgs(std::move(args), false, err, status);
  if (!taken) return status;
  if (taken->rest.size() != 1) return BadInput(err, "select", "usage: vexelctl select PROFILE");
  taken->profile = taken->rest[0];
  if (ProgramHoldsStore(taken->folder)) {
    return CallProgramApply("select", "SelectProfile", {taken->profile}, out, err);
  }
  return EditLocally(*taken, "select", out, err,
                     [](StoreState& state, int index, ApplyOutcome&, bool& full) {
                       // As choosing the entry in the list: a full apply.
                       state.header->selected_profile = index;
                       state.edited_profile = index;
                       full = true;
                       return kExitOk;
                     });
}

int Functions(Args args, std::ostream& out, std::ostream& err) {
  if (!args.empty()) return BadInput(err, "functions", "takes no arguments");
  const LanguageTable language = ProgramLanguage();
  for (const ButtonFunction& function : ButtonFunctionCatalogue()) {
    if (function.code == kFunctionKeyCombination) {
      out << "key:KEYS\tKey combination, for example key:ctrl+c\n";
    } else if (function.code == kFunctionMacro) {
      out << "macro:NAME\tMacro of the library (see vexelctl macros)\n";
    } else {
      out << function.id << "\t" << language.Text(function.text_key) << "\n";
    }
  }
  return kExitOk;
}

int Effects(Args args, std::ostream& out, std::ostream& err) {
  if (!args.empty()) return BadInput(err, "effects", "takes no arguments");
  const LanguageTable language = ProgramLanguage();
  int index = 0;
  for (const script::LightEffect& effect : script::LightEffects()) {
    out << effect.id << "\t" << language.Text(effect.text_key)
        << (index++ < script::kBleEffectCount ? "" : " (not over Bluetooth)") << "\n";
  }
  return kExitOk;
}

const CommandRegistrar kGet({"get", "[--profile P] [--data DIR]",
                             "print a profile (default: the selected one) as JSON, schema 1", Get});
const CommandRegistrar kSet(
    {"set", "[--profile P] [--data DIR] KEY=VALUE...",
     "change a profile (dpi.3=1600, light.effect=breathing, button.9=forward, ...) as one edit, "
     "save it and send what changed; one line per report",
     Set});
const CommandRegistrar kSelect({"select", "PROFILE [--data DIR]",
                                "make the profile (0-based position or name) the selected one "
                                "and send it; one line per report",
                                Select});
const CommandRegistrar kFunctions({"functions", "", "list the button function words of set and get",
                                   Functions});
const CommandRegistrar kEffects({"effects", "", "list the light effect words of set and get",
                                 Effects});

}  // namespace
}  // namespace vexel::ctl
