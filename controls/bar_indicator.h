// ProgBar: the desk's bar indicator. A rectangle filled from one end in
// proportion to Value between Min and Max; it draws only.
#pragma once

#include "core/form.h"

namespace lumora {

class ProgBar : public Control {
 public:
  ProgBar(Form& form, std::string name, int index = -1);

  // Colours as desk colour values; negative = system colour (face, highlight).
  int32_t BarColor() const { return barColor_; }
  void setBarColor(int32_t c);
  bool Vertical() const { return vertical_; }
  void setVertical(bool v);
  int BorderStyle() const { return border_; }
  void setBorderStyle(int b);

  // Filled share for painting: (Value - Min) / (Max - Min), 0..1.
  double fraction() const;

  std::optional<Json> getProperty(std::string_view prop) const override;
  std::string setProperty(std::string_view prop, const Json& v) override;

 private:
  int32_t barColor_ = -1;
  bool vertical_ = false;
  int border_ = 0;
};

// Defaults of a freshly placed bar: Min 0, Max 100, Value 50.
class ProgBarArray {
 public:
  ProgBarArray(Form& form, std::string name, int count);
  ProgBar& operator[](int i) { return *items_.at(static_cast<std::size_t>(i)); }
  int size() const { return static_cast<int>(items_.size()); }
  auto begin() { return items_.begin(); }
  auto end() { return items_.end(); }

 private:
  std::vector<std::unique_ptr<ProgBar>> items_;
};

}  // namespace lumora
