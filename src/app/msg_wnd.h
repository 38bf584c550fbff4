// CMsgWnd: the program's one modal message box. The caller names a title and
// a message by their language keys; the box answers 1 (OK) or 0 (Cancel, or
// closed any other way).
#pragma once

#include <string>
#include <string_view>

#include "toolkit/window.h"

namespace vexel {

class CMsgWnd : public toolkit::Window {
 public:
  static constexpr int kOk = 1;
  static constexpr int kCancel = 0;

  // `detail`: plain text shown on its own line under the message (a file
  // name); empty for none.
  CMsgWnd(toolkit::Toolkit& toolkit, std::string title_key, std::string message_key,
          std::string detail = {});

  // Creates the box as a tool window over `parent` (may be null), centres it,
  // runs it modally and returns kOk or kCancel.
  static int Show(toolkit::Toolkit& toolkit, toolkit::Window* parent, std::string_view title_key,
                  std::string_view message_key, std::string_view detail = {});

  std::string WindowClassName() const override { return "MsgWnd"; }
  std::string SkinFile() const override { return "msg.xml"; }
  void InitWindow() override;
  void OnClick(const toolkit::Notification& notification) override;
  void OnFinalMessage() override;

  // When set, the box deletes itself after its final message (a box made with
  // new and not run modally). Every caller in the program keeps it 0.
  bool delete_on_close = false;

 private:
  std::string title_key_;
  std::string message_key_;
  std::string detail_;
  toolkit::Control* btn_ok_ = nullptr;
  toolkit::Control* btn_cancel_ = nullptr;
  toolkit::Control* warning_title_ = nullptr;
  toolkit::Control* warning_ = nullptr;
};

}  // namespace vexel
