// The profile commands of the page: add, delete, rename, restore, export and
// import. Each changes the store's list and the list control together, then
// saves pro.data and hands the result to the apply cycle (which sends it and
// saves again).
#include <filesystem>
#include <string>

#include "messages/app_messages.h"
#include "store/names.h"
#include "store/record_files.h"
#include "store/utf16_name.h"
#include "toolkit/control.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"
#include "ui/page/ms_1_page.h"
#include "ui/page/profile_name_wnd.h"

namespace vexel {
namespace {

constexpr char kWarningTitle[] = "warning_title_text";

toolkit::FileDialogRequest ProfileFileRequest(toolkit::FileDialogRequest::Mode mode) {
  toolkit::FileDialogRequest request;
  request.mode = mode;
  request.filter_name = "Profile Flie";
  request.patterns = "*.pro;*.PRO";
  return request;
}

}  // namespace

bool CMS_1_Page::OnProfileCommand(toolkit::Control* sender) {
  if (sender == nullptr) return false;
  if (sender == controls_.profile_add) {
    AddProfile();
  } else if (sender == controls_.profile_delete) {
    DeleteProfile();
  } else if (sender == controls_.profile_rename) {
    RenameProfile();
  } else if (sender == controls_.profile_reset || sender == controls_.btn_reset) {
    RestoreProfile();
  } else if (sender == controls_.profile_export) {
    ExportProfile();
  } else if (sender == controls_.profile_import) {
    ImportProfile();
  } else {
    return false;
  }
  return true;
}

int CMS_1_Page::ShowMessage(std::string_view message_key, std::string_view detail) {
  return services_.message_box ? services_.message_box(kWarningTitle, message_key, detail) : 0;
}

std::u16string CMS_1_Page::AskProfileName(const char* title_key, std::u16string initial_name) {
  return CMS_1_ProfileName::Ask(
      main_window_.toolkit(), &main_window_, title_key,
      [this](std::u16string_view name) {
        auto access = store_.Lock();
        return NameExists(access->profiles, name);
      },
      [this](std::string_view key) { ShowMessage(key); }, std::move(initial_name));
}

void CMS_1_Page::SwitchToProfile(int index) {
  if (rule_marked_row_ >= 0) MarkRuleRow(rule_marked_row_, false);
  {
    auto access = store_.Lock();
    const bool valid = index >= 0 && index < static_cast<int>(access->profiles.size());
    access->edited_profile = valid ? index : -1;
    if (valid) access->header->selected_profile = index;
  }
  RefreshPage();
  ShowRules();
  session_.SetFullApplyPending(true);
  RequestApply();
}

// Selects the entry and switches to its profile whether or not the control
// reports the selection, so the edited profile never stays on a removed one.
void CMS_1_Page::SelectListEntry(int index) {
  if (controls_.list_profile != nullptr) controls_.list_profile->SelectItem(index, false);
  skip_first_profile_select_ = 0;
  SwitchToProfile(index);
}

void CMS_1_Page::AddProfile() {
  const std::u16string name = AskProfileName("profile_name_1_text");
  if (name.empty()) return;
  int index = 0;
  {
    auto access = store_.Lock();
    auto record = MakeZeroProfile();
    ApplyProfileDefaults(*record);
    SetName(record->name, name);
    access->profiles.push_back(std::move(record));
    index = static_cast<int>(access->profiles.size()) - 1;
    access->header->selected_profile = index;
  }
  if (controls_.list_profile != nullptr) controls_.list_profile->AddItem(Utf16ToUtf8(name), 22);
  SelectListEntry(index);
}

void CMS_1_Page::DeleteProfile() {
  int count = 0;
  int current = 0;
  {
    auto access = store_.Lock();
    count = static_cast<int>(access->profiles.size());
    current = access->edited_profile;
  }
  if (count < 2) {
    ShowMessage("one_profile_text");
    return;
  }
  if (ShowMessage("delete_profile_text") != 1) return;
  if (current < 0 || current >= count) return;
  std::string name;
  {
    auto access = store_.Lock();
    name = Utf16ToUtf8(NameView(access->profiles[current]->name));
    access->profiles.erase(access->profiles.begin() + current);
    // Nothing may point at the removed record until the switch below.
    access->edited_profile = -1;
  }
  if (controls_.list_profile != nullptr) controls_.list_profile->RemoveItem(current);
  UpdateRules([&name](AppRules& rules) { RemoveProfileFromRules(rules, name); });
  SelectListEntry(current >= count - 1 ? current - 1 : current);
}

void CMS_1_Page::RenameProfile() {
  std::u16string current;
  {
    auto access = store_.Lock();
    if (const ProfileRecord* edited = access->EditedProfile()) current = NameView(edited->name);
  }
  // The field starts with the current name, selected: a typo is mended without
  // retyping the whole name.
  const std::u16string name = AskProfileName("profile_name_2_text", std::move(current));
  if (name.empty()) return;
  int index = -1;
  std::string old_name;
  {
    auto access = store_.Lock();
    ProfileRecord* edited = access->EditedProfile();
    if (edited == nullptr) return;
    old_name = Utf16ToUtf8(NameView(edited->name));
    SetName(edited->name, name);
    index = access->edited_profile;
  }
  if (controls_.list_profile != nullptr) {
    controls_.list_profile->SetItemText(index, Utf16ToUtf8(name));
  }
  if (index == rule_marked_row_) MarkRuleRow(index, true);
  UpdateRules([&old_name, &name](AppRules& rules) {
    RenameProfileInRules(rules, old_name, Utf16ToUtf8(name));
  });
  session_.SaveProfilesFromUiThread();
}

void CMS_1_Page::RestoreProfile() {
  if (ShowMessage("restore_text") != 1) return;
  EditProfile([](ProfileRecord& p) { ApplyProfileDefaults(p); });
  RefreshPage();
  session_.SetFullApplyPending(true);
  RequestApply();
}

void CMS_1_Page::ExportProfile() {
  const auto path = main_window_.toolkit().RunFileDialog(
      &main_window_, ProfileFileRequest(toolkit::FileDialogRequest::Mode::kSave));
  if (!path) return;
  const auto profile = EditedCopy();
  if (!profile) return;
  const SaveResult written = WriteProfileFile(*path, *profile, store_.paths());
  // A failed export is said, not passed over: the user would trust a file
  // that is not there.
  if (!written) ShowMessage("save_fail_text", *path);
}

void CMS_1_Page::ImportProfile() {
  const auto path = main_window_.toolkit().RunFileDialog(
      &main_window_, ProfileFileRequest(toolkit::FileDialogRequest::Mode::kOpen));
  if (!path) return;
  const StoreChange<ProfileImport> change = ImportProfileFile(*path);
  if (!change.added) {
    ShowMessage("import_fail_text", *path);
    return;
  }
  if (!change.result) ShowMessage("save_fail_text", change.result.file.string());
}

StoreChange<ProfileImport> CMS_1_Page::ImportProfileFile(const std::filesystem::path& path) {
  const toolkit::Toolkit& kit = main_window_.toolkit();
  const std::u16string add_profile = Utf8ToUtf16(kit.LanguageText("add_profile_text"));
  const std::u16string add_macro = Utf8ToUtf16(kit.LanguageText("add_macro_text"));
  StoreChange<ProfileImport> change =
      store_.ImportProfile(path, DefaultNameTexts{add_profile, add_macro});
  if (!change.added) return change;
  const int index = change.added->profile_index;
  std::string name;
  {
    auto access = store_.Lock();
    name = Utf16ToUtf8(NameView(access->profiles[index]->name));
  }
  if (controls_.list_profile != nullptr) controls_.list_profile->AddItem(name, 22);
  SelectListEntry(index);
  return change;
}

}  // namespace vexel
