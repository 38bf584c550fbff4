// vexelctl rules and rule: the rules of profiles that follow the application
// in front (rules.json in the store folder). While the program holds the
// store they go through its D-Bus interface, so the window shows the edit;
// otherwise they hold the store lock, look up profiles in pro.data and save
// rules.json themselves.
#include <ostream>

#include "autoprofile/app_rules.h"
#include "command.h"
#include "language/language_table.h"
#include "program_route.h"
#include "store/store_files.h"
#include "store/store_lock.h"
#include "store/utf16_name.h"

namespace vexel::ctl {
namespace {

// The profile names of the store, as the program would load them; false
// (with the exit status written) when pro.data is damaged.
bool LoadProfileNames(const std::filesystem::path& folder, std::vector<std::string>& names,
                      std::ostream& err) {
  LanguageTable language;
  language.LoadFile((ProgramFolder() / "res" / "lan.xml").string());
  const StorePaths paths{folder};
  ProfileList profiles;
  auto header = MakeZeroHeader();
  const LoadReport loaded =
      LoadProfiles(paths, profiles, *header, Utf8ToUtf16(language.Text("add_profile_text")),
                   ProfileLoadOptions{false});
  std::error_code ec;
  if (loaded.file_missing && std::filesystem::exists(paths.ProfilesFile(), ec)) {
    BadInput(err, paths.ProfilesFile().string(), loaded.error);
    return false;
  }
  for (const auto& profile : profiles) {
    if (profile) names.push_back(Utf16ToUtf8(NameView(profile->name)));
  }
  return true;
}

// Prints the rules, after making the edit of `words` when given.
int RunOnStore(const std::filesystem::path& folder, const Args* words, std::ostream& out,
               std::ostream& err) {
  const StoreLock lock = StoreLock::AcquireForTool(folder);
  if (!lock) return BadInput(err, "store", lock.error());
  std::string message;
  AppRules rules = LoadAppRules(folder, &message);
  if (!message.empty()) err << "vexelctl: " << message << "\n";
  if (words != nullptr) {
    std::vector<std::string> names;
    if (!LoadProfileNames(folder, names, err)) return kExitBadInput;
    if (!EditAppRules(rules, *words, names, message)) return BadInput(err, "rule", message);
    if (!SaveAppRules(folder, rules, message)) {
      err << "vexelctl: " << message << "\n";
      return kExitFailed;
    }
  }
  out << AppRulesJson(rules) << "\n";
  return kExitOk;
}

int Run(const char* what, Args args, bool takes_words, std::ostream& out, std::ostream& err) {
  const std::filesystem::path folder = PeekStoreFolder(args);
  bool missing = false;
  TakeOption(args, "--data", missing);
  if (missing) return BadInput(err, "--data", "needs a value");
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec)) {
    return BadInput(err, "--data " + folder.string(), "not a folder");
  }
  if (!takes_words && !args.empty()) return BadInput(err, what, "takes no arguments");
  if (ProgramHoldsStore(folder)) {
    return takes_words ? CallProgramAndPrint(what, "EditRules", {}, out, err, &args)
                       : CallProgramAndPrint(what, "Rules", {}, out, err);
  }
  return RunOnStore(folder, takes_words ? &args : nullptr, out, err);
}

int Rules(Args args, std::ostream& out, std::ostream& err) {
  return Run("rules", std::move(args), false, out, err);
}

int Rule(Args args, std::ostream& out, std::ostream& err) {
  return Run("rule", std::move(args), true, out, err);
}

const CommandRegistrar kRules({"rules", "[--data DIR]",
                               "print the rules of profiles that follow the application in "
                               "front as JSON",
                               Rules});
const CommandRegistrar kRule(
    {"rule", "add APP PROFILE | remove APP | default PROFILE|none | enable | disable [--data DIR]",
     "change those rules (APP: a window class or process name; PROFILE: position or name) and "
     "print them",
     Rule});

}  // namespace
}  // namespace vexel::ctl
