#include "ui/page/profile_name_wnd.h"

#include "store/names.h"
#include "store/utf16_name.h"
#include "toolkit/control.h"

namespace vexel {

CMS_1_ProfileName::CMS_1_ProfileName(toolkit::Toolkit& toolkit, std::string title_key,
                                     NameTaken name_taken, Warn warn, std::u16string initial_name)
    : Window(toolkit),
      title_key_(std::move(title_key)),
      name_taken_(std::move(name_taken)),
      warn_(std::move(warn)),
      initial_name_(std::move(initial_name)) {}

std::u16string CMS_1_ProfileName::Ask(toolkit::Toolkit& toolkit, toolkit::Window* parent,
                                      std::string title_key, NameTaken name_taken, Warn warn,
                                      std::u16string initial_name) {
  CMS_1_ProfileName dialog(toolkit, std::move(title_key), std::move(name_taken), std::move(warn),
                           std::move(initial_name));
  if (!dialog.Create(parent,
                     {.role = toolkit::WindowRole::kDialog, .tool_window = true, .visible = false}))
    return {};
  dialog.CenterWindow();
  return dialog.ShowModal() == 1 ? dialog.entered_name() : std::u16string();
}

void CMS_1_ProfileName::InitWindow() {
  btn_ok_ = FindControl("btn_ok");
  btn_cancel_ = FindControl("btn_cancel");
  btn_exit_ = FindControl("btn_exit");
  title_string_ = FindControl("title_string");
  edit_name_ = FindControl("edit_name");
  if (title_string_ != nullptr) {
    title_string_->SetTextMode(toolkit::TextMode::kLanguageKey);
    title_string_->SetText(title_key_);
  }
  if (edit_name_ != nullptr) {
    edit_name_->SetText(Utf16ToUtf8(initial_name_));
    edit_name_->SetFocus();  // selects the text
  }
}

void CMS_1_ProfileName::OnClick(const toolkit::Notification& notification) {
  const toolkit::Control* sender = notification.sender;
  if (sender == nullptr) return;
  if (sender == btn_cancel_ || sender == btn_exit_) {
    Close(0);
    return;
  }
  if (sender != btn_ok_) return;
  std::u16string name = edit_name_ != nullptr ? Utf8ToUtf16(edit_name_->Text()) : u"";
  // The stored name holds 99 characters; a longer entry is cut, as the field
  // of the layout already does.
  if (name.size() > kProfileNameMaxChars) name.resize(kProfileNameMaxChars);
  if (name.empty()) {
    if (warn_) warn_("warn_name_1_text");
    return;
  }
  if (name_taken_ && name_taken_(name)) {
    if (warn_) warn_("warn_name_2_text");
    return;
  }
  entered_name_ = std::move(name);
  Close(1);
}

void CMS_1_ProfileName::OnFinalMessage() {
  if (delete_on_close) delete this;
}

}  // namespace vexel
