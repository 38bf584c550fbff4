// CShortcutWnd: the modal dialog that completes binding a button to a key
// combination: four modifier boxes (Ctrl, Shift, Alt, Win) and one key, taken
// from the keyboard through the hook library while "edit_key" has the focus.
// It only returns the choice; the opener stores it when the dialog ends with 1.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "post_target.h"
#include "toolkit/window.h"
#include "ui/macro/key_naming.h"
#include "ui/macro/macro_editor_host.h"

namespace vexel {

class CShortcutWnd : public toolkit::Window {
 public:
  // `host`: the hook table (null: no key is ever captured), the layout that
  // names keys and the debug output. The hook table must outlive the dialog.
  CShortcutWnd(toolkit::Toolkit& toolkit, const MacroEditorHost& host);
  // Removes the keyboard hook if the dialog still holds it.
  ~CShortcutWnd() override;

  // Creates the dialog over `parent`, centred, runs it modally and returns its
  // close code (1 OK, 0 cancel or close).
  int Run(toolkit::Window& parent);

  std::string WindowClassName() const override { return "ShortcutWnd"; }
  std::string SkinFile() const override { return "shortcut.xml"; }
  void InitWindow() override;
  void Notify(const toolkit::Notification& notification) override;
  void OnClick(const toolkit::Notification& notification) override;
  bool HandleCustomMessage(const toolkit::Message& message) override;
  void OnFinalMessage() override;

  bool capturing() const { return capturing_; }

  // Start values from the opener, results after the run: 0 or 1 each.
  uint8_t ctrl_flag = 0;
  uint8_t shift_flag = 0;
  uint8_t alt_flag = 0;
  uint8_t win_flag = 0;
  uint8_t shortcut_key = 0;      // HID usage; 0 none
  bool delete_on_close = false;  // the opener keeps the dialog on its stack

 private:
  std::array<uint8_t*, 4> Flags() { return {&ctrl_flag, &shift_flag, &alt_flag, &win_flag}; }
  void StartKeyCapture();
  void StopKeyCapture();
  void OnKeyEvent(uintptr_t virtual_key, intptr_t lparam);
  void Debug(std::string_view line) const;

  const HookEntries* hooks_;
  DebugOutput debug_;
  std::shared_ptr<const KeyboardLayout> layout_;  // kept alive for key_naming_
  KeyNaming key_naming_;
  // What the hook library posts through while this dialog holds the hook.
  VexelPostTarget post_target_{};
  bool capturing_ = false;
  toolkit::Control* btn_ok_ = nullptr;
  toolkit::Control* btn_cancel_ = nullptr;
  toolkit::Control* btn_exit_ = nullptr;
  std::array<toolkit::Control*, 4> check_flag_{};
  toolkit::Control* edit_key_ = nullptr;
};

}  // namespace vexel
