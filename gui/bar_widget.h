// Qt widget of the bar indicator: paints a ProgBar model, filled from the
// left (or from the bottom when Vertical) in proportion to its value.
#pragma once

#include <QWidget>

#include "controls/bar_indicator.h"
#include "gui/binder.h"

namespace lumora::gui {

class BarWidget : public QWidget, public ShowsControl {
 public:
  explicit BarWidget(ProgBar& b, QWidget* parent = nullptr);
  bool refreshShown() override;
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
  struct Look {
    double value, min, max;
    int32_t back, bar;
    int border;
    bool vertical;
    bool operator==(const Look&) const = default;
  };
  Look look() const;
  ProgBar& b_;
  bool drawn_ = false;
  Look look_{};
};

}  // namespace lumora::gui
