#include "app/msg_wnd.h"

#include "toolkit/control.h"
#include "toolkit/toolkit.h"

namespace vexel {
namespace {

void ShowKey(toolkit::Control* label, const std::string& key) {
  if (!label) return;
  label->SetTextMode(toolkit::TextMode::kLanguageKey);
  label->SetText(key);
}

}  // namespace

CMsgWnd::CMsgWnd(toolkit::Toolkit& toolkit, std::string title_key, std::string message_key,
                 std::string detail)
    : Window(toolkit),
      title_key_(std::move(title_key)),
      message_key_(std::move(message_key)),
      detail_(std::move(detail)) {}

int CMsgWnd::Show(toolkit::Toolkit& toolkit, toolkit::Window* parent, std::string_view title_key,
                  std::string_view message_key, std::string_view detail) {
  CMsgWnd box(toolkit, std::string(title_key), std::string(message_key), std::string(detail));
  if (!box.Create(parent,
                  {.role = toolkit::WindowRole::kAlert, .tool_window = true, .visible = false}))
    return kCancel;
  box.CenterWindow();
  return box.ShowModal() == kOk ? kOk : kCancel;
}

void CMsgWnd::InitWindow() {
  btn_ok_ = FindControl("btn_ok");
  btn_cancel_ = FindControl("btn_cancel");
  warning_title_ = FindControl("warning_title");
  warning_ = FindControl("warning");
  ShowKey(warning_title_, title_key_);
  if (detail_.empty()) {
    ShowKey(warning_, message_key_);
  } else if (warning_ != nullptr) {
    // The message with what it is about (a file name) on a line of its own.
    warning_->SetTextMode(toolkit::TextMode::kPlain);
    warning_->SetText(toolkit().LanguageText(message_key_) + "\n" + detail_);
  }
}

void CMsgWnd::OnClick(const toolkit::Notification& notification) {
  if (notification.sender == nullptr) return;
  if (notification.sender == btn_ok_) {
    Close(kOk);
  } else if (notification.sender == btn_cancel_) {
    Close(kCancel);
  }
}

void CMsgWnd::OnFinalMessage() {
  if (delete_on_close) delete this;
}

}  // namespace vexel
