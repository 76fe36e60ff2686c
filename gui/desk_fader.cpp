#include "gui/desk_fader.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionSlider>

namespace lumora::gui {

DeskFader::DeskFader(QWidget* parent) : QSlider(Qt::Vertical, parent) {
  setInvertedAppearance(true);  // value 0 at the top = full
  setRange(0, 255);
  setPageStep(16);
}

void DeskFader::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  QStyleOptionSlider opt;
  initStyleOption(&opt);
  // The cap where the style puts the handle, so dragging and painting agree.
  const QRect handle = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
  const int cx = width() / 2;
  const int top = 4, bottom = height() - 4;
  const QRectF groove(cx - 3, top, 6, bottom - top);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(40, 40, 40));
  p.drawRoundedRect(groove, 3, 3);
  // Lit part: from the bottom up to the cap's centre.
  const int capY = handle.center().y();
  QColor lit = isEnabled() ? lit_ : QColor(140, 140, 140);
  if (maximum() - value() > 0) {
    p.setBrush(lit);
    p.drawRoundedRect(QRectF(cx - 3, capY, 6, bottom - capY), 3, 3);
  }
  // Scale ticks at quarter levels.
  p.setPen(QColor(120, 120, 120));
  for (int q = 0; q <= 4; ++q) {
    const int y = top + (bottom - top) * q / 4;
    p.drawLine(cx - 9, y, cx - 6, y);
    p.drawLine(cx + 6, y, cx + 9, y);
  }
  // The cap: a grey block with a white line across its middle.
  const int capW = std::min(width() - 2, 24);
  QRectF cap(cx - capW / 2.0, capY - 7, capW, 14);
  QLinearGradient g(cap.topLeft(), cap.bottomLeft());
  g.setColorAt(0, QColor(230, 230, 230));
  g.setColorAt(1, QColor(120, 120, 120));
  p.setPen(QColor(60, 60, 60));
  p.setBrush(g);
  p.drawRoundedRect(cap, 2, 2);
  p.setPen(QPen(Qt::white, 2));
  p.drawLine(QPointF(cap.left() + 2, capY), QPointF(cap.right() - 2, capY));
  if (hasFocus()) {
    p.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
  }
}

void SelectAllEdit::mouseReleaseEvent(QMouseEvent* e) {
  QLineEdit::mouseReleaseEvent(e);
  if (e->button() == Qt::LeftButton && !hasSelectedText()) selectAll();
}

Colours ReadableBoxColours(const QColor& back) {
  if (!back.isValid()) return {};
  const int luma = (299 * back.red() + 587 * back.green() + 114 * back.blue()) / 1000;
  return {back, luma > 128 ? QColor(Qt::black) : QColor(Qt::white)};
}

}  // namespace lumora::gui
