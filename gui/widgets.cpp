#include "gui/widgets.h"

#include <QPainter>

#include "gui/binder.h"

namespace lumora::gui {

ColourPatch::ColourPatch(Control& c, QWidget* parent) : QWidget(parent), c_(c) {}

void ColourPatch::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QColor col = ToQColor(c_.BackColor());
  if (!col.isValid()) col = palette().color(QPalette::Button);
  p.fillRect(rect(), col);
  p.setPen(palette().color(QPalette::Dark));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  if (!c_.Caption().empty()) {
    p.setPen(col.lightness() > 128 ? Qt::black : Qt::white);
    p.drawText(rect(), Qt::AlignCenter, QString::fromStdString(c_.Caption()));
  }
}

}  // namespace lumora::gui
