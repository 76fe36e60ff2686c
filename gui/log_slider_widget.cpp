#include "gui/log_slider_widget.h"

#include <QMouseEvent>
#include <QPainter>

namespace lumora::gui {

LogSliderWidget::LogSliderWidget(VRLogSlider& s, QWidget* parent) : QWidget(parent), s_(s) {
  setMouseTracking(false);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
  layoutAxis();
}

bool LogSliderWidget::refreshShown() {
  Look now{s_.thumbY(), s_.lblMin(), s_.lblMax()};
  if (drawn_ && now == look_) return false;
  drawn_ = true;
  look_ = std::move(now);
  return true;
}

void LogSliderWidget::layoutAxis() {
  const int top = kLabel + kThumbH / 2;
  const int h = std::max(1, height() - 2 * kLabel - kThumbH);
  s_.setAxis(top, h);
}

void LogSliderWidget::resizeEvent(QResizeEvent*) { layoutAxis(); }

void LogSliderWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing, false);
  const QPalette& pal = palette();
  p.fillRect(rect(), pal.color(QPalette::Window));
  const int top = static_cast<int>(s_.axisTop());
  const int bottom = static_cast<int>(s_.axisTop() + s_.axisHeight());
  const int axisX = width() / 2 - 6;
  // The tick strip, right of the axis: decade ticks full, the rest half.
  const int tickX = axisX + 8;
  const int tickW = std::max(6, width() - tickX - 4);
  p.setPen(pal.color(QPalette::WindowText));
  for (const auto& t : s_.ticks()) {
    const int y = static_cast<int>(t.y + 0.5);
    p.drawLine(tickX, y, tickX + (t.decade ? tickW : tickW / 2), y);
  }
  // The axis.
  p.fillRect(QRect(axisX - 2, top, 5, bottom - top + 1), pal.color(QPalette::Dark));
  p.setPen(pal.color(QPalette::Light));
  p.drawLine(axisX + 2, top, axisX + 2, bottom);
  // The thumb, centred on its place.
  const int ty = static_cast<int>(s_.thumbY() + 0.5);
  QRect thumb(axisX - 9, ty - kThumbH / 2, 19, kThumbH);
  p.fillRect(thumb, isEnabled() ? pal.color(QPalette::Button) : pal.color(QPalette::Midlight));
  p.setPen(pal.color(QPalette::Shadow));
  p.drawRect(thumb.adjusted(0, 0, -1, -1));
  p.drawLine(thumb.left() + 3, ty, thumb.right() - 3, ty);
  // Labels: max above, min below.
  p.setPen(pal.color(QPalette::WindowText));
  QFont f = font();
  f.setPointSizeF(f.pointSizeF() * 0.85);
  p.setFont(f);
  p.drawText(QRect(0, 0, width(), kLabel), Qt::AlignCenter, QString::fromStdString(s_.lblMax()));
  p.drawText(QRect(0, height() - kLabel, width(), kLabel), Qt::AlignCenter, QString::fromStdString(s_.lblMin()));
}

// The press itself reaches the model through the binder's MouseDown (the
// model places the thumb); the widget only repaints.
void LogSliderWidget::mousePressEvent(QMouseEvent* e) {
  if (!isEnabled() || !s_.Enabled()) return;
  if (e->button() != Qt::LeftButton) return;
  update();
  if (afterUserChange) afterUserChange();
}

void LogSliderWidget::mouseMoveEvent(QMouseEvent* e) {
  if (!isEnabled() || !s_.Enabled()) return;
  if (!(e->buttons() & Qt::LeftButton)) return;
  s_.MouseAt(e->position().y());
  update();
  if (afterUserChange) afterUserChange();
}

}  // namespace lumora::gui
