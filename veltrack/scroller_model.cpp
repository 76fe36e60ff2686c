#include "scroller_model.h"

#include <cmath>

namespace veltrack {

void ScrollerModel::fail(const std::string& text) {
  if (design_) {
    if (onDesignMessage) onDesignMessage(text);
    return;
  }
  throw ScrollerError(text);
}

// At run time a rejected Min or Max keeps its old value, so the range stays
// valid for the container that catches the error.
void ScrollerModel::setMin(int v) {
  if (v < 0) {
    fail("ERROR! Cannot set min value to negative ! (below 0 )");
    v = 0;
  }
  if (v > max_ - 1) {
    fail("ERROR! Cannot set MIN above (MAX - 1)");
    v = max_ - 1;
  }
  min_ = v;
  if (value_ < min_) value_ = min_;
  place();
}

void ScrollerModel::setMax(int v) {
  if (v < min_ + 1) {
    fail("ERROR! Cannot set MAX below (MIN + 1)");
    v = min_ + 1;
  }
  // The type holds nothing above 32767; a wider caller's value counts as that.
  if (v > kMaxLimit) {
    fail("ERROR! Can't set MAX above 32766");
    v = kMaxLimit;
  }
  max_ = v;
  if (value_ > max_) value_ = max_;
  place();
}

void ScrollerModel::setValue(int v) {
  std::string error;
  if (v > max_) {
    if (design_ && onDesignMessage)
      onDesignMessage("Error! You cannot set value bigger than max ( " + std::to_string(max_) + " )");
    error = "Value cannot be set bigger than Max !";
    v = max_;
  } else if (v < min_) {
    if (design_ && onDesignMessage)
      onDesignMessage("Error! You cannot set value smaller than min ( " + std::to_string(min_) + " )");
    error = "Value cannot be set smaller than Min !";
    v = min_;
  }
  value_ = v;
  if (!dragging_) place();
  if (!error.empty() && !design_) throw ScrollerError(error);
}

void ScrollerModel::restore(int min, int max, int value) {
  min_ = min < 0 ? 0 : (min > kMaxLimit - 1 ? kMaxLimit - 1 : min);
  max_ = max < min_ + 1 ? min_ + 1 : (max > kMaxLimit ? kMaxLimit : max);
  value_ = value < min_ ? min_ : (value > max_ ? max_ : value);
  place();
}

void ScrollerModel::setGeometry(int trackLength, int knobLength) {
  track_ = trackLength < 0 ? 0 : trackLength;
  knob_ = knobLength < 0 ? 0 : knobLength;
  offset_ = clampOffset(offset_);
}

void ScrollerModel::placeQuietly() {
  const float o = static_cast<float>(value_ - min_) * static_cast<float>(travel()) / static_cast<float>(max_ - min_);
  offset_ = clampOffset(std::lrint(o));
}

void ScrollerModel::place() {
  placeQuietly();
  if (onScroll) onScroll(value_);
}

int ScrollerModel::clampOffset(long long o) const {
  if (o < 0) return 0;
  if (o > travel()) return travel();
  return static_cast<int>(o);
}

void ScrollerModel::takeFromOffset(int newOffset) {
  offset_ = clampOffset(newOffset);
  // A track no longer than the knob leaves nothing to move: the value stays.
  if (travel() > 0) {
    const float v = static_cast<float>(offset_) * static_cast<float>(max_ - min_) / static_cast<float>(travel());
    // Default rounding: to nearest, halves to the even neighbour.
    value_ = static_cast<int>(std::nearbyint(v)) + min_;
  }
  if (onScroll) onScroll(value_);
}

void ScrollerModel::leftDownOnKnob(int pos) {
  pressPos_ = pos;
  pressOrigin_ = offset_;
  dragging_ = true;
}

void ScrollerModel::moveTo(int pos) {
  if (!dragging_) return;
  takeFromOffset(clampOffset(static_cast<long long>(pressOrigin_) + pos - pressPos_));
}

void ScrollerModel::leftDownOnTrack(int pos) { takeFromOffset(clampOffset(pos - knob_ / 2)); }

bool ScrollerModel::key(int keyCode) {
  if (keyCode == kKeyPlus) {
    takeFromOffset(clampOffset(offset_ + 1LL));
    return true;
  }
  if (keyCode == kKeyMinus) {
    takeFromOffset(clampOffset(offset_ - 1LL));
    return true;
  }
  return false;
}

void ScrollerModel::menu(SetMenuEntry e) {
  switch (e) {
    case SetMenuEntry::Zero: setValue(min_); break;
    case SetMenuEntry::Half: setValue((min_ + max_) / 2); break;  // both >= 0: truncation is Int
    case SetMenuEntry::Full: setValue(max_); break;
  }
}

}  // namespace veltrack
