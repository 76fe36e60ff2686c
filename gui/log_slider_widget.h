// Qt widget of the logarithmic slider: paints the VRLogSlider model (axis,
// tick strip, thumb, min and max labels) and forwards the mouse to it.
#pragma once

#include <QWidget>
#include <functional>

#include "controls/log_slider.h"
#include "gui/binder.h"

namespace lumora::gui {

class LogSliderWidget : public QWidget, public ShowsControl {
 public:
  explicit LogSliderWidget(VRLogSlider& s, QWidget* parent = nullptr);
  bool refreshShown() override;
  QSize sizeHint() const override { return {64, 220}; }
  QSize minimumSizeHint() const override { return {52, 120}; }
  // Called after the mouse changed the value (the host repaints).
  std::function<void()> afterUserChange;

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;

 private:
  void layoutAxis();
  struct Look {
    double thumb;
    std::string lo, hi;
    bool operator==(const Look&) const = default;
  };
  VRLogSlider& s_;
  bool drawn_ = false;
  Look look_{};
  static constexpr int kLabel = 16;  // room for a label above and below
  static constexpr int kThumbH = 10;
};

}  // namespace lumora::gui
