#include "ui/macro/ms_1_macro.h"

#include <algorithm>
#include <string>

#include "messages/app_messages.h"
#include "store/names.h"
#include "store/record_files.h"
#include "store/utf16_name.h"
#include "toolkit/control.h"
#include "toolkit/toolkit.h"
#include "ui/macro/filter_digits.h"
#include "ui/macro/macro_rules.h"

namespace vexel {
namespace {

constexpr int kMacroRowHeight = 22;
constexpr int kAddedMacroRowHeight = 30;
constexpr char kWarningTitle[] = "warning_title_text";

// Names no layout-dependent key: the editor's fallback when the program gave
// it no keyboard layout.
class NoKeyboardLayout final : public KeyboardLayout {
 public:
  uint32_t ScanCodeFromVirtualKey(uint32_t) const override { return 0; }
  uint32_t VirtualKeyFromScanCode(uint32_t) const override { return 0; }
  std::string CharactersFromVirtualKey(uint32_t) const override { return {}; }
};

toolkit::FileDialogRequest MacroFileDialog(toolkit::FileDialogRequest::Mode mode,
                                           const ProfileStore& store) {
  toolkit::FileDialogRequest request;
  request.mode = mode;
  request.filter_name = "Macro Flie";
  request.patterns = "*.macro;*.MACRO";
  // The "Data" folder that holds the store's ms_1 folder.
  request.initial_folder = store.paths().folder.parent_path().string();
  if (mode == toolkit::FileDialogRequest::Mode::kSave) request.default_extension = "macro";
  return request;
}

}  // namespace

CMS_1_Macro::CMS_1_Macro(toolkit::Toolkit& toolkit, ProfileStore& store, MacroEditorHost host)
    : Window(toolkit),
      store_(store),
      host_(std::move(host)),
      no_layout_(std::make_unique<NoKeyboardLayout>()),
      key_naming_(
          host_.keyboard_layout ? *host_.keyboard_layout : *no_layout_,
          [&toolkit](std::string_view key) { return toolkit.LanguageText(key); },
          [this](std::string_view line) { Debug(line); }) {}

CMS_1_Macro::~CMS_1_Macro() {
  // The hook library posts to this object until told to stop.
  RemoveHooks();
}

int CMS_1_Macro::Run(toolkit::Window& parent) {
  if (!Create(&parent, {.tool_window = true, .visible = false})) return 0;
  CenterWindow();
  return ShowModal();
}

void CMS_1_Macro::InitWindow() {
  c_ = std::make_unique<MacroEditorControls>(*this);
  if (c_->default_delay_edit) c_->default_delay_edit->SetText(std::to_string(default_delay_));
  ShowActionEditor(false);
  ShowCaptureLimit();
  FillMacroList();
}

void CMS_1_Macro::FillMacroList() {
  if (!c_->macro_list) return;
  auto state = store_.Lock();
  for (const auto& macro : state->macros) {
    c_->macro_list->AddItem(Utf16ToUtf8(NameView(macro->name)), kMacroRowHeight);
  }
}

void CMS_1_Macro::Notify(const toolkit::Notification& n) {
  toolkit::Control* sender = n.sender;
  if (sender == nullptr || !c_) return;
  const MacroEditorControls& c = *c_;
  if (n.Is(toolkit::kNotifyClick)) {
    OnClick(n);
  } else if (n.Is(toolkit::kNotifySelectChanged)) {
    // The three delay choices are options: choosing one is their click.
    if (n.wparam != 0) OnClick(n);
  } else if (n.Is(toolkit::kNotifyCheckClick)) {
    const bool checked = sender->IsChecked();
    if (sender == c.insert_mouse_btn) {
      // The click buttons have a row of their own: the name stays in view.
      if (c.mouse_event_tab) c.mouse_event_tab->SetVisible(checked);
    } else if (sender == c.action_edit_check) {
      OnEditCheck(checked);
    } else if (sender == c.record_btn) {
      OnRecordCheck(checked);
    }
  } else if (n.Is(toolkit::kNotifyItemSelect)) {
    const int index = static_cast<int>(n.wparam);
    if (sender == c.macro_list) {
      // A recording belongs to the macro it started on.
      if (recording_) StopRecording();
      selected_macro_ = index;
      LoadMacro(index);
      Debug("iActionIndex=" + std::to_string(selected_action_) + ", iNextActionIndex=-1\r\n");
    } else if (sender == c.action_list) {
      OnActionSelected(index);
    } else if (sender == c.mouse_action_combo) {
      OnMouseComboSelected(index);
    }
  } else if (n.Is(toolkit::kNotifySetFocus)) {
    if (sender == c.action_edit) StartKeyCapture();
  } else if (n.Is(toolkit::kNotifyKillFocus) || n.Is(toolkit::kNotifyReturn)) {
    // Enter in a field settles it as leaving the field does.
    if (sender == c.action_edit && n.Is(toolkit::kNotifyKillFocus)) {
      StopKeyCapture();
    } else if (sender == c.name_edit) {
      RenameCurrentMacro();
    } else if (sender == c.delay_edit || sender == c.mouseaction_delay_edit) {
      OnActionDelayEdited(*sender);
    } else if (sender == c.default_delay_edit) {
      OnDefaultDelayEdited();
    }
  } else if (n.Is(toolkit::kNotifyTextChanged)) {
    if (sender == c.delay_edit || sender == c.mouseaction_delay_edit ||
        sender == c.default_delay_edit) {
      FilterDigits(*sender, sender->Text());
    }
  } else if (n.Is(toolkit::kNotifyTimer) && sender == c.action_list) {
    OnScrollTimer(static_cast<uint32_t>(n.wparam));
  } else if (sender == c.record_btn &&
             (n.Is(toolkit::kNotifyMouseEnter) || n.Is(toolkit::kNotifyMouseLeave))) {
    OnRecordButtonHover(n.Is(toolkit::kNotifyMouseEnter));
  }
}

void CMS_1_Macro::OnClick(const toolkit::Notification& n) {
  const MacroEditorControls& c = *c_;
  const toolkit::Control* sender = n.sender;
  if (sender == c.btn_exit) {
    Close(kClosedByExit);
  } else if (sender == c.add_btn) {
    AddNewMacro();
  } else if (sender == c.delete_btn) {
    DeleteSelectedMacro();
  } else if (sender == c.record_delay_btn) {
    delay_mode_ = DelayMode::kRecorded;
  } else if (sender == c.default_delay_btn) {
    delay_mode_ = DelayMode::kDefault;
  } else if (sender == c.no_delay_btn) {
    delay_mode_ = DelayMode::kNone;
  } else if (sender == c.up_btn) {
    MoveSelectedAction(-1);
  } else if (sender == c.down_btn) {
    MoveSelectedAction(+1);
  } else if (sender == c.delete_action_btn) {
    DeleteSelectedAction();
  } else if (sender == c.clear_action_btn) {
    ClearActions();
  } else if (sender == c.save_btn) {
    SaveActionEdit();
  } else if (sender == c.cancel_btn) {
    CancelActionEdit();
  } else if (sender == c.import_btn) {
    ImportMacroFile();
  } else if (sender == c.export_btn) {
    ExportCurrentMacro();
  } else {
    const auto click = std::find(c.click_btns.begin(), c.click_btns.end(), sender);
    if (click != c.click_btns.end()) InsertClick(kClickCodes[click - c.click_btns.begin()]);
  }
}

bool CMS_1_Macro::HandleCustomMessage(const toolkit::Message& message) {
  if (message.id != kMsgHookEvent) return false;
  const uint32_t arrival_tick =
      hook_arrivals_.Take(message.wparam, message.lparam).value_or(Tick());
  if (hook_target_ == HookTarget::kRecording) {
    RecordEvent(message, arrival_tick);
  } else if (hook_target_ == HookTarget::kKeyCapture) {
    CaptureKey(message);
  }
  return true;
}

void CMS_1_Macro::OnDestroy() {
  // What was recorded is kept, and no hook outlives the window that asked
  // for it.
  if (recording_) StopRecording();
  RemoveHooks();
}

void CMS_1_Macro::OnFinalMessage() {
  if (delete_on_close) delete this;
}

// ---- The working copy ----

void CMS_1_Macro::LoadMacro(int index) {
  MacroRecord copy{};
  {
    auto state = store_.Lock();
    if (state->macros.empty()) {
      current_macro_ = nullptr;
      return;
    }
    if (index < 0 || index >= static_cast<int>(state->macros.size())) return;
    current_macro_ = state->macros[index].get();
    copy = *current_macro_;
  }
  std::copy(std::begin(copy.actions), std::end(copy.actions), working_actions_.begin());
  // A damaged file may carry any count: only whole steps of the record count.
  working_count_ = std::clamp(copy.action_count, 0, kMaxMacroActions);
  if (working_count_ == 0) selected_action_ = -1;
  if (c_->name_edit) c_->name_edit->SetText(Utf16ToUtf8(NameView(copy.name)));
  RedrawActionList();
}

void CMS_1_Macro::CommitMacro() {
  const int units = CapacityUnits(std::span(working_actions_.data(), working_count_));
  Debug("iTotalNum = " + std::to_string(units) + "\r\n");
  if (units > kMaxMacroUnits) {
    if (selected_macro_ >= 0) LoadMacro(selected_macro_);
    cancelling_ = 0;
    return;
  }
  if (current_macro_ == nullptr) return;
  {
    auto state = store_.Lock();
    std::copy(working_actions_.begin(), working_actions_.end(), current_macro_->actions);
    current_macro_->action_count = working_count_;
  }
  SaveLibrary();
}

void CMS_1_Macro::SaveLibrary() {
  Report(store_.SaveMacros());
}

void CMS_1_Macro::Report(const SaveResult& saved) {
  if (saved) {
    save_failure_shown_ = false;
    return;
  }
  // The library stays in memory and the next save tries again; the user
  // hears of it once per streak of failures.
  Debug("macro.data not saved: " + saved.error + "\n");
  if (save_failure_shown_) return;
  save_failure_shown_ = true;
  if (host_.message_box) {
    host_.message_box(toolkit(), this, kWarningTitle, "save_fail_text", saved.file.string());
  }
}

int CMS_1_Macro::Ask(std::string_view message_key) {
  if (!host_.message_box) return 0;
  return host_.message_box(toolkit(), this, kWarningTitle, message_key, {});
}

// ---- The library ----

void CMS_1_Macro::AddNewMacro() {
  const StoreChange<int> added =
      store_.AddMacro(Utf8ToUtf16(toolkit().LanguageText("add_macro_text")));
  Report(added.result);
  if (!added.added) return;
  const int index = *added.added;
  std::string name;
  {
    auto state = store_.Lock();
    name = Utf16ToUtf8(NameView(state->macros[index]->name));
  }
  if (!c_->macro_list) return;
  c_->macro_list->AddItem(name, kAddedMacroRowHeight);
  c_->macro_list->SelectItem(index, true);
}

void CMS_1_Macro::DeleteSelectedMacro() {
  if (Ask("delete_macro_text") != 1 || !c_->macro_list) return;
  if (recording_) StopRecording();
  const int row = c_->macro_list->SelectedItem();
  int remaining = 0;
  {
    auto state = store_.Lock();
    if (row < 0 || row >= static_cast<int>(state->macros.size())) return;
    if (current_macro_ == state->macros[row].get()) current_macro_ = nullptr;
    state->macros.erase(state->macros.begin() + row);
    remaining = static_cast<int>(state->macros.size());
  }
  SaveLibrary();
  c_->macro_list->RemoveItem(row);
  if (remaining == 0) {
    // Nothing is left to edit: no name, no steps, nothing selected.
    current_macro_ = nullptr;
    selected_macro_ = -1;
    selected_action_ = -1;
    working_count_ = 0;
    if (c_->name_edit) c_->name_edit->SetText("");
    RedrawActionList();
    return;
  }
  c_->macro_list->SelectItem(row < remaining ? row : row - 1, true);
}

void CMS_1_Macro::RenameCurrentMacro() {
  if (current_macro_ == nullptr || !c_->name_edit) return;
  const std::u16string name = Utf8ToUtf16(c_->name_edit->Text());
  std::u16string current;
  bool taken = false;
  {
    auto state = store_.Lock();
    current = std::u16string(NameView(current_macro_->name));
    taken = NameExists(state->macros, name);
  }
  // An empty name, one too long for the record or one that is already used
  // (letter case aside, the macro's own name included) is refused: the field
  // shows the stored name again.
  const bool fits = !name.empty() && name.size() <= kMacroNameMaxChars;
  if (EqualsIgnoringCase(name, current) || taken || !fits) {
    c_->name_edit->SetText(Utf16ToUtf8(current));
    return;
  }
  {
    auto state = store_.Lock();
    SetName(current_macro_->name, name);
  }
  CommitMacro();
  if (c_->macro_list && selected_macro_ >= 0) {
    c_->macro_list->SetItemText(selected_macro_, Utf16ToUtf8(name));
  }
}

void CMS_1_Macro::ImportMacroFile() {
  const auto path = toolkit().RunFileDialog(
      this, MacroFileDialog(toolkit::FileDialogRequest::Mode::kOpen, store_));
  if (!path) return;
  const StoreChange<int> imported =
      store_.ImportMacro(*path, Utf8ToUtf16(toolkit().LanguageText("add_macro_text")));
  const std::optional<int>& index = imported.added;
  if (!index) {
    Debug("macro import: " + imported.result.error + "\n");
    Ask("import_fail_text");
    return;
  }
  Report(imported.result);
  std::string name;
  {
    auto state = store_.Lock();
    name = Utf16ToUtf8(NameView(state->macros[*index]->name));
  }
  if (!c_->macro_list) return;
  c_->macro_list->AddItem(name, kAddedMacroRowHeight);
  c_->macro_list->SelectItem(*index, true);
}

void CMS_1_Macro::ExportCurrentMacro() {
  if (current_macro_ == nullptr) return;
  const auto path = toolkit().RunFileDialog(
      this, MacroFileDialog(toolkit::FileDialogRequest::Mode::kSave, store_));
  if (!path) return;
  MacroRecord copy{};
  {
    auto state = store_.Lock();
    copy = *current_macro_;  // as stored in the library, not the working copy
  }
  const SaveResult written = WriteMacroFile(*path, copy, store_.paths());
  if (!written) {
    // A file the user believes written must not go unnoticed.
    Debug("macro export: " + written.error + "\n");
    Ask("export_fail_text");
  }
}

void CMS_1_Macro::Debug(std::string_view line) const {
  if (host_.debug) host_.debug(line);
}

}  // namespace vexel
