#include "app/console.h"

#include <cctype>
#include <sstream>

#include "app/desk.h"
#include "core/form.h"
#include "desk/hoofdblad.h"
#include "core/json_number.h"
#include "core/registry.h"

namespace lumora {

// ------------------------------------------------------------ dialogs

namespace {
const char* iconName(MsgIcon i) {
  switch (i) {
    case MsgIcon::None: return "none";
    case MsgIcon::Information: return "information";
    case MsgIcon::Question: return "question";
    case MsgIcon::Exclamation: return "exclamation";
    case MsgIcon::Critical: return "critical";
  }
  return "none";
}
}  // namespace

void ConsoleDialogs::report(std::string line) {
  if (eventSink) eventSink(line);
  else events_.push_back(std::move(line));
}

std::vector<std::string> ConsoleDialogs::takeEvents() {
  std::vector<std::string> out;
  out.swap(events_);
  return out;
}

MsgResult ConsoleDialogs::MsgBox(const std::string& text, const std::string& title, MsgButtons buttons,
                                 MsgIcon icon, MsgResult defaultButton) {
  MsgResult r = MsgResult::Ok;
  if (buttons == MsgButtons::OkCancel) {
    if (!answers_.empty()) {
      r = answers_.front();
      answers_.pop_front();
    } else if (fallback) {
      r = fallback->MsgBox(text, title, buttons, icon, defaultButton);
    } else {
      r = defaultButton;
    }
  } else if (fallback && answers_.empty()) {
    fallback->MsgBox(text, title, buttons, icon, defaultButton);
  }
  Json o = Json::object();
  o.set("title", title);
  o.set("text", text);
  o.set("buttons", buttons == MsgButtons::Ok ? "ok" : "okcancel");
  o.set("icon", iconName(icon));
  o.set("answer", r == MsgResult::Ok ? "ok" : "cancel");
  report("msgbox " + o.dump());
  return r;
}

std::optional<int32_t> ConsoleDialogs::ChooseColour(const std::string& title, int32_t initial) {
  std::optional<int32_t> r;
  if (!colours_.empty()) {
    r = colours_.front();
    colours_.pop_front();
  } else if (fallback) {
    r = fallback->ChooseColour(title, initial);
  }
  Json o = Json::object();
  o.set("title", title);
  o.set("answer", r ? Json(*r) : Json("cancel"));
  report("colourdialog " + o.dump());
  return r;
}

std::optional<std::string> ConsoleDialogs::FileDialog(FileKind kind, const std::string& title,
                                                      const std::string& filter, const std::string& initialPath) {
  std::optional<std::string> r;
  if (!files_.empty()) {
    r = files_.front();
    files_.pop_front();
  } else if (fallback) {
    r = fallback->FileDialog(kind, title, filter, initialPath);
  }
  Json o = Json::object();
  o.set("kind", kind == FileKind::Save ? "save" : "open");
  o.set("title", title);
  o.set("filter", filter);
  o.set("answer", r ? Json(*r) : Json("cancel"));
  report("filedialog " + o.dump());
  return r;
}

// ------------------------------------------------------------ console

namespace {

std::string trim(const std::string& s) {
  std::size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return "";
  std::size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

// Splits off the first word; the rest keeps its inner spacing.
std::string word(std::string& rest) {
  rest = trim(rest);
  std::size_t sp = rest.find_first_of(" \t");
  std::string w = rest.substr(0, sp);
  rest = sp == std::string::npos ? "" : trim(rest.substr(sp));
  return w;
}

std::string segText(const AddressSegment& s) {
  std::string t = s.name;
  if (s.hasIndex) {
    t += "(";
    for (std::size_t i = 0; i < s.index.size(); ++i) {
      if (i) t += ',';
      t += std::to_string(s.index[i]);
    }
    t += ")";
  }
  return t;
}

struct Target {
  Form* form = nullptr;
  Control* control = nullptr;
  Timer* timer = nullptr;
  std::string property;  // empty: natural
  bool windowProperty = false;
  NodePtr node;  // a global
};

const char* kWindowProps[] = {"Caption", "Visible", "Loaded"};

bool isWindowProp(const std::string& n) {
  for (const char* p : kWindowProps)
    if (n == p) return true;
  return false;
}

std::string resolveTarget(Desk& desk, const std::string& addr, Target& t) {
  std::vector<AddressSegment> segs;
  if (!ParseAddress(addr, segs)) return "bad address " + addr;
  Form* f = desk.form(segs[0].name);
  if (f && !segs[0].hasIndex) {
    t.form = f;
    if (segs.size() == 1) {
      t.windowProperty = true;
      t.property = "Caption";
      return "";
    }
    const AddressSegment& c = segs[1];
    if (segs.size() == 2 && !c.hasIndex && isWindowProp(c.name) && !f->control(c.name)) {
      t.windowProperty = true;
      t.property = c.name;
      return "";
    }
    if (c.index.size() > 1) return "bad index for " + c.name;
    int idx = c.hasIndex ? static_cast<int>(c.index[0]) : -1;
    if (Timer* tm = f->timer(c.name, idx)) {
      t.timer = tm;
    } else if (Control* ctl = f->control(c.name, idx)) {
      t.control = ctl;
    } else {
      // A global named after the window (Health.TickMean beside the window Health).
      std::string globalErr;
      if (NodePtr n = Resolve(desk.registry(), segs, globalErr)) {
        t.form = nullptr;
        t.node = std::move(n);
        return "";
      }
      bool exists = f->control(c.name, c.hasIndex ? -1 : 0) || f->isArray(c.name) ||
                    f->timer(c.name, c.hasIndex ? -1 : 0);
      if (exists) return "bad index for " + c.name;
      // A global named after its window (`Remote.Pin` beside the window
      // `Remote`): the window's controls come first.
      std::string err;
      if (NodePtr n = Resolve(desk.registry(), segs, err)) {
        t.form = nullptr;
        t.node = std::move(n);
        return "";
      }
      return "unknown control " + f->name() + "." + segText(c);
    }
    if (segs.size() > 3) return "bad address " + addr;
    if (segs.size() == 3) t.property = segText(segs[2]);
    return "";
  }
  std::string err;
  t.node = Resolve(desk.registry(), segs, err);
  if (!t.node) return err;
  return "";
}

std::string timerGet(const Timer& tm, const std::string& prop, Json& out) {
  if (prop.empty() || prop == "Enabled") out = Json(tm.Enabled());
  else if (prop == "Interval") out = Json(tm.Interval());
  else return "unknown property " + prop;
  return "";
}

std::string timerSet(Timer& tm, const std::string& prop, const Json& v) {
  if (prop.empty() || prop == "Enabled") {
    if (!v.isBool() && !v.isNumber()) return "Enabled needs true or false";
    tm.setEnabled(NonZero(v));
  } else if (prop == "Interval") {
    if (!v.isNumber() || v.asReal() < 0 || v.asReal() > 2147483647.0) return "Interval needs a number of ms";
    tm.setInterval(static_cast<int>(v.asInt()));
  } else {
    return "unknown property " + prop;
  }
  return "";
}

std::optional<MouseButton> parseButton(const std::string& w) {
  if (w == "left") return MouseButton::Left;
  if (w == "right") return MouseButton::Right;
  return std::nullopt;
}

bool parseInt(const std::string& w, long long& out) {
  if (w.empty() || w.size() > 12) return false;
  std::size_t p = 0;
  if (w[0] == '-') p = 1;
  if (p == w.size()) return false;
  for (std::size_t i = p; i < w.size(); ++i)
    if (!std::isdigit(static_cast<unsigned char>(w[i]))) return false;
  out = std::stoll(w);
  return true;
}

}  // namespace

Console::Console(Desk& desk, ConsoleDialogs& dialogs) : desk_(desk), dialogs_(dialogs) {}

std::vector<std::string> Console::execute(const std::string& line) {
  std::string reply;
  {
    // One command is one act of the operator (for the undo history).
    EventScope act(desk_.eventObserver, nullptr, nullptr, nullptr, trim(line));
    reply = run(line);
  }
  // Whatever a command changed, a resting output tick must see. A reading
  // changes nothing; the clock's own commands report their events themselves.
  const auto first = line.find_first_not_of(" \t");
  auto is = [&](const char* verb) {
    const std::size_t n = std::char_traits<char>::length(verb);
    return first != std::string::npos && line.compare(first, n, verb) == 0;
  };
  if (!is("get ") && !is("advance ")) desk_.scheduler().noteActivity();
  std::vector<std::string> out = dialogs_.takeEvents();
  out.push_back(reply);
  return out;
}

std::vector<std::string> Console::endOfInput() {
  std::vector<std::string> out;
  if (!desk_.ended()) {
    desk_.hoofdblad().eruit.Click();
    if (!desk_.ended()) desk_.UnloadAll();
  }
  out = dialogs_.takeEvents();
  finished_ = true;
  return out;
}

std::string Console::run(const std::string& rawLine) {
  std::string rest = trim(rawLine);
  if (rest.empty()) return "err empty command";
  const std::string cmd = word(rest);

  if (cmd == "get") {
    const std::string addr = word(rest);
    if (addr.empty() || !rest.empty()) return "err usage: get ADDRESS";
    Target t;
    std::string e = resolveTarget(desk_, addr, t);
    if (!e.empty()) return "err " + e;
    if (t.node) return "ok " + t.node->get().dump();
    if (t.windowProperty) {
      if (t.property == "Caption") return "ok " + Json(t.form->Caption()).dump();
      if (t.property == "Visible") return "ok " + Json(t.form->Visible()).dump();
      return "ok " + Json(t.form->Loaded()).dump();
    }
    if (t.timer) {
      Json v;
      e = timerGet(*t.timer, t.property, v);
      return e.empty() ? "ok " + v.dump() : "err " + e;
    }
    auto v = t.control->getProperty(t.property.empty() ? t.control->naturalProperty() : t.property);
    if (!v) return "err unknown property " + t.property;
    return "ok " + v->dump();
  }

  if (cmd == "set") {
    const std::string addr = word(rest);
    if (addr.empty() || rest.empty()) return "err usage: set ADDRESS VALUE";
    auto v = Json::parse(rest);
    if (!v) return "err bad value " + rest;
    Target t;
    std::string e = resolveTarget(desk_, addr, t);
    if (!e.empty()) return "err " + e;
    if (t.node) e = t.node->set(*v);
    else if (t.windowProperty) {
      if (t.property == "Caption" && v->isString()) t.form->setCaption(v->asString());
      else if (t.property == "Visible" && v->isBool()) v->asBool() ? t.form->Show() : t.form->Hide();
      else e = "cannot set " + t.property;
    } else if (t.timer) {
      e = timerSet(*t.timer, t.property, *v);
    } else if (t.property.empty()) {
      if (!t.control->Enabled()) return "err control is disabled";
      e = t.control->userSet(*v);
    } else if (t.control->isValueProperty(t.property)) {
      // The control's value by name is the same as the control itself.
      if (!t.control->Enabled()) return "err control is disabled";
      e = t.control->userSetProperty(t.property, *v);
    } else {
      e = t.control->setProperty(t.property, *v);
    }
    return e.empty() ? "ok" : "err " + e;
  }

  if (cmd == "click" || cmd == "dblclick" || cmd == "validate" || cmd == "mousedown" || cmd == "mouseup") {
    const std::string addr = word(rest);
    if (addr.empty()) return "err usage: " + cmd + " CONTROL";
    Target t;
    std::string e = resolveTarget(desk_, addr, t);
    if (!e.empty()) return "err " + e;
    if (!t.control || !t.property.empty()) return "err not a control: " + addr;
    Control& c = *t.control;
    if (cmd == "mousedown" || cmd == "mouseup") {
      const std::string b = word(rest);
      auto btn = parseButton(b);
      if (!btn) return "err button must be left or right";
      long long x = 0, y = 0;
      if (!rest.empty()) {
        std::string xs = word(rest), ys = word(rest);
        if (!parseInt(xs, x) || !parseInt(ys, y) || !rest.empty()) return "err usage: " + cmd + " CONTROL BUTTON [X Y]";
      }
      if (!c.Enabled()) return "err control is disabled";
      if (cmd == "mousedown") c.MouseDown(*btn, static_cast<int>(x), static_cast<int>(y));
      else c.MouseUp(*btn, static_cast<int>(x), static_cast<int>(y));
      return "ok";
    }
    if (!rest.empty()) return "err usage: " + cmd + " CONTROL";
    if (cmd == "validate") {
      c.Validate();
      return "ok";
    }
    if (!c.Enabled()) return "err control is disabled";
    if (cmd == "dblclick") {
      c.DblClick();
      return "ok";
    }
    if (c.kind() == Kind::CheckBox) c.setValue(c.Value() ? 0 : 1);
    else if (c.kind() == Kind::Option) c.setValue(1);
    c.Click();
    return "ok";
  }

  if (cmd == "key") {
    const std::string fname = word(rest);
    const std::string code = word(rest);
    Form* f = desk_.form(fname);
    if (!f) return "err unknown form " + fname;
    long long k = 0;
    // An optional third word is the shift state: 1 Shift, 2 Ctrl, 4 Alt.
    long long shift = 0;
    const std::string shiftWord = word(rest);
    if (!parseInt(code, k) || !rest.empty() || k < 0 || k > 65535 ||
        (!shiftWord.empty() && (!parseInt(shiftWord, shift) || shift < 0 || shift > 7)))
      return "err usage: key FORM CODE [SHIFT]";
    f->KeyDown(static_cast<int>(k), static_cast<int>(shift));
    return "ok";
  }

  if (cmd == "show" || cmd == "load" || cmd == "unload") {
    const std::string fname = word(rest);
    Form* f = desk_.form(fname);
    if (!f || !rest.empty()) return "err unknown form " + fname;
    if (cmd == "show") f->Show();
    else if (cmd == "load") f->Load();
    else {
      if (f == static_cast<Form*>(&desk_.hoofdblad())) {
        // Closing the main window is the exit operation.
        desk_.hoofdblad().eruit.Click();
        if (desk_.ended()) finished_ = true;
        return "ok";
      }
      f->Unload();
    }
    return "ok";
  }

  if (cmd == "queue") {
    const std::string what = word(rest);
    if (what == "answer") {
      if (rest == "ok") dialogs_.queueAnswer(MsgResult::Ok);
      else if (rest == "cancel") dialogs_.queueAnswer(MsgResult::Cancel);
      else return "err usage: queue answer ok|cancel";
      return "ok";
    }
    if (what == "colour") {
      if (rest == "cancel") { dialogs_.queueColour(std::nullopt); return "ok"; }
      long long c = 0;
      if (!parseInt(rest, c) || c < 0 || c > 0xFFFFFF) return "err usage: queue colour N|cancel";
      dialogs_.queueColour(static_cast<int32_t>(c));
      return "ok";
    }
    if (what == "file") {
      if (rest.empty()) return "err usage: queue file PATH|cancel";
      if (rest == "cancel") dialogs_.queueFile(std::nullopt);
      else dialogs_.queueFile(rest);
      return "ok";
    }
    return "err usage: queue answer|colour|file ...";
  }

  if (cmd == "tick") {
    if (!rest.empty()) return "err usage: tick";
    desk_.hoofdblad().Timer1.Fire();
    return "ok";
  }

  if (cmd == "fire") {
    const std::string addr = word(rest);
    Target t;
    std::string e = resolveTarget(desk_, addr, t);
    if (!e.empty()) return "err " + e;
    if (!t.timer || !rest.empty()) return "err not a timer: " + addr;
    t.timer->Fire();
    return "ok";
  }

  if (cmd == "advance") {
    long long ms = 0;
    if (!parseInt(rest, ms) || ms < 0) return "err usage: advance MS";
    if (!desk_.scheduler().manual()) return "err advance needs --manual-clock";
    desk_.scheduler().advance(ms);
    return "ok";
  }

  if (cmd == "quit") {
    if (!rest.empty()) return "err usage: quit";
    desk_.hoofdblad().eruit.Click();
    if (!desk_.ended()) return "err exit cancelled";
    finished_ = true;
    return "ok";
  }

  if (cmd == "sim") {
    if (!desk_.platform().simulated) return "err sim needs --sim";
    std::vector<std::string> args;
    while (!rest.empty()) args.push_back(word(rest));
    std::string e = desk_.platform().simCommand(args);
    return e.empty() ? "ok" : "err " + e;
  }

  if (cmd == "help") {
    return "ok \"get set click dblclick mousedown mouseup validate key show load unload queue tick fire advance quit sim\"";
  }

  return "err unknown command " + cmd;
}

}  // namespace lumora
