#include "ui/macro/select_macro_wnd.h"

#include <algorithm>
#include <charconv>

#include "toolkit/control.h"
#include "ui/macro/filter_digits.h"

namespace vexel {
namespace {

constexpr int kMacroRowHeight = 22;

// The field as a decimal count: nothing or zero is 1, anything above 255
// (however many digits) is 255.
int LoopCountFromText(const std::string& text) {
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  (void)end;
  if (error == std::errc::result_out_of_range) return kMaxLoopCount;
  return static_cast<int>(std::clamp<long long>(value, kMinLoopCount, kMaxLoopCount));
}

}  // namespace

CMS_1_SelectMacro::CMS_1_SelectMacro(toolkit::Toolkit& toolkit,
                                     std::vector<std::string> macro_names)
    : Window(toolkit), macro_names_(std::move(macro_names)) {}

int CMS_1_SelectMacro::Run(toolkit::Window& parent) {
  if (!Create(&parent,
              {.role = toolkit::WindowRole::kDialog, .tool_window = true, .visible = false}))
    return 0;
  CenterWindow();
  return ShowModal();
}

void CMS_1_SelectMacro::InitWindow() {
  btn_ok_ = FindControl("btn_ok");
  btn_cancel_ = FindControl("btn_cancel");
  btn_exit_ = FindControl("btn_exit");
  list_macro_ = FindControl("list_macro");
  for (std::size_t i = 0; i < repeat_.size(); ++i) {
    repeat_[i] = FindControl("repeat_" + std::to_string(i + 1));
  }
  hor_loop_time_ = FindControl("hor_loop_time");
  edit_loop_time_ = FindControl("edit_loop_time");

  if (list_macro_ != nullptr) {
    for (const std::string& name : macro_names_) list_macro_->AddItem(name, kMacroRowHeight);
  }
  // An empty list says where macros come from.
  if (toolkit::Control* hint = FindControl("empty_hint")) hint->SetVisible(macro_names_.empty());
  if (repeat_mode >= 0 && repeat_mode < static_cast<int32_t>(repeat_.size()) &&
      repeat_[repeat_mode] != nullptr) {
    repeat_[repeat_mode]->SetChecked(true, false);
  }
  // A start row the library no longer has selects nothing, and is not
  // returned as if the user had chosen it.
  if (macro_selection < -1 || macro_selection >= static_cast<int32_t>(macro_names_.size())) {
    macro_selection = -1;
  }
  if (list_macro_ != nullptr) list_macro_->SelectItem(macro_selection, false);
  if (edit_loop_time_ != nullptr) edit_loop_time_->SetText(std::to_string(loop_count));
  ShowLoopRow();
}

void CMS_1_SelectMacro::ShowLoopRow() {
  if (hor_loop_time_ != nullptr) hor_loop_time_->SetVisible(repeat_mode == 0);
}

void CMS_1_SelectMacro::SettleLoopCount() {
  if (edit_loop_time_ == nullptr) return;
  loop_count = LoopCountFromText(edit_loop_time_->Text());
  const std::string shown = std::to_string(loop_count);
  if (edit_loop_time_->Text() != shown) edit_loop_time_->SetText(shown);
}

void CMS_1_SelectMacro::Notify(const toolkit::Notification& notification) {
  toolkit::Control* sender = notification.sender;
  if (sender == nullptr) return;
  if (notification.Is(toolkit::kNotifyClick)) {
    OnClick(notification);
  } else if (notification.Is(toolkit::kNotifyItemSelect) && sender == list_macro_) {
    macro_selection = static_cast<int32_t>(notification.wparam);
  } else if (notification.Is(toolkit::kNotifySelectChanged)) {
    const auto it = std::find(repeat_.begin(), repeat_.end(), sender);
    if (it != repeat_.end() && sender->IsChecked()) {
      repeat_mode = static_cast<int32_t>(it - repeat_.begin());
      ShowLoopRow();
    }
  } else if (notification.Is(toolkit::kNotifyTextChanged) && sender == edit_loop_time_) {
    FilterDigits(*sender, sender->Text());
  } else if ((notification.Is(toolkit::kNotifyKillFocus) ||
              notification.Is(toolkit::kNotifyReturn)) &&
             sender == edit_loop_time_) {
    SettleLoopCount();
  }
}

void CMS_1_SelectMacro::OnClick(const toolkit::Notification& notification) {
  const toolkit::Control* sender = notification.sender;
  if (sender == nullptr) return;
  if (sender == btn_ok_) {
    // A count typed and confirmed at once, without leaving the field, counts.
    SettleLoopCount();
    Close(1);
  } else if (sender == btn_cancel_ || sender == btn_exit_) {
    Close(0);
  }
}

void CMS_1_SelectMacro::OnFinalMessage() {
  if (delete_on_close) delete this;
}

}  // namespace vexel
