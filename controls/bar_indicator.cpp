#include "controls/bar_indicator.h"

#include <cstdint>

#include "core/json_number.h"

namespace lumora {

ProgBar::ProgBar(Form& form, std::string name, int index) : Control(form, std::move(name), Kind::Bar, index) {
  setRange(0, 100);
  setValue(50);
}

void ProgBar::setBarColor(int32_t c) {
  if (c != barColor_) {
    barColor_ = c;
    touched();
  }
}
void ProgBar::setVertical(bool v) {
  if (v != vertical_) {
    vertical_ = v;
    touched();
  }
}
void ProgBar::setBorderStyle(int b) {
  if (b != border_) {
    border_ = b;
    touched();
  }
}

double ProgBar::fraction() const {
  const int span = Max() - Min();
  if (span <= 0) return 0.0;
  double f = static_cast<double>(Value() - Min()) / span;
  return f < 0 ? 0 : (f > 1 ? 1 : f);
}

std::optional<Json> ProgBar::getProperty(std::string_view p) const {
  if (p == "BarColor") return Json(barColor_);
  if (p == "Vertical") return Json(vertical_);
  if (p == "BorderStyle") return Json(border_);
  return Control::getProperty(p);
}

std::string ProgBar::setProperty(std::string_view p, const Json& v) {
  if (p == "BarColor") {
    long long n = 0;
    if (FitWhole(v, INT32_MIN, INT32_MAX, n) != WholeFit::Ok) return "BarColor needs a colour number";
    setBarColor(static_cast<int32_t>(n));
    return "";
  }
  if (p == "Vertical") {
    if (!v.isBool()) return "Vertical needs true or false";
    setVertical(v.asBool());
    return "";
  }
  if (p == "BorderStyle") {
    long long n = 0;
    if (FitWhole(v, INT32_MIN, INT32_MAX, n) != WholeFit::Ok) return "BorderStyle needs a whole number";
    setBorderStyle(static_cast<int>(n));
    return "";
  }
  return Control::setProperty(p, v);
}

ProgBarArray::ProgBarArray(Form& form, std::string name, int count) {
  for (int i = 0; i < count; ++i) items_.push_back(std::make_unique<ProgBar>(form, name, i));
}

}  // namespace lumora
