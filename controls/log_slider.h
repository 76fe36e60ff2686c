// VRLogSlider: a vertical slider with a logarithmic (or linear) axis, for
// times over a wide range. The model holds the values, the axis geometry and
// the thumb position; the Qt widget only paints it and forwards the mouse.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/form.h"

namespace lumora {

class VRLogSlider : public Control {
 public:
  VRLogSlider(Form& form, std::string name, int index = -1);

  // Properties in host units (internally multiplied by ScaleFactor).
  double MinValue() const { return min_ / scale_; }
  double MaxValue() const { return max_ / scale_; }
  bool logAxis() const { return log_; }
  double ScaleFactor() const { return scale_; }
  double ValueD() const { return value_ / scale_; }
  void setMinValue(double v);
  void setMaxValue(double v);
  void setLogAxis(bool on);
  void setScaleFactor(double f);
  // Program write: stores v, places the thumb (raises ValChange).
  void setValueD(double v);

  // Axis geometry in the widget's pixels: top T and height H (B = T + H).
  void setAxis(double top, double height);
  double axisTop() const { return top_; }
  double axisHeight() const { return height_; }
  // Centre of the thumb on the axis.
  double thumbY() const { return thumbY_; }
  // y of a value on the axis (limited to min..max).
  double yOf(double internalValue) const;
  // Mouse at y (press anywhere on the control, or a drag with the left button).
  void MouseAt(double y);
  // A left press at (x, y) in the axis' coordinates places the thumb there
  // (MouseAt), then raises MouseDown; views forward their presses here.
  void MouseDown(MouseButton b, int x, int y) override;

  // Tick marks: y and whether it is a decade tick.
  struct Tick {
    double y;
    bool decade;
  };
  std::vector<Tick> ticks() const;
  // The min and max labels.
  std::string lblMin() const;
  std::string lblMax() const;
  // Number formatting with n significant digits.
  static std::string Format(double v, int digits);

  // Events (value / ScaleFactor).
  std::function<void(double)> onValChange;
  std::function<void(double)> onUserCursorMove;

  std::optional<Json> getProperty(std::string_view prop) const override;
  std::string setProperty(std::string_view prop, const Json& v) override;
  std::string naturalProperty() const override { return "Value"; }
  std::string userSet(const Json& v) override;

 private:
  void place(double y);  // thumb placement, raises ValChange
  double min_ = 0.1, max_ = 240.0, value_ = 0.0, scale_ = 1.0;
  bool log_ = true;
  double top_ = 0.0, height_ = 1000.0, thumbY_ = 1000.0;
};

}  // namespace lumora
