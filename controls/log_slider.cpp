#include "controls/log_slider.h"

#include <cmath>
#include <cstdio>

namespace lumora {

namespace {
double L(double x) { return std::log(x) / std::log(10.0); }
// Integer part of a decade: floor, with a little room for the rounding of
// log(x)/log(10) just below a whole number.
int decade(double x) { return static_cast<int>(std::floor(L(x) + 1e-12)); }
}  // namespace

VRLogSlider::VRLogSlider(Form& form, std::string name, int index) : Control(form, std::move(name), Kind::LogSlider, index) {
  thumbY_ = yOf(value_);
}

double VRLogSlider::yOf(double v) const {
  if (v < min_) v = min_;
  if (v > max_) v = max_;
  const double bottom = top_ + height_;
  double frac;
  if (log_ && min_ > 0 && max_ > 0) {
    const double span = L(max_) - L(min_);
    frac = span != 0 && std::isfinite(span) ? (L(v) - L(min_)) / span : 0.0;
  } else {
    const double span = max_ - min_;
    frac = span != 0 ? (v - min_) / span : 0.0;
  }
  if (!std::isfinite(frac)) frac = 0.0;
  return bottom - height_ * frac;
}

void VRLogSlider::place(double y) {
  const double bottom = top_ + height_;
  if (y < top_) y = top_;
  if (y > bottom) y = bottom;
  if (y != thumbY_) {
    thumbY_ = y;
    touched();
  }
  if (!onValChange) return;
  EventScope scope(form().observer(), &form(), this, nullptr, "ValChange");
  onValChange(value_ / scale_);
}

void VRLogSlider::setValueD(double v) {
  value_ = v * scale_;
  touched();
  place(yOf(value_));
}

void VRLogSlider::MouseAt(double y) {
  place(y);
  const double bottom = top_ + height_;
  const double yy = thumbY_;
  double v;
  // A log axis with a bound at or below 0 has no scale; the mouse then maps
  // linearly rather than storing a value that is not a number.
  const bool logOk = log_ && min_ > 0 && max_ > 0;
  if (height_ <= 0) v = min_;
  else if (logOk) v = std::pow(10.0, L(min_) + (L(max_) - L(min_)) * (bottom - yy) / height_);
  else v = min_ + (max_ - min_) * (bottom - yy) / height_;
  value_ = v;
  touched();
  if (!onUserCursorMove) return;
  EventScope scope(form().observer(), &form(), this, nullptr, "UserCursorMove");
  onUserCursorMove(value_ / scale_);
}

void VRLogSlider::MouseDown(MouseButton b, int x, int y) {
  if (b == MouseButton::Left) MouseAt(y);
  Control::MouseDown(b, x, y);
}

void VRLogSlider::setMinValue(double v) {
  min_ = v * scale_;
  touched();
  place(yOf(value_));
}
void VRLogSlider::setMaxValue(double v) {
  max_ = v * scale_;
  touched();
  place(yOf(value_));
}
void VRLogSlider::setLogAxis(bool on) {
  log_ = on;
  touched();
  place(yOf(value_));
}
void VRLogSlider::setScaleFactor(double f) {
  if (f == 0 || !std::isfinite(f)) return;  // a zero factor would lose every value
  min_ = min_ / scale_ * f;
  max_ = max_ / scale_ * f;
  value_ = value_ / scale_ * f;
  scale_ = f;
  touched();
}

void VRLogSlider::setAxis(double top, double height) {
  top_ = top;
  height_ = height > 0 ? height : 0;
  thumbY_ = yOf(value_);
  touched();
}

std::vector<VRLogSlider::Tick> VRLogSlider::ticks() const {
  std::vector<Tick> out;
  if (!(min_ > 0) || !(max_ > 0) || !log_) {
    // A linear axis (or one the log scale cannot draw) gets ten even ticks.
    for (int i = 0; i <= 10; ++i) out.push_back({top_ + height_ * i / 10.0, i % 5 == 0});
    return out;
  }
  const int d0 = decade(min_);
  const int d1 = decade(max_);
  for (int d = d0; d <= d1 && d - d0 < 40; ++d) {
    for (int m = 1; m <= 9; ++m) {
      const double v = m * std::pow(10.0, d);
      if (v >= min_ * (1 - 1e-12) && v <= max_ * (1 + 1e-12)) out.push_back({yOf(v), m == 1});
    }
  }
  return out;
}

std::string VRLogSlider::Format(double v, int n) {
  if (v == 0) return "0";
  const double a = std::fabs(v);
  char buf[64];
  if (a >= std::pow(10.0, n) || a < std::pow(10.0, 2 - n)) {
    std::snprintf(buf, sizeof buf, "%.*E", n - 1, v);
    // C prints E+00 with at least two exponent digits, as the pattern wants.
    return buf;
  }
  int decimals = n - 1 - decade(a);
  if (decimals < 0) decimals = 0;
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

std::string VRLogSlider::lblMin() const { return Format(min_, 3); }
std::string VRLogSlider::lblMax() const { return Format(max_, 3); }

std::optional<Json> VRLogSlider::getProperty(std::string_view p) const {
  if (p == "Value") return Json(ValueD());
  if (p == "MinValue") return Json(MinValue());
  if (p == "MaxValue") return Json(MaxValue());
  if (p == "logAxis") return Json(log_);
  if (p == "ScaleFactor") return Json(scale_);
  return Control::getProperty(p);
}

std::string VRLogSlider::setProperty(std::string_view p, const Json& v) {
  if (p == "logAxis") {
    if (!v.isBool()) return "logAxis needs true or false";
    setLogAxis(v.asBool());
    return "";
  }
  if (p == "Value" || p == "MinValue" || p == "MaxValue" || p == "ScaleFactor") {
    if (!v.isNumber() || !std::isfinite(v.asReal())) return std::string(p) + " needs a number";
    const double d = v.asReal();
    if (p == "Value") setValueD(d);
    else if (p == "MinValue") setMinValue(d);
    else if (p == "MaxValue") setMaxValue(d);
    else {
      if (d == 0) return "ScaleFactor must not be 0";
      setScaleFactor(d);
    }
    return "";
  }
  return Control::setProperty(p, v);
}

// A user's change from the console: the thumb is placed at the value (as a
// program write does), which raises ValChange.
std::string VRLogSlider::userSet(const Json& v) {
  if (!v.isNumber() || !std::isfinite(v.asReal())) return "a log slider takes a number";
  setValueD(v.asReal());
  return "";
}

}  // namespace lumora
