#include "ui/page/dpi_color_wnd.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "toolkit/control.h"
#include "ui/page/page_controls.h"

namespace vexel {
namespace {

constexpr int kChannelShift[] = {16, 8, 0};  // red, green, blue in 0xAARRGGBB

}  // namespace

std::optional<uint32_t> CDpiColorWnd::Choose(toolkit::Toolkit& toolkit, toolkit::Window* parent,
                                             toolkit::Point origin, uint32_t colour) {
  CDpiColorWnd dialog(toolkit);
  dialog.current_colour = colour;
  dialog.origin = origin;
  if (!dialog.Create(parent,
                     {.role = toolkit::WindowRole::kDialog, .tool_window = true, .visible = false}))
    return std::nullopt;
  if (dialog.ShowModal() != 1) return std::nullopt;
  return dialog.current_colour;
}

void CDpiColorWnd::InitWindow() {
  SetScreenRect({origin.x, origin.y, origin.x + kWidth, origin.y + kHeight});
  confirm_btn_ = FindControl("confirm_btn");
  cancel_btn_ = FindControl("cancel_btn");
  preview_ = FindControl("color_show_control");
  palette_ = FindControl("ColorPallet");
  channel_ = {FindControl("r_edit"), FindControl("g_edit"), FindControl("b_edit")};
  for (std::size_t i = 0; i < swatch_.size(); ++i) {
    swatch_[i] = FindControl("mouse_dpi_color_" + std::to_string(i + 1));
  }
  ShowColour();
}

void CDpiColorWnd::ShowColour(const toolkit::Control* typing) {
  const uint32_t opaque = current_colour | 0xFF000000;
  if (palette_ != nullptr) palette_->SetSelectedColour(opaque);
  if (preview_ != nullptr) preview_->SetBackgroundColour(opaque);
  for (std::size_t i = 0; i < channel_.size(); ++i) {
    if (channel_[i] == typing) continue;
    SetPlainText(channel_[i], std::to_string((current_colour >> kChannelShift[i]) & 0xFF));
  }
}

void CDpiColorWnd::OnClick(const toolkit::Notification& notification) {
  const toolkit::Control* sender = notification.sender;
  if (sender == nullptr) return;
  if (sender == confirm_btn_) {
    Close(1);
  } else if (sender == cancel_btn_) {
    Close(0);
  } else if (const int preset = IndexIn(swatch_, sender); preset >= 0) {
    current_colour = kDpiColorPresets[preset];
    ShowColour();
  }
}

void CDpiColorWnd::OnChannelTyped(toolkit::Control* box) {
  const int channel = IndexIn(channel_, box);
  const std::string text = box->Text();
  long long n = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
  (void)end;
  if (error == std::errc::result_out_of_range) n = text.starts_with('-') ? 0 : 255;
  const long long clamped = std::clamp<long long>(n, 0, 255);
  if (clamped != n) {
    box->SetText(std::to_string(clamped));
    box->SetCaretPosition(static_cast<int>(box->Text().size()));
  }
  const int shift = kChannelShift[channel];
  current_colour = (current_colour & ~(0xFFu << shift)) | (static_cast<uint32_t>(clamped) << shift);
  current_colour |= 0xFF000000;
  ShowColour(box);
}

void CDpiColorWnd::Notify(const toolkit::Notification& notification) {
  if (notification.Is(toolkit::kNotifyColorChanged) ||
      notification.Is(toolkit::kNotifyColorChangedButtonUp)) {
    if (notification.sender == palette_ && palette_ != nullptr) {
      current_colour = palette_->SelectedColour() | 0xFF000000;
      ShowColour();
    }
  } else if (notification.Is(toolkit::kNotifyTextChanged)) {
    if (IndexIn(channel_, notification.sender) >= 0) {
      OnChannelTyped(notification.sender);
    } else {
      ShowColour();
    }
  } else {
    Window::Notify(notification);
  }
}

void CDpiColorWnd::OnFinalMessage() {
  if (delete_on_close) delete this;
}

}  // namespace vexel
