#include "gui/bar_widget.h"

#include <QPainter>

#include "gui/binder.h"

namespace lumora::gui {

BarWidget::BarWidget(ProgBar& b, QWidget* parent) : QWidget(parent), b_(b) {}

BarWidget::Look BarWidget::look() const {
  return {static_cast<double>(b_.Value()), static_cast<double>(b_.Min()), static_cast<double>(b_.Max()),
          b_.BackColor(), b_.BarColor(), static_cast<int>(b_.BorderStyle()), static_cast<bool>(b_.Vertical())};
}

bool BarWidget::refreshShown() {
  const Look now = look();
  if (drawn_ && now == look_) return false;
  drawn_ = true;
  look_ = now;
  return true;
}

BarWidget::Parts BarWidget::parts() const {
  // The drawing scale makes the inner width and height each Max - Min units.
  const QRectF inner = b_.BorderStyle() != 0 ? QRectF(rect()).adjusted(1, 1, -1, -1) : QRectF(rect());
  const double span = b_.Max() - b_.Min();
  const double v = b_.Value() - b_.Min();
  Parts out;
  if (span <= 0) {
    out.back = inner;
    return out;
  }
  const double sx = inner.width() / span, sy = inner.height() / span;
  if (!b_.Vertical()) {
    out.back = QRectF(inner.left() + v * sx, inner.top(), (span - v) * sx, inner.height());
    if (v >= 1) out.bar = QRectF(inner.left(), inner.top(), v * sx, inner.height());
  } else {
    out.back = QRectF(inner.left(), inner.top(), inner.width(), (span - v) * sy);
    if (v >= 1) out.bar = QRectF(inner.left(), inner.top() + (span - v) * sy, inner.width(), v * sy);
  }
  return out;
}

void BarWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QColor back = ToQColor(b_.BackColor());
  if (!back.isValid()) back = palette().color(QPalette::Button);
  QColor bar = ToQColor(b_.BarColor());
  if (!bar.isValid()) bar = palette().color(QPalette::Highlight);
  const Parts pr = parts();
  p.fillRect(pr.back, back);
  if (!pr.bar.isEmpty()) p.fillRect(pr.bar, bar);
  if (b_.BorderStyle() != 0) {
    p.setPen(palette().color(QPalette::Shadow));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
  }
}

}  // namespace lumora::gui
