// CDpiColorWnd: the modal colour picker of the DPI stage buttons and the light
// colour button: a palette, sixteen presets, a preview and the red, green and
// blue values. The opener sets the start colour and the top-left corner and
// reads `current_colour` after the dialog ended with 1.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "toolkit/geometry.h"
#include "toolkit/window.h"

namespace vexel {

inline constexpr std::array<uint32_t, 16> kDpiColorPresets = {
    0xFF00FFFF, 0xFF6CFF00, 0xFF7F00FF, 0xFF007FFF, 0xFF0000FF, 0xFF7FFF00, 0xFFFF5400, 0xFFFF7F00,
    0xFFFFB400, 0xFFFFFF00, 0xFFFF0000, 0xFFFF00FF, 0xFF1EB40A, 0xFF48B1FF, 0xFFFF48B0, 0xFFFFFFFF};

class CDpiColorWnd : public toolkit::Window {
 public:
  static constexpr int kWidth = 250;
  static constexpr int kHeight = 200;

  explicit CDpiColorWnd(toolkit::Toolkit& toolkit) : Window(toolkit) {}

  // Runs the dialog modally over `parent` at `origin` starting from `colour`;
  // the chosen colour when confirmed, nothing otherwise.
  static std::optional<uint32_t> Choose(toolkit::Toolkit& toolkit, toolkit::Window* parent,
                                        toolkit::Point origin, uint32_t colour);

  std::string WindowClassName() const override { return "DpiColorWnd"; }
  std::string SkinFile() const override { return "DpiColorDialog.xml"; }
  void InitWindow() override;
  void OnClick(const toolkit::Notification& notification) override;
  void Notify(const toolkit::Notification& notification) override;
  void OnFinalMessage() override;

  uint32_t current_colour = 0xFF000000;
  toolkit::Point origin;
  bool delete_on_close = false;

 private:
  // Shows `current_colour` on the palette, the preview and, unless one of
  // them is being typed into, the three boxes.
  void ShowColour(const toolkit::Control* typing = nullptr);
  void OnChannelTyped(toolkit::Control* box);

  toolkit::Control* confirm_btn_ = nullptr;
  toolkit::Control* cancel_btn_ = nullptr;
  toolkit::Control* preview_ = nullptr;
  toolkit::Control* palette_ = nullptr;
  std::array<toolkit::Control*, 3> channel_{};  // red, green, blue
  std::array<toolkit::Control*, kDpiColorPresets.size()> swatch_{};
};

}  // namespace vexel
