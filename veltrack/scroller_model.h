// The rules of the Scroller slider without any window system: the value
// range and its invariants, the knob's travel along the track, the mouse,
// the keypad and the set menu. The Qt widget feeds it sizes and input and
// draws what it says; tests drive it directly.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

namespace veltrack {

// A property set out of range at run time. The setter has left the
// property valid (see each setter) and reports the listed text.
class ScrollerError : public std::runtime_error {
 public:
  explicit ScrollerError(const std::string& text) : std::runtime_error(text) {}
};

enum class SetMenuEntry { Zero, Half, Full };

class ScrollerModel {
 public:
  static constexpr int kMaxLimit = 32766;
  static constexpr int kKeyPlus = 107;   // numeric keypad +
  static constexpr int kKeyMinus = 109;  // numeric keypad -

  // Raised with the value whenever the value has been placed.
  std::function<void(int)> onScroll;
  // Design time only: shows a correction message (a message box in a designer).
  std::function<void(const std::string&)> onDesignMessage;

  // Design time corrects bad values and shows the message; run time keeps
  // the property valid and throws ScrollerError with the message.
  void setDesignMode(bool design) { design_ = design; }
  bool designMode() const { return design_; }

  int min() const { return min_; }
  int max() const { return max_; }
  int value() const { return value_; }
  void setMin(int v);
  void setMax(int v);
  void setValue(int v);

  // Loading stored properties: takes a range and value as they are, held to
  // the invariants without an error, and places the knob.
  void restore(int min, int max, int value);

  // Geometry along the track: the inner length of the control and the knob's
  // length on the same axis. The knob's offset runs 0 .. travel().
  void setGeometry(int trackLength, int knobLength);
  int trackLength() const { return track_; }
  int knobLength() const { return knob_; }
  int travel() const { return track_ - knob_ > 0 ? track_ - knob_ : 0; }
  int offset() const { return offset_; }

  // Places the knob for the current value and raises Scroll.
  void place();
  // Places the knob for the current value without raising Scroll (redraw).
  void placeQuietly();

  // Mouse along the track axis (pixels from the track's start).
  bool onKnob(int pos) const { return pos >= offset_ && pos < offset_ + knob_; }
  void leftDownOnKnob(int pos);
  void moveTo(int pos);
  void leftUp() { dragging_ = false; }
  void leftDownOnTrack(int pos);
  bool dragging() const { return dragging_; }

  // Keypad + / -: one pixel towards the end / the start. Returns true when
  // the key is one of them.
  bool key(int keyCode);

  void menu(SetMenuEntry e);

 private:
  void fail(const std::string& text);
  void takeFromOffset(int newOffset);
  int clampOffset(long long o) const;

  bool design_ = false;
  int min_ = 0;
  int max_ = kMaxLimit;
  int value_ = 0;
  int track_ = 0;
  int knob_ = 0;
  int offset_ = 0;
  bool dragging_ = false;
  int pressPos_ = 0;
  int pressOrigin_ = 0;
};

}  // namespace veltrack
