#include "ui/macro/shortcut_wnd.h"

#include <algorithm>
#include <cstdio>

#include "messages/app_messages.h"
#include "toolkit/control.h"
#include "toolkit/toolkit.h"

namespace vexel {
namespace {

// The hook library's thread posts here; Window::PostMessage is thread-safe.
void PostToDialog(void* context, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  static_cast<toolkit::Window*>(context)->PostMessage(message, wparam, lparam);
}

}  // namespace

CShortcutWnd::CShortcutWnd(toolkit::Toolkit& toolkit, const MacroEditorHost& host)
    : Window(toolkit),
      hooks_(host.hooks),
      debug_(host.debug),
      layout_(host.keyboard_layout),
      key_naming_(
          layout_ ? *layout_ : BlankKeyboardLayout(),
          [&toolkit](std::string_view key) { return toolkit.LanguageText(key); },
          [this](std::string_view line) { Debug(line); }),
      post_target_{&PostToDialog, this} {}

CShortcutWnd::~CShortcutWnd() {
  StopKeyCapture();
}

int CShortcutWnd::Run(toolkit::Window& parent) {
  if (!Create(&parent,
              {.role = toolkit::WindowRole::kDialog, .tool_window = true, .visible = false}))
    return 0;
  CenterWindow();
  return ShowModal();
}

void CShortcutWnd::InitWindow() {
  btn_ok_ = FindControl("btn_ok");
  btn_cancel_ = FindControl("btn_cancel");
  btn_exit_ = FindControl("btn_exit");
  const auto flags = Flags();
  for (std::size_t k = 0; k < check_flag_.size(); ++k) {
    check_flag_[k] = FindControl("check_flag_" + std::to_string(k + 1));
    if (check_flag_[k] != nullptr) check_flag_[k]->SetChecked(*flags[k] != 0, false);
  }
  edit_key_ = FindControl("edit_key");
  if (edit_key_ != nullptr) edit_key_->SetText(key_naming_.KeyNameFromUsage(shortcut_key));
}

void CShortcutWnd::Notify(const toolkit::Notification& notification) {
  toolkit::Control* sender = notification.sender;
  if (sender == nullptr) return;
  if (notification.Is(toolkit::kNotifyClick)) {
    OnClick(notification);
  } else if (notification.Is(toolkit::kNotifyCheckClick)) {
    const auto it = std::find(check_flag_.begin(), check_flag_.end(), sender);
    if (it != check_flag_.end()) *Flags()[it - check_flag_.begin()] = sender->IsChecked() ? 1 : 0;
  } else if (notification.Is(toolkit::kNotifySetFocus) && sender == edit_key_) {
    StartKeyCapture();
  } else if (notification.Is(toolkit::kNotifyKillFocus) && sender == edit_key_) {
    StopKeyCapture();
  }
}

void CShortcutWnd::OnClick(const toolkit::Notification& notification) {
  const toolkit::Control* sender = notification.sender;
  if (sender == btn_ok_) {
    Close(1);
  } else if (sender == btn_cancel_ || sender == btn_exit_) {
    Close(0);
  }
}

bool CShortcutWnd::HandleCustomMessage(const toolkit::Message& message) {
  if (message.id == kMsgHookEvent) {
    // Reports still queued when capture ended belong to no key field.
    if (capturing_) OnKeyEvent(message.wparam, message.lparam);
  } else if (message.id == kMsgDestroy) {
    // However the dialog closes, the keyboard hook does not outlive it.
    StopKeyCapture();
  }
  return false;  // the toolkit's own handling follows in every case
}

void CShortcutWnd::StartKeyCapture() {
  if (hooks_ == nullptr || hooks_->installhook == nullptr) return;
  hooks_->installhook(&post_target_);
  if (hooks_->enablehook != nullptr) hooks_->enablehook(1);
  capturing_ = true;
}

void CShortcutWnd::StopKeyCapture() {
  if (!capturing_) return;
  capturing_ = false;
  if (hooks_->removehook != nullptr) hooks_->removehook();
  if (hooks_->enablehook != nullptr) hooks_->enablehook(0);
}

void CShortcutWnd::OnKeyEvent(uintptr_t virtual_key, intptr_t lparam) {
  char line[64];
  std::snprintf(line, sizeof(line), "%lx,%lx\n", static_cast<unsigned long>(virtual_key),
                static_cast<unsigned long>(lparam));
  Debug(line);
  // Press and release alike: the key of the last report is the one chosen.
  const UsageLookup usage = key_naming_.UsageFromVirtualKey(static_cast<uint32_t>(virtual_key));
  Debug("iUsageID=" + std::to_string(usage.usage) + "\n");
  shortcut_key = static_cast<uint8_t>(usage.usage);
  if (edit_key_ != nullptr) edit_key_->SetText(key_naming_.KeyNameFromUsage(usage.usage));
}

void CShortcutWnd::OnFinalMessage() {
  if (delete_on_close) delete this;
}

void CShortcutWnd::Debug(std::string_view line) const {
  if (debug_) debug_(line);
}

}  // namespace vexel
