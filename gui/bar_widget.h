// Qt widget of the bar indicator: paints a ProgBar model, filled from the
// left (or from the bottom when Vertical) in proportion to its value.
#pragma once

#include <QWidget>

#include "controls/bar_indicator.h"

namespace lumora::gui {

class BarWidget : public QWidget {
 public:
  explicit BarWidget(ProgBar& b, QWidget* parent = nullptr);
  QSize sizeHint() const override { return b_.Vertical() ? QSize(14, 100) : QSize(120, 14); }
  // The two rectangles the paint rule fills, in widget pixels (for tests).
  struct Parts {
    QRectF back;
    QRectF bar;  // empty when Value - Min < 1
  };
  Parts parts() const;

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  ProgBar& b_;
};

}  // namespace lumora::gui
