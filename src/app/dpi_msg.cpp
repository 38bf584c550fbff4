#include "app/dpi_msg.h"

#include "toolkit/control.h"
#include "toolkit/toolkit.h"

namespace vexel {

CDPIMsg::CDPIMsg(toolkit::Toolkit& toolkit, std::string text)
    : Window(toolkit), text_(std::move(text)) {}

void CDPIMsg::InitWindow() {
  label_ = FindControl("dpi_label");
  if (label_ == nullptr) return;
  label_->SetText(text_);
  // 10 px from the right and bottom edges of the work area. Measured from the
  // work area's own corner, so a panel on the left or top does not push the
  // indicator off its place.
  const toolkit::Rect work = toolkit().WorkArea();
  const int left = work.right - (kWidth + 10);
  const int top = work.bottom - (kHeight + 10);
  SetScreenRect({left, top, left + kWidth, top + kHeight});
}

void CDPIMsg::SetText(std::string_view text) {
  text_ = text;
  if (label_ != nullptr) label_->SetText(text_);
}

}  // namespace vexel
