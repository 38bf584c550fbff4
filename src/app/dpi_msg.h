// CDPIMsg: the small indicator in the bottom-right corner of the screen that
// shows "DPI :" and the new resolution when the mouse switches its DPI stage.
#pragma once

#include <string>
#include <string_view>

#include "toolkit/window.h"

namespace vexel {

class CDPIMsg : public toolkit::Window {
 public:
  static constexpr int kWidth = 200;
  static constexpr int kHeight = 50;

  CDPIMsg(toolkit::Toolkit& toolkit, std::string text);

  std::string WindowClassName() const override { return "DPIWnd"; }
  std::string SkinFile() const override { return "DPImsg.xml"; }
  void InitWindow() override;

  void SetText(std::string_view text);
  const std::string& text() const { return text_; }

 private:
  std::string text_;
  toolkit::Control* label_ = nullptr;
};

}  // namespace vexel
