// Automatic profiles: the rules that pick a profile by the application in
// front, kept in rules.json beside pro.data. Every edit of the section is
// made as the words of `vexelctl rule`, so the window, the command line and
// D-Bus refuse and store alike.
#include <algorithm>
#include <string>
#include <vector>

#include "store/utf16_name.h"
#include "toolkit/control.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"
#include "ui/page/ms_1_page.h"

namespace vexel {
namespace {

std::string Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

// Fills a combo with `items`, selecting `selected`, without a notification.
void FillCombo(toolkit::Control* combo, const std::vector<std::string>& items, int selected) {
  if (combo == nullptr) return;
  combo->RemoveAllItems();
  for (const std::string& item : items) combo->AddItem(item);
  combo->SelectItem(selected, false);
}

}  // namespace

void CMS_1_Page::LoadRulesAtStartup() {
  std::string warning;
  app_rules_ = LoadAppRules(store_.paths().folder, &warning);
  // A damaged file was set aside; the program goes on without rules.
  if (!warning.empty() && services_.debug) services_.debug("rules: " + warning + "\n");
  ShowRules();
}

std::vector<std::string> CMS_1_Page::ProfileNames() {
  std::vector<std::string> names;
  auto access = store_.Lock();
  for (const auto& profile : access->profiles)
    names.push_back(Utf16ToUtf8(NameView(profile->name)));
  return names;
}

void CMS_1_Page::ShowRules() {
  const toolkit::Toolkit& kit = main_window_.toolkit();
  const std::vector<std::string> names = ProfileNames();
  if (controls_.rules_enabled != nullptr) controls_.rules_enabled->SetChecked(app_rules_.enabled);
  if (toolkit::Control* list = controls_.list_rules) {
    const int selected = list->SelectedItem();
    list->RemoveAllItems();
    for (const AppRule& rule : app_rules_.rules)
      list->AddItem(rule.app + "  \u2192  " + rule.profile);
    list->SelectItem(std::min(selected, list->ItemCount() - 1), false);
  }
  int edited = 0;
  {
    auto access = store_.Lock();
    edited = std::max(access->edited_profile, 0);
  }
  FillCombo(controls_.combo_rule_profile, names, edited);
  std::vector<std::string> defaults{kit.LanguageText("rule_none_text")};
  defaults.insert(defaults.end(), names.begin(), names.end());
  const auto named = std::find(names.begin(), names.end(), app_rules_.default_profile);
  FillCombo(controls_.combo_rule_default, defaults,
            named == names.end() ? 0 : static_cast<int>(named - names.begin()) + 1);
}

void CMS_1_Page::OfferRunningApps() {
  if (controls_.edit_rule_app == nullptr || !services_.running_app_names) return;
  std::vector<std::string> apps = services_.running_app_names();
  std::sort(apps.begin(), apps.end());
  apps.erase(std::unique(apps.begin(), apps.end()), apps.end());
  controls_.edit_rule_app->SetCompletions(apps);
}

bool CMS_1_Page::OnRulesNotification(const toolkit::Notification& notification) {
  toolkit::Control* sender = notification.sender;
  if (sender == nullptr) return false;
  const auto words = [this](std::initializer_list<std::string> list) {
    EditRulesFromSection(std::vector<std::string>(list));
  };
  if (sender == controls_.rules_enabled && notification.Is(toolkit::kNotifyCheckClick)) {
    words({sender->IsChecked() ? "enable" : "disable"});
  } else if (sender == controls_.combo_rule_default &&
             notification.Is(toolkit::kNotifyItemSelect)) {
    const int item = sender->SelectedItem();
    words({"default", item <= 0 ? "none" : std::to_string(item - 1)});
  } else if (sender == controls_.btn_rule_add && notification.Is(toolkit::kNotifyClick)) {
    AddRuleFromSection();
  } else if (sender == controls_.edit_rule_app && notification.Is(toolkit::kNotifyReturn)) {
    AddRuleFromSection();
  } else if (sender == controls_.edit_rule_app && notification.Is(toolkit::kNotifySetFocus)) {
    OfferRunningApps();
  } else if (sender == controls_.btn_rule_remove && notification.Is(toolkit::kNotifyClick)) {
    const int row = controls_.list_rules != nullptr ? controls_.list_rules->SelectedItem() : -1;
    if (row >= 0 && row < static_cast<int>(app_rules_.rules.size())) {
      words({"remove", app_rules_.rules[static_cast<std::size_t>(row)].app});
    }
  } else {
    return false;
  }
  return true;
}

void CMS_1_Page::AddRuleFromSection() {
  toolkit::Control* field = controls_.edit_rule_app;
  const std::string app = field != nullptr ? Trimmed(field->Text()) : std::string();
  if (app.empty()) {
    ShowMessage("rule_app_empty_text");
    if (field != nullptr) field->SetFocus();
    return;
  }
  const int profile =
      controls_.combo_rule_profile != nullptr ? controls_.combo_rule_profile->SelectedItem() : -1;
  // The position names the profile even when its name reads like a position.
  const std::vector<std::string> words{"add", app, std::to_string(std::max(profile, 0))};
  if (!EditRulesFromSection(words)) return;
  if (field != nullptr) field->SetText("");
  if (controls_.list_rules != nullptr) {
    const auto added = std::find_if(app_rules_.rules.begin(), app_rules_.rules.end(),
                                    [&app](const AppRule& rule) { return rule.app == app; });
    controls_.list_rules->SelectItem(static_cast<int>(added - app_rules_.rules.begin()), false);
  }
}

bool CMS_1_Page::EditRulesFromSection(std::span<const std::string> words) {
  const ScriptEdit edit = EditRules(words);
  if (edit.error.empty()) return true;
  // A refusal cannot come from the section's own choices; a failed save is said.
  if (edit.changed) ShowMessage("save_fail_text", edit.error);
  ShowRules();  // the section shows what holds
  return false;
}

CMS_1_Page::ScriptEdit CMS_1_Page::EditRulesFromScript(std::span<const std::string> words) {
  return EditRules(words);
}

CMS_1_Page::ScriptEdit CMS_1_Page::EditRules(std::span<const std::string> words) {
  ScriptEdit edit;
  AppRules edited = app_rules_;
  const std::vector<std::string> names = ProfileNames();
  if (!EditAppRules(edited, words, names, edit.error)) return edit;
  edit.changed = edited != app_rules_;
  // All or nothing: unsaved, the rules stay as rules.json holds them.
  if (edit.changed && !SaveAppRules(store_.paths().folder, edited, edit.error)) return edit;
  app_rules_ = std::move(edited);
  ShowRules();
  return edit;
}

void CMS_1_Page::UpdateRules(const std::function<void(AppRules&)>& update) {
  AppRules updated = app_rules_;
  update(updated);
  std::string error;
  if (updated != app_rules_ && !SaveAppRules(store_.paths().folder, updated, error) &&
      services_.debug) {
    services_.debug("rules: " + error + "\n");
  }
  // The profile's change stands; rules.json follows it at the next save.
  app_rules_ = std::move(updated);
  ShowRules();
}

CMS_1_Page::ScriptEdit CMS_1_Page::SelectByRule(std::string_view profile) {
  std::optional<int> index;
  bool selected_already = false;
  ScriptEdit edit;
  {
    auto access = store_.Lock();
    for (std::size_t i = 0; i < access->profiles.size() && !index; ++i) {
      if (SameName(Utf16ToUtf8(NameView(access->profiles[i]->name)), profile)) {
        index = static_cast<int>(i);
      }
    }
    selected_already = index && *index == access->edited_profile;
  }
  if (!index) {
    edit.error = "no profile is named " + std::string(profile);
    return edit;
  }
  if (selected_already) return edit;
  edit = SelectFromScript(std::to_string(*index));
  if (edit.error.empty()) MarkRuleRow(*index, true);
  return edit;
}

void CMS_1_Page::MarkRuleRow(int row, bool marked) {
  toolkit::Control* list = controls_.list_profile;
  std::string name;
  {
    auto access = store_.Lock();
    if (row < 0 || row >= static_cast<int>(access->profiles.size())) return;
    name = Utf16ToUtf8(NameView(access->profiles[static_cast<std::size_t>(row)]->name));
  }
  const std::string mark = "  \u00b7  " + main_window_.toolkit().LanguageText("rule_chosen_text");
  if (list != nullptr) list->SetItemText(row, marked ? name + mark : name);
  rule_marked_row_ = marked ? row : -1;
}

}  // namespace vexel
