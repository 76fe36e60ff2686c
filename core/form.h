// Form models: every window of the desk is a plain C++ class that owns its
// controls as data and its event operations. Views (Qt), the automation
// console and the tests all drive the same models, so a rule is written once.
//
// Plain setters (setValue, setListIndex, ...) never raise an event: they are
// for drawing a control from the desk's tables. Where the desk writes a
// control the way the platform would and relies on the event the platform
// raises for that write, it uses the program writes SelectIndex / WriteValue,
// which raise Click / Change as the platform does. The console's `set` and
// the GUI raise the event the platform raises for a user change.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/json.h"

namespace lumora {

class Form;
class DeskBase;
class DeskCore;

enum class Kind {
  Label,
  TextBox,
  Button,
  CheckBox,
  Option,
  Fader,      // slider: Value 0 at the top
  ScrollBar,
  ComboBox,
  ListBox,
  Picture,    // colour patch / indicator / drawing area
  Frame,
  Menu,       // menu item
  Bar,        // bar indicator
  LogSlider,  // logarithmic slider (double value)
  Custom,
};

const char* KindName(Kind k);

enum class MouseButton { Left = 1, Right = 2 };

class Control;
class Timer;

// Sees every event the framework dispatches: control events, key presses,
// timer events and whatever else a host brackets as one act (a console
// command). Events nest; the outermost one is one act of the operator (or
// of a timer), which is what the undo history records.
class EventObserver {
 public:
  virtual ~EventObserver() = default;
  // `form` and `control` may be null (a console command); `timer` is set for
  // a timer's event. `what` names the event ("Click", "Change", ...) or, for
  // a host's act, its text.
  virtual void EventBegins(Form* form, const Control* control, const Timer* timer, std::string_view what) = 0;
  virtual void EventEnds() = 0;
  // A key press on a window, before the window's own handler; true when the
  // observer took it (the window then never sees it).
  virtual bool KeyFirst(Form& form, int keyCode, int shift) {
    (void)form, (void)keyCode, (void)shift;
    return false;
  }
};

// Brackets one event for the desk's observer (none: nothing happens).
class EventScope {
 public:
  EventScope(EventObserver* o, Form* form, const Control* control, const Timer* timer, std::string_view what)
      : o_(o) {
    if (o_) o_->EventBegins(form, control, timer, what);
  }
  ~EventScope() {
    if (o_) o_->EventEnds();
  }
  EventScope(const EventScope&) = delete;
  EventScope& operator=(const EventScope&) = delete;
  EventObserver* observer() const { return o_; }

 private:
  EventObserver* o_;
};

class Control {
 public:
  Control(Form& form, std::string name, Kind kind, int index = -1);
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  Form& form() const { return *form_; }
  const std::string& name() const { return name_; }
  int index() const { return index_; }
  Kind kind() const { return kind_; }
  // "Slider1(3)" or "Status"
  std::string address() const;

  // --- properties (setters bump the revision only when the value changes) ---
  int Value() const { return value_; }
  void setValue(int v);
  const std::string& Text() const { return text_; }
  void setText(std::string t);
  const std::string& Caption() const { return caption_; }
  void setCaption(std::string c);
  bool Enabled() const { return enabled_; }
  void setEnabled(bool e);
  bool Visible() const { return visible_; }
  void setVisible(bool v);
  // Colour value red + 256*green + 65536*blue; -1 = the system's default face.
  int32_t BackColor() const { return backColor_; }
  void setBackColor(int32_t c);
  int32_t ForeColor() const { return foreColor_; }
  void setForeColor(int32_t c);
  const std::string& ToolTipText() const { return toolTip_; }
  void setToolTipText(std::string t);
  int Min() const { return min_; }
  int Max() const { return max_; }
  void setMin(int v);
  void setMax(int v);
  void setRange(int lo, int hi);

  // List and combo boxes
  int ListIndex() const { return listIndex_; }
  void setListIndex(int i);
  int ListCount() const { return static_cast<int>(list_.size()); }
  const std::string& List(int k) const;
  const std::vector<std::string>& ListItems() const { return list_; }
  void AddItem(std::string item);
  void Clear();
  void setList(int k, std::string item);
  void RemoveItem(int k);

  // The window's keyboard focus moved here (text boxes select their text).
  void SetFocus();

  // Generic access by property name (console, views). Returns nullopt for an
  // unknown property; set returns an error text or "".
  virtual std::optional<Json> getProperty(std::string_view prop) const;
  virtual std::string setProperty(std::string_view prop, const Json& v);
  // The property `get` reads without a property name.
  virtual std::string naturalProperty() const;

  // A user change of the control's value as the platform delivers it: sets
  // the natural property and raises Change / Click / ValChange.
  virtual std::string userSet(const Json& v);
  // The property that holds the control's value as a user changes it
  // (`Value` of faders, scroll bars, boxes and log sliders, `Text` of text
  // and combo boxes, `ListIndex` of lists): setting it by name is userSet.
  virtual bool isValueProperty(std::string_view prop) const;
  // userSet through that property by name: checks the value's type against
  // the property, then raises the same event as setting the control.
  std::string userSetProperty(std::string_view prop, const Json& v);

  // Program writes as the platform makes them. SelectIndex selects entry i
  // (-1: none) of a list or combo box and raises Click, as setting ListIndex
  // from code does. WriteValue stores v and, when it differs, raises the
  // event of that change (Change for faders and scroll bars, Click for check
  // boxes and for an option button being chosen).
  void SelectIndex(int i);
  void WriteValue(int v);

  // --- events (wired by the form) ---
  std::function<void()> onClick;
  std::function<void()> onDblClick;
  std::function<void()> onChange;
  std::function<void()> onValidate;
  std::function<void(MouseButton, int x, int y)> onMouseDown;
  std::function<void(MouseButton, int x, int y)> onMouseUp;

  void Click();
  void DblClick();
  void Change();
  void Validate();
  // Controls that act on a press themselves (the log slider) override these
  // and then raise the event.
  virtual void MouseDown(MouseButton b, int x, int y);
  virtual void MouseUp(MouseButton b, int x, int y);

  // Changes whenever any property changes; views compare it to repaint.
  uint64_t revision() const { return rev_; }

 protected:
  void touched();

 private:
  Form* form_;
  std::string name_;
  int index_;
  Kind kind_;
  int value_ = 0;
  std::string text_;
  std::string caption_;
  bool enabled_ = true;
  bool visible_ = true;
  int32_t backColor_ = -1;
  int32_t foreColor_ = -1;
  std::string toolTip_;
  int min_ = 0;
  int max_ = 255;
  int listIndex_ = -1;
  std::vector<std::string> list_;
  uint64_t rev_ = 1;
};

// A control array: elements 0..n-1, each a Control with its index.
class ControlArray {
 public:
  ControlArray(Form& form, std::string name, Kind kind, int count);
  Control& operator[](int i) { return *items_.at(static_cast<std::size_t>(i)); }
  const Control& operator[](int i) const { return *items_.at(static_cast<std::size_t>(i)); }
  int size() const { return static_cast<int>(items_.size()); }
  const std::string& name() const { return name_; }

  // Wire one handler for every element; it receives the element's index.
  void onClick(std::function<void(int)> f);
  void onDblClick(std::function<void(int)> f);
  void onChange(std::function<void(int)> f);
  void onValidate(std::function<void(int)> f);
  void onMouseDown(std::function<void(int, MouseButton, int, int)> f);
  void onMouseUp(std::function<void(int, MouseButton, int, int)> f);

  auto begin() { return items_.begin(); }
  auto end() { return items_.end(); }

 private:
  std::string name_;
  std::vector<std::unique_ptr<Control>> items_;
};

// A window timer as model data: Interval in ms, Enabled. The scheduler of the
// host fires it; enabling it or changing its interval restarts its count.
class Timer {
 public:
  Timer(Form& form, std::string name, int index = -1);
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  Form& form() const { return *form_; }
  const std::string& name() const { return name_; }
  int index() const { return index_; }
  std::string address() const;

  int Interval() const { return interval_; }
  void setInterval(int ms);
  bool Enabled() const { return enabled_; }
  void setEnabled(bool e);

  std::function<void()> onTimer;

  // Runs one event now unless this timer's handler is already running (a
  // handler that waits in a modal dialog never lets its own timer re-enter).
  // Returns true when the handler ran.
  bool Fire();
  bool running() const { return running_; }

  // Resting (only where the host's scheduler rests, see Scheduler::setResting):
  // a timer whose event would only redo what its last one did while nothing
  // else happened (the output tick recomputing an unchanged frame) says so
  // here, asked after each event; it then sleeps until the desk sees
  // activity. Unset, the timer never rests.
  std::function<bool()> mayRest;
  // A passive timer's events are not activity (a blinking light).
  bool passive = false;
  // An exact timer fires at its own due time only, never a little early
  // with another timer's wake-up (its periods are measured).
  bool exact = false;

  // Scheduler bookkeeping.
  int64_t due = 0;
  uint64_t seq = 0;
  int64_t lastFired = 0;
  uint64_t restSeen = 0;  // the activity count it rests on; 0 = awake

 private:
  void restart();
  Form* form_;
  std::string name_;
  int index_;
  int interval_ = 0;
  bool enabled_ = false;
  bool running_ = false;
};

class TimerArray {
 public:
  TimerArray(Form& form, std::string name, int count);
  Timer& operator[](int i) { return *items_.at(static_cast<std::size_t>(i)); }
  int size() const { return static_cast<int>(items_.size()); }
  void onTimer(std::function<void(int)> f);

 private:
  std::vector<std::unique_ptr<Timer>> items_;
};

class Form {
 public:
  Form(DeskCore& desk, std::string name);
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  // The engine's part of the desk, all that core/ itself uses.
  DeskCore& core() const { return *desk_; }
  // The desk's window-independent half, for windows above core/: defined
  // in platform/desk_base.h, which a window that uses it includes.
  inline DeskBase& desk() const;
  const std::string& name() const { return name_; }

  const std::string& Caption() const { return caption_; }
  void setCaption(std::string c);
  bool Visible() const { return visible_; }
  bool Loaded() const { return loaded_; }

  // Window life as the menus drive it.
  void Load();        // loads (runs Form_Load) if not loaded
  void Show();        // Load, then visible
  void Hide();
  // Runs Form_Unload; returns false when the form cancelled the unload.
  bool Unload();

  virtual void Form_Load() {}
  // Set cancel to keep the window.
  virtual void Form_Unload(bool& cancel) { (void)cancel; }
  virtual void Form_KeyDown(int keyCode, int shift) { (void)keyCode; (void)shift; }
  // A key press as the platform delivers it: one event for the desk's
  // observer (which may take it, e.g. Ctrl+Z), then Form_KeyDown.
  void KeyDown(int keyCode, int shift);
  // The desk's event observer, or null.
  EventObserver* observer() const;
  // Shown again after being hidden or first shown (VB's Activate).
  virtual void Form_Activate() {}

  // Lookup by name; index -1 for a plain control.
  Control* control(std::string_view name, int index = -1) const;
  bool isArray(std::string_view name) const;
  Timer* timer(std::string_view name, int index = -1) const;
  const std::vector<Control*>& controls() const { return controls_; }
  const std::vector<Timer*>& timers() const { return timers_; }

  uint64_t revision() const { return rev_; }

 private:
  friend class Control;
  friend class Timer;
  void add(Control* c) { controls_.push_back(c); }
  void remove(Control* c);
  void add(Timer* t) { timers_.push_back(t); }
  void remove(Timer* t);
  void touched();

  DeskCore* desk_;
  std::string name_;
  std::string caption_;
  bool visible_ = false;
  bool loaded_ = false;
  uint64_t rev_ = 1;
  std::vector<Control*> controls_;
  std::vector<Timer*> timers_;
};

}  // namespace lumora
