#include "core/form.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/desk_core.h"
#include "core/json_number.h"
#include "core/scheduler.h"

namespace lumora {

const char* KindName(Kind k) {
  switch (k) {
    case Kind::Label: return "label";
    case Kind::TextBox: return "textbox";
    case Kind::Button: return "button";
    case Kind::CheckBox: return "checkbox";
    case Kind::Option: return "option";
    case Kind::Fader: return "fader";
    case Kind::ScrollBar: return "scrollbar";
    case Kind::ComboBox: return "combobox";
    case Kind::ListBox: return "listbox";
    case Kind::Picture: return "picture";
    case Kind::Frame: return "frame";
    case Kind::Menu: return "menu";
    case Kind::Bar: return "bar";
    case Kind::LogSlider: return "logslider";
    case Kind::Custom: return "custom";
  }
  return "?";
}

// ---------------------------------------------------------------- Control

namespace {
// Sliders and scroll bars hold the platform's 16-bit travel.
constexpr int kTravelLow = -32768;
constexpr int kTravelHigh = 32767;
bool Ranged(Kind k) { return k == Kind::Fader || k == Kind::ScrollBar; }
}  // namespace

Control::Control(Form& form, std::string name, Kind kind, int index)
    : form_(&form), name_(std::move(name)), index_(index), kind_(kind) {
  if (kind == Kind::CheckBox || kind == Kind::Option) max_ = 1;
  if (kind == Kind::Bar) max_ = 100;
  form_->add(this);
}

Control::~Control() { form_->remove(this); }

std::string Control::address() const {
  return index_ < 0 ? name_ : name_ + "(" + std::to_string(index_) + ")";
}

void Control::touched() {
  ++rev_;
  form_->touched();
}

void Control::setValue(int v) {
  // A slider or scroll bar cannot stand outside its travel.
  if (kind_ == Kind::Bar || Ranged(kind_)) v = std::max(min_, std::min(max_, v));
  if (v != value_) { value_ = v; touched(); }
}
void Control::setText(std::string t) {
  if (t != text_) { text_ = std::move(t); touched(); }
}
void Control::setCaption(std::string c) {
  if (c != caption_) { caption_ = std::move(c); touched(); }
}
void Control::setEnabled(bool e) {
  if (e != enabled_) { enabled_ = e; touched(); }
}
void Control::setVisible(bool v) {
  if (v != visible_) { visible_ = v; touched(); }
}
void Control::setBackColor(int32_t c) {
  if (c != backColor_) { backColor_ = c; touched(); }
}
void Control::setForeColor(int32_t c) {
  if (c != foreColor_) { foreColor_ = c; touched(); }
}
void Control::setToolTipText(std::string t) {
  if (t != toolTip_) { toolTip_ = std::move(t); touched(); }
}
// Sliders and scroll bars hold a 16-bit travel whose ends never cross: a
// bound set past the other one takes the other along, and the value follows
// into the new travel. Level handlers may then compute 255 - Value() freely.
void Control::setMin(int v) {
  if (Ranged(kind_)) {
    v = std::clamp(v, kTravelLow, kTravelHigh);
    if (v > max_) max_ = v;
  }
  if (v != min_) {
    min_ = v;
    if ((kind_ == Kind::Bar || Ranged(kind_)) && value_ < min_) value_ = min_;
    touched();
  }
}
void Control::setMax(int v) {
  if (Ranged(kind_)) {
    v = std::clamp(v, kTravelLow, kTravelHigh);
    if (v < min_) min_ = v;
  }
  if (v != max_) {
    max_ = v;
    if ((kind_ == Kind::Bar || Ranged(kind_)) && value_ > max_) value_ = max_;
    touched();
  }
}
void Control::setRange(int lo, int hi) {
  setMin(lo);
  setMax(hi);
}

void Control::setListIndex(int i) {
  if (i < -1 || i >= ListCount()) i = -1;
  if (i != listIndex_) {
    listIndex_ = i;
    if (kind_ == Kind::ComboBox) text_ = i >= 0 ? list_[static_cast<std::size_t>(i)] : text_;
    touched();
  }
}
const std::string& Control::List(int k) const {
  static const std::string empty;
  if (k < 0 || k >= ListCount()) return empty;
  return list_[static_cast<std::size_t>(k)];
}
void Control::AddItem(std::string item) {
  list_.push_back(std::move(item));
  touched();
}
void Control::Clear() {
  if (list_.empty() && listIndex_ == -1) return;
  list_.clear();
  listIndex_ = -1;
  touched();
}
void Control::setList(int k, std::string item) {
  if (k < 0 || k >= ListCount()) return;
  list_[static_cast<std::size_t>(k)] = std::move(item);
  touched();
}
void Control::RemoveItem(int k) {
  if (k < 0 || k >= ListCount()) return;
  list_.erase(list_.begin() + k);
  if (listIndex_ >= ListCount()) listIndex_ = ListCount() - 1;
  touched();
}

void Control::SetFocus() { touched(); }

std::string Control::naturalProperty() const {
  switch (kind_) {
    case Kind::TextBox:
    case Kind::ComboBox: return "Text";
    case Kind::Label:
    case Kind::Button:
    case Kind::Frame:
    case Kind::Menu: return "Caption";
    case Kind::ListBox: return "ListIndex";
    case Kind::Picture: return "BackColor";
    default: return "Value";
  }
}

std::optional<Json> Control::getProperty(std::string_view p) const {
  if (p == "Value") return Json(value_);
  if (p == "Text") return Json(kind_ == Kind::ListBox ? List(listIndex_) : text_);
  if (p == "Caption") return Json(caption_);
  if (p == "Enabled") return Json(enabled_);
  if (p == "Visible") return Json(visible_);
  if (p == "BackColor") return Json(backColor_);
  if (p == "ForeColor") return Json(foreColor_);
  if (p == "ToolTipText") return Json(toolTip_);
  if (p == "Min") return Json(min_);
  if (p == "Max") return Json(max_);
  if (p == "ListIndex") return Json(listIndex_);
  if (p == "ListCount") return Json(ListCount());
  if (p == "List") {
    Json a = Json::array();
    for (const auto& s : list_) a.push(Json(s));
    return a;
  }
  if (p.substr(0, 5) == "List(" && p.back() == ')') {
    std::string n(p.substr(5, p.size() - 6));
    char* end = nullptr;
    long k = std::strtol(n.c_str(), &end, 10);
    if (n.empty() || *end) return std::nullopt;
    if (k < 0 || k >= ListCount()) return std::nullopt;
    return Json(list_[static_cast<std::size_t>(k)]);
  }
  return std::nullopt;
}

namespace {
// A console value for an integer property: true/false count as 1/0; any
// number must be whole and fit [lo, hi]. Returns an error text or "".
std::string intValue(const Json& v, std::string_view prop, long long lo, long long hi, int& out) {
  if (v.isBool()) {
    out = v.asBool() ? 1 : 0;
    return out < lo || out > hi ? std::string(prop) + " out of range" : "";
  }
  long long n = 0;
  switch (FitWhole(v, lo, hi, n)) {
    case WholeFit::Ok: out = static_cast<int>(n); return "";
    case WholeFit::NotNumber: return std::string(prop) + " needs a number";
    case WholeFit::NotWhole: return std::string(prop) + " needs a whole number";
    case WholeFit::OutOfRange: break;
  }
  return std::string(prop) + " out of range";
}
// A user's number for a list, check box or fader: true/false count as 1/0.
WholeFit userNumber(const Json& v, long long lo, long long hi, int& out) {
  long long n = v.isBool() ? (v.asBool() ? 1 : 0) : 0;
  WholeFit r = v.isBool() ? (n < lo || n > hi ? WholeFit::OutOfRange : WholeFit::Ok) : FitWhole(v, lo, hi, n);
  if (r == WholeFit::Ok) out = static_cast<int>(n);
  return r;
}
constexpr long long kIntMin = std::numeric_limits<int>::min();
constexpr long long kIntMax = std::numeric_limits<int>::max();
}  // namespace

std::string Control::setProperty(std::string_view p, const Json& v) {
  int n = 0;
  std::string err;
  // Within int for any control; a slider's value within its travel.
  auto needInt = [&](long long lo = kIntMin, long long hi = kIntMax) {
    err = intValue(v, p, lo, hi, n);
    return err.empty();
  };
  if (p == "Value") {
    if (Ranged(kind_) ? !needInt(min_, max_) : !needInt()) return err;
    setValue(n);
  } else if (p == "Text") {
    if (!v.isString()) return "Text needs a string";
    setText(v.asString());
  } else if (p == "Caption") {
    if (!v.isString()) return "Caption needs a string";
    setCaption(v.asString());
  } else if (p == "Enabled") {
    if (!v.isBool() && !v.isNumber()) return "Enabled needs true or false";
    setEnabled(NonZero(v));
  } else if (p == "Visible") {
    if (!v.isBool() && !v.isNumber()) return "Visible needs true or false";
    setVisible(NonZero(v));
  } else if (p == "BackColor") {
    if (!needInt()) return err;
    setBackColor(n);
  } else if (p == "ForeColor") {
    if (!needInt()) return err;
    setForeColor(n);
  } else if (p == "ToolTipText") {
    if (!v.isString()) return "ToolTipText needs a string";
    setToolTipText(v.asString());
  } else if (p == "Min") {
    if (Ranged(kind_) ? !needInt(kTravelLow, kTravelHigh) : !needInt()) return err;
    if (Ranged(kind_) && n > max_) return "Min above Max";
    setMin(n);
  } else if (p == "Max") {
    if (Ranged(kind_) ? !needInt(kTravelLow, kTravelHigh) : !needInt()) return err;
    if (Ranged(kind_) && n < min_) return "Max below Min";
    setMax(n);
  } else if (p == "ListIndex") {
    if (!needInt()) return err;
    if (n < -1 || n >= ListCount()) return "ListIndex out of range";
    setListIndex(n);
  } else if (p == "ListCount") {
    return "ListCount is read-only";
  } else {
    return "unknown property " + std::string(p);
  }
  return "";
}

std::string Control::userSet(const Json& v) {
  switch (kind_) {
    case Kind::TextBox: {
      if (!v.isString()) return "a text box takes a string";
      setText(v.asString());
      Change();
      return "";
    }
    case Kind::ComboBox:
    case Kind::ListBox: {
      int n = 0;
      if (v.isString() && kind_ == Kind::ComboBox) {
        // Typing into a combo box: text change.
        setText(v.asString());
        Change();
        return "";
      }
      switch (userNumber(v, -1, ListCount() - 1, n)) {
        case WholeFit::Ok: break;
        case WholeFit::OutOfRange: return "list index out of range";
        default: return "a list takes an index";
      }
      setListIndex(n);
      Click();
      return "";
    }
    case Kind::CheckBox:
    case Kind::Option: {
      int n = 0;
      if (userNumber(v, 0, kind_ == Kind::CheckBox ? 2 : 1, n) != WholeFit::Ok) return "a check box takes 0 or 1";
      setValue(n);
      Click();
      return "";
    }
    case Kind::Fader:
    case Kind::ScrollBar: {
      int n = 0;
      switch (userNumber(v, min_, max_, n)) {
        case WholeFit::Ok: break;
        case WholeFit::OutOfRange: return "value out of range";
        case WholeFit::NotWhole: return "a fader takes a whole number";
        case WholeFit::NotNumber: return "a fader takes a number";
      }
      setValue(n);
      Change();
      return "";
    }
    default: {
      std::string prop = naturalProperty();
      std::string e = setProperty(prop, v);
      if (!e.empty()) return e;
      Change();
      return "";
    }
  }
}

bool Control::isValueProperty(std::string_view p) const {
  switch (kind_) {
    case Kind::Fader:
    case Kind::ScrollBar:
    case Kind::CheckBox:
    case Kind::Option:
    case Kind::Bar:
    case Kind::LogSlider: return p == "Value";
    case Kind::ComboBox:
    case Kind::ListBox: return p == "ListIndex";
    default: return false;
  }
}

std::string Control::userSetProperty(std::string_view p, const Json& v) {
  // A combo box takes both an index and a text through userSet; by name
  // only the index is meant.
  if (p == "ListIndex" && !v.isNumber()) return "ListIndex needs a number";
  return userSet(v);
}

void Control::SelectIndex(int i) {
  setListIndex(i);
  Click();
}

void Control::WriteValue(int v) {
  const int before = value_;
  setValue(v);
  if (value_ == before) return;
  switch (kind_) {
    case Kind::CheckBox: Click(); break;
    case Kind::Option:
      if (value_) Click();
      break;
    default: Change(); break;
  }
}

void Control::Click() {
  if (onClick) onClick();
}
void Control::DblClick() {
  if (onDblClick) onDblClick();
}
void Control::Change() {
  if (onChange) onChange();
}
void Control::Validate() {
  if (onValidate) onValidate();
}
void Control::MouseDown(MouseButton b, int x, int y) {
  if (onMouseDown) onMouseDown(b, x, y);
}
void Control::MouseUp(MouseButton b, int x, int y) {
  if (onMouseUp) onMouseUp(b, x, y);
}

// ----------------------------------------------------------- ControlArray

ControlArray::ControlArray(Form& form, std::string name, Kind kind, int count) : name_(std::move(name)) {
  items_.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) items_.push_back(std::make_unique<Control>(form, name_, kind, i));
}

void ControlArray::onClick(std::function<void(int)> f) {
  for (auto& c : items_) c->onClick = [f, i = c->index()] { f(i); };
}
void ControlArray::onDblClick(std::function<void(int)> f) {
  for (auto& c : items_) c->onDblClick = [f, i = c->index()] { f(i); };
}
void ControlArray::onChange(std::function<void(int)> f) {
  for (auto& c : items_) c->onChange = [f, i = c->index()] { f(i); };
}
void ControlArray::onValidate(std::function<void(int)> f) {
  for (auto& c : items_) c->onValidate = [f, i = c->index()] { f(i); };
}
void ControlArray::onMouseDown(std::function<void(int, MouseButton, int, int)> f) {
  for (auto& c : items_) c->onMouseDown = [f, i = c->index()](MouseButton b, int x, int y) { f(i, b, x, y); };
}
void ControlArray::onMouseUp(std::function<void(int, MouseButton, int, int)> f) {
  for (auto& c : items_) c->onMouseUp = [f, i = c->index()](MouseButton b, int x, int y) { f(i, b, x, y); };
}

// ------------------------------------------------------------------ Timer

Timer::Timer(Form& form, std::string name, int index) : form_(&form), name_(std::move(name)), index_(index) {
  form_->add(this);
  form_->core().scheduler().add(this);
}

Timer::~Timer() {
  form_->core().scheduler().remove(this);
  form_->remove(this);
}

std::string Timer::address() const {
  return form_->name() + "." + (index_ < 0 ? name_ : name_ + "(" + std::to_string(index_) + ")");
}

void Timer::restart() { form_->core().scheduler().restarted(this); }

void Timer::setInterval(int ms) {
  if (ms < 0) ms = 0;
  interval_ = ms;
  restart();
}

void Timer::setEnabled(bool e) {
  if (e == enabled_) return;
  enabled_ = e;
  restart();
}

bool Timer::Fire() {
  if (running_) return false;
  running_ = true;
  struct Reset {
    bool& r;
    ~Reset() { r = false; }
  } reset{running_};
  if (onTimer) onTimer();
  return true;
}

TimerArray::TimerArray(Form& form, std::string name, int count) {
  items_.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) items_.push_back(std::make_unique<Timer>(form, name, i));
}

void TimerArray::onTimer(std::function<void(int)> f) {
  for (auto& t : items_) t->onTimer = [f, i = t->index()] { f(i); };
}

// ------------------------------------------------------------------- Form

Form::Form(DeskCore& desk, std::string name) : desk_(&desk), name_(std::move(name)), caption_(name_) {}

Form::~Form() = default;

void Form::touched() { ++rev_; }

void Form::setCaption(std::string c) {
  if (c != caption_) { caption_ = std::move(c); touched(); }
}

void Form::Load() {
  if (loaded_) return;
  loaded_ = true;
  touched();
  Form_Load();
}

void Form::Show() {
  Load();
  if (!loaded_) return;  // Form_Load may unload itself
  if (!visible_) {
    visible_ = true;
    touched();
    Form_Activate();
  }
}

void Form::Hide() {
  if (visible_) { visible_ = false; touched(); }
}

bool Form::Unload() {
  if (!loaded_) return true;
  bool cancel = false;
  Form_Unload(cancel);
  if (cancel) return false;
  loaded_ = false;
  visible_ = false;
  for (Timer* t : timers_) t->setEnabled(false);
  touched();
  return true;
}

Control* Form::control(std::string_view name, int index) const {
  for (Control* c : controls_)
    if (c->name() == name && c->index() == index) return c;
  return nullptr;
}

bool Form::isArray(std::string_view name) const {
  for (Control* c : controls_)
    if (c->name() == name) return c->index() >= 0;
  return false;
}

Timer* Form::timer(std::string_view name, int index) const {
  for (Timer* t : timers_)
    if (t->name() == name && t->index() == index) return t;
  return nullptr;
}

void Form::remove(Control* c) { controls_.erase(std::remove(controls_.begin(), controls_.end(), c), controls_.end()); }
void Form::remove(Timer* t) { timers_.erase(std::remove(timers_.begin(), timers_.end(), t), timers_.end()); }

}  // namespace lumora
