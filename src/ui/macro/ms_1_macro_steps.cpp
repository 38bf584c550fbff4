// The macro editor's step list: the working copy's rows, the action editor and
// the operations on single steps.
#include <algorithm>
#include <iterator>
#include <string>
#include <utility>

#include "messages/app_messages.h"
#include "toolkit/control.h"
#include "ui/macro/macro_rules.h"
#include "ui/macro/ms_1_macro.h"

namespace vexel {
namespace {

constexpr int kActionRowHeight = 30;
constexpr char kMouseImage[] = "res='skins/macro/mouse.svg' dest='2,2,28,28'";
constexpr char kMovedMouseImage[] = "res='skins/macro/mouse.svg' dest='10,4,32,36'";
constexpr char kKeyImage[] = "res='skins/macro/keyboard_key_action.svg' dest='5,6,35,24'";
constexpr char kPressImage[] = "res='skins/macro/macro_key_down.svg' dest='5,6,21,24'";
constexpr char kReleaseImage[] = "res='skins/macro/macro_key_up.svg' dest='5,6,21,24'";
// The last step's delay is never played: the mouse waits this long after it.
constexpr uint16_t kLastStepDelay = 10;

enum EditPage { kEditClosed = 0, kEditKey = 1, kEditMouse = 2 };

void SetText(toolkit::Control* control, const std::string& text) {
  if (control) control->SetText(text);
}

}  // namespace

std::string CMS_1_Macro::KeyName(uint8_t code) const {
  return key_naming_.KeyNameFromUsage(code);
}

void CMS_1_Macro::InsertAction(const MacroAction& action) {
  if (working_count_ >= kMaxMacroActions) return;
  const int position = insert_position_ == -1 ? working_count_ : insert_position_;
  if (position < 0 || position > working_count_) return;
  std::move_backward(working_actions_.begin() + position, working_actions_.begin() + working_count_,
                     working_actions_.begin() + working_count_ + 1);
  working_actions_[position] = action;
  working_count_ += 1;
  selected_action_ += 1;
  if (insert_position_ != -1) insert_position_ += 1;
}

void CMS_1_Macro::DrawRow(toolkit::Control& row, int index, bool moved) {
  const MacroAction& action = working_actions_[index];
  if (toolkit::Control* key = row.FindChild("key")) {
    key->SetText(KeyName(action.code));
    key->SetBackgroundImage(
        IsMouseButtonCode(action.code) ? (moved ? kMovedMouseImage : kMouseImage) : kKeyImage);
  }
  if (toolkit::Control* kind = row.FindChild("action")) {
    kind->SetTextMode(toolkit::TextMode::kLanguageKey);
    const bool press = action.kind == kActionPress;
    kind->SetText(press ? "key_down_action" : "key_up_action");
    kind->SetBackgroundImage(press ? kPressImage : kReleaseImage);
  }
  if (toolkit::Control* delay = row.FindChild("delay")) {
    const bool last = index == working_count_ - 1;
    delay->SetText(std::to_string(last ? kLastStepDelay : action.delay));
  }
}

void CMS_1_Macro::RedrawActionList() {
  toolkit::Control* list = c_->action_list;
  if (!list) return;
  list->RemoveAllItems();
  action_rows_.clear();
  for (int i = 0; i < working_count_; ++i) {
    toolkit::Control* row = list->AddLayoutItem("keylistitem.xml", kActionRowHeight);
    if (row == nullptr) break;  // the skin lacks the row layout (traced)
    action_rows_.push_back(row);
    DrawRow(*row, i, false);
  }
  int row = working_count_ - 1;
  if (cancelling_ && first_insert_position_ >= 0) {
    row = first_insert_position_;
    list->SetTimer(kTimerMacroScrollFirstInsert, kMacroScrollTimerMs);
  } else if (insert_mode_) {
    row = insert_position_ - 1;
    list->SetTimer(kTimerMacroScrollInsert, kMacroScrollTimerMs);
  }
  if (row >= 0 && row < working_count_) {
    list->SelectItem(row, false);
    OnActionSelected(row);
  }
}

void CMS_1_Macro::RedrawRow(int index, bool moved) {
  if (index < 0 || index >= static_cast<int>(action_rows_.size())) return;
  DrawRow(*action_rows_[index], index, moved);
}

void CMS_1_Macro::OnScrollTimer(uint32_t id) {
  toolkit::Control* list = c_->action_list;
  if (id == kTimerMacroScrollInsert) {
    list->KillTimer(id);
    if (insert_position_ >= 1) list->EnsureItemVisible(insert_position_ - 1);
  } else if (id == kTimerMacroScrollFirstInsert) {
    list->KillTimer(id);
    if (first_insert_position_ >= 0) list->EnsureItemVisible(first_insert_position_);
  }
}

void CMS_1_Macro::ShowEditPage(int page) {
  if (c_->action_edit_tab) c_->action_edit_tab->SelectPage(page);
  // Save and cancel act on the step being edited: they show, under its
  // fields, only while there is one.
  const bool editing = page != kEditClosed;
  for (toolkit::Control* button : {c_->save_btn, c_->cancel_btn}) {
    if (button) button->SetEnabled(editing);
  }
  if (c_->savedata_tab) c_->savedata_tab->SetVisible(editing);
}

void CMS_1_Macro::ShowActionEditor(bool open) {
  if (!open) {
    ShowEditPage(kEditClosed);
    return;
  }
  if (selected_action_ < 0 || selected_action_ >= working_count_) return;
  const MacroAction& action = working_actions_[selected_action_];
  toolkit::Control* delay_field = nullptr;
  if (const auto item = ClickItemOfCode(action.code)) {
    ShowEditPage(kEditMouse);
    if (c_->mouse_action_combo) c_->mouse_action_combo->SelectItem(*item, false);
    delay_field = c_->mouseaction_delay_edit;
  } else {
    ShowEditPage(kEditKey);
    SetText(c_->action_edit, KeyName(action.code));
    delay_field = c_->delay_edit;
  }
  if (delay_field == nullptr) return;
  const bool last = selected_action_ == working_count_ - 1;
  delay_field->SetText(std::to_string(last ? kLastStepDelay : action.delay));
  delay_field->SetEnabled(!last);
}

void CMS_1_Macro::OnActionSelected(int row) {
  selected_action_ = row;
  if (edit_panel_open_) ShowActionEditor(true);
}

void CMS_1_Macro::OnEditCheck(bool checked) {
  edit_panel_open_ = checked ? 1 : 0;
  if (selected_action_ < 0) {
    edit_panel_open_ = 0;
    if (c_->action_edit_check) c_->action_edit_check->SetChecked(false);
    return;
  }
  ShowActionEditor(edit_panel_open_ != 0);
}

void CMS_1_Macro::MoveSelectedAction(int step) {
  const int from = c_->action_list ? c_->action_list->SelectedItem() : -1;
  const int to = from + step;
  if (from < 0 || from >= working_count_ || to < 0 || to >= working_count_) return;
  std::swap(working_actions_[from], working_actions_[to]);
  RedrawRow(std::min(from, to), true);
  RedrawRow(std::max(from, to), true);
  c_->action_list->SelectItem(to, false);
  OnActionSelected(to);
  CommitMacro();
}

void CMS_1_Macro::DeleteSelectedAction() {
  const int index = selected_action_;
  if (index < 0 || index >= working_count_) return;
  std::move(working_actions_.begin() + index + 1, working_actions_.begin() + working_count_,
            working_actions_.begin() + index);
  working_actions_[working_count_ - 1] = MacroAction{};
  working_count_ -= 1;
  toolkit::Control* list = c_->action_list;
  if (list) list->RemoveItem(index);
  if (index < static_cast<int>(action_rows_.size()))
    action_rows_.erase(action_rows_.begin() + index);
  if (working_count_ <= 0) selected_action_ = -1;
  // The step that is now last shows the last step's delay.
  RedrawRow(working_count_ - 1, false);
  const int next = index < working_count_ ? index : working_count_ - 1;
  if (list && next >= 0) {
    list->SelectItem(next, false);
    OnActionSelected(next);
  }
  CommitMacro();
}

void CMS_1_Macro::ClearActions() {
  if (current_macro_ == nullptr) return;
  working_actions_.fill(MacroAction{});
  working_count_ = 0;
  insert_mode_ = 0;
  insert_position_ = -1;
  selected_action_ = -1;
  CommitMacro();
  RedrawActionList();
}

void CMS_1_Macro::InsertClick(uint8_t code) {
  if (current_macro_ == nullptr || working_count_ > kMaxActionsForClickInsert) return;
  insert_mode_ = 1;
  insert_position_ = selected_action_ + 1;
  uint16_t delay = kMinDelayMs;
  if (delay_mode_ == DelayMode::kDefault && c_->default_delay_edit) {
    delay = BoundedDelay(c_->default_delay_edit->Text());
  }
  InsertAction({code, kActionPress, delay});
  InsertAction({code, kActionRelease, delay});
  RedrawActionList();
  CommitMacro();
  insert_mode_ = 0;
}

void CMS_1_Macro::OnMouseComboSelected(int item) {
  if (item >= 0 && item < static_cast<int>(std::size(kClickCodes)) && selected_action_ >= 0 &&
      selected_action_ < working_count_ &&
      IsMouseButtonCode(working_actions_[selected_action_].code)) {
    working_actions_[selected_action_].code = kClickCodes[item];
    RedrawRow(selected_action_, false);
  }
  CommitMacro();
}

void CMS_1_Macro::OnActionDelayEdited(toolkit::Control& field) {
  const uint16_t delay = BoundedDelay(field.Text());
  if (selected_action_ >= 0 && selected_action_ < working_count_ - 1) {
    working_actions_[selected_action_].delay = delay;
    RedrawRow(selected_action_, false);
    field.SetText(std::to_string(delay));
  }
  CommitMacro();
}

void CMS_1_Macro::OnDefaultDelayEdited() {
  toolkit::Control* field = c_->default_delay_edit;
  if (field) field->SetText(std::to_string(BoundedDelay(field->Text())));
}

void CMS_1_Macro::SaveActionEdit() {
  CommitMacro();
  edit_panel_open_ = 0;
  if (c_->action_edit_check) c_->action_edit_check->SetChecked(false);
  ShowActionEditor(false);
}

void CMS_1_Macro::CancelActionEdit() {
  cancelling_ = 1;
  edit_panel_open_ = 0;
  if (c_->action_edit_check) c_->action_edit_check->SetChecked(false);
  ShowActionEditor(false);
  if (selected_macro_ >= 0) LoadMacro(selected_macro_);
  cancelling_ = 0;
}

}  // namespace vexel
