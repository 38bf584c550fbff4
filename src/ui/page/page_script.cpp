// Requests from outside the window (the program's D-Bus interface): the
// script core decides what they mean, the page makes them as the user's own
// edits, so the window shows them and the mouse gets what the same edit in
// the window sends.
#include <cstring>

#include "script/profile_script.h"
#include "toolkit/control.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"
#include "ui/page/ms_1_page.h"

namespace vexel {
namespace {

// The position `selector` names, the edited profile for an empty one.
std::optional<int> ScriptProfileIndex(const StoreState& state, std::string_view selector,
                                      std::string& error) {
  if (!selector.empty()) return script::FindProfile(state.profiles, selector, error);
  if (state.edited_profile < 0) error = "no profile is selected";
  return state.edited_profile >= 0 ? std::optional<int>(state.edited_profile) : std::nullopt;
}

}  // namespace

CMS_1_Page::ScriptEdit CMS_1_Page::SetFromScript(std::string_view profile,
                                                 std::span<const std::string> assignments) {
  ScriptEdit edit;
  {
    auto access = store_.Lock();
    const auto index = ScriptProfileIndex(*access, profile, edit.error);
    if (!index) return edit;
    ProfileRecord& record = *access->profiles[static_cast<std::size_t>(*index)];
    auto edited = std::make_unique<ProfileRecord>(record);
    edit.error = script::ApplyAssignments(*edited, access->macros, assignments);
    if (!edit.error.empty()) return edit;
    edit.changed = std::memcmp(edited.get(), &record, sizeof record) != 0;
    edit.selected = *index == access->edited_profile;
    record = *edited;
  }
  edit.linked = session_.links().AnyLinkOpen();
  if (!edit.changed) return edit;
  if (edit.selected) {
    RefreshPage();
    RequestApply();
  }
  // The apply cycle saves only what it could send.
  if (!edit.selected || !edit.linked) session_.SaveProfilesFromUiThread();
  return edit;
}

CMS_1_Page::ScriptEdit CMS_1_Page::SelectFromScript(std::string_view profile) {
  ScriptEdit edit;
  std::optional<int> index;
  {
    auto access = store_.Lock();
    index = script::FindProfile(access->profiles, profile, edit.error);
  }
  if (!index) return edit;
  edit.changed = edit.selected = true;
  edit.linked = session_.links().AnyLinkOpen();
  SelectListEntry(*index);
  if (!edit.linked) session_.SaveProfilesFromUiThread();
  return edit;
}

std::optional<std::string> CMS_1_Page::ProfileJsonForScript(std::string_view profile,
                                                            std::string& error) {
  const toolkit::Toolkit& kit = main_window_.toolkit();
  auto access = store_.Lock();
  const auto index = ScriptProfileIndex(*access, profile, error);
  if (!index) return std::nullopt;
  return script::ProfileJson(*access->profiles[static_cast<std::size_t>(*index)],
                             [&kit](std::string_view key) { return kit.LanguageText(key); });
}

}  // namespace vexel
