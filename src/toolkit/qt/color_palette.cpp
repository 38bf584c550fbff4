#include "toolkit/qt/color_palette.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace vexel::toolkit::qt {

ColorPalette::ColorPalette(QWidget* parent) : QWidget(parent) {
  setMinimumSize(60, 40);
  setCursor(Qt::CrossCursor);
}

QColor ColorPalette::ColourAt(QPoint point) const {
  const int w = std::max(width() - 1, 1);
  const int h = std::max(height() - 1, 1);
  const double hue = std::clamp(point.x(), 0, w) / static_cast<double>(w);
  const double value = 1.0 - std::clamp(point.y(), 0, h) / static_cast<double>(h);
  return QColor::fromHsvF(std::min(hue, 0.9999), 1.0, value);
}

void ColorPalette::resizeEvent(QResizeEvent* event) {
  gradient_ = QImage(size(), QImage::Format_RGB32);
  for (int y = 0; y < height(); ++y) {
    for (int x = 0; x < width(); ++x) gradient_.setPixel(x, y, ColourAt(QPoint(x, y)).rgb());
  }
  QWidget::resizeEvent(event);
}

void ColorPalette::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, gradient_);
  if (marker_.x() >= 0) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 2));
    painter.drawEllipse(marker_, 5, 5);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawEllipse(marker_, 7, 7);
  }
}

void ColorPalette::SetSelectedColour(uint32_t argb) {
  selected_ = argb;
  const QColor colour = QColor::fromRgba(argb);
  // The marker goes where the palette shows this hue and brightness.
  const float hue = std::max(colour.hsvHueF(), 0.0f);
  marker_ = QPoint(static_cast<int>(hue * (width() - 1)),
                   static_cast<int>((1.0f - colour.valueF()) * (height() - 1)));
  update();
}

void ColorPalette::Pick(uint32_t argb, bool released) {
  SetSelectedColour(argb);
  if (on_pick_) on_pick_(selected_, released);
}

void ColorPalette::PickAt(QPoint point, bool released) {
  selected_ = ColourAt(point).rgba();
  marker_ = QPoint(std::clamp(point.x(), 0, width() - 1), std::clamp(point.y(), 0, height() - 1));
  update();
  if (on_pick_) on_pick_(selected_, released);
}

void ColorPalette::mousePressEvent(QMouseEvent* event) {
  PickAt(event->pos(), false);
}

void ColorPalette::mouseMoveEvent(QMouseEvent* event) {
  if (event->buttons() & Qt::LeftButton) PickAt(event->pos(), false);
}

void ColorPalette::mouseReleaseEvent(QMouseEvent* event) {
  PickAt(event->pos(), true);
}

}  // namespace vexel::toolkit::qt
