// The colour-palette control ("ColorPalette" in layouts): hue across, from
// full colour at the top to black at the bottom. Reports while dragging and on
// release.
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>
#include <cstdint>
#include <functional>

namespace vexel::toolkit::qt {

class ColorPalette final : public QWidget {
 public:
  // argb: the colour picked; released: the mouse button went up.
  using OnPick = std::function<void(uint32_t argb, bool released)>;

  explicit ColorPalette(QWidget* parent = nullptr);

  uint32_t SelectedColour() const { return selected_; }
  void SetSelectedColour(uint32_t argb);
  void SetOnPick(OnPick on_pick) { on_pick_ = std::move(on_pick); }
  // Acts as the user picking `argb` (moves the marker, reports it).
  void Pick(uint32_t argb, bool released);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QColor ColourAt(QPoint point) const;
  void PickAt(QPoint point, bool released);

  QImage gradient_;
  uint32_t selected_ = 0xFF000000;
  QPoint marker_{-1, -1};
  OnPick on_pick_;
};

}  // namespace vexel::toolkit::qt
