// Random operator actions through the automation console, for hours if need
// be: clicks, fader moves, typed text, dialog answers, window life, table
// writes and clock steps, most of them sensible and some hostile. Every 100
// actions the desk must still answer and every level table and the DMX frame
// must be within 0..255. Run on the sanitizer build (`make soak`), so that a
// memory fault or undefined behaviour ends the run at once.
//
//   lumora_soak [--actions N] [--seed S] [--dir TMPDIR] [--verbose]
//
// The same seed replays the same actions. On a failure the last actions are
// printed, so the failing script can be replayed in the console by hand.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <iostream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/console.h"
#include "app/desk.h"
#include "core/form.h"
#include "desk/hoofdblad.h"
#include "core/json.h"
#include "tests/support/level_invariants.h"

namespace lumora {
namespace {

// A global address and the shape of its value, learnt once from `get`.
struct Global {
  std::string name;
  Json shape;
};

class Soak {
 public:
  Soak(uint64_t seed, std::string dir, bool verbose) : rng_(seed), dir_(std::move(dir)), verbose_(verbose) {
    start();
  }

  // Runs n actions; returns false on the first broken invariant.
  bool run(long n) {
    for (long i = 1; i <= n; ++i) {
      if (desk_->ended()) {
        ++restarts_;
        start();
      }
      act();
      ++actions_;
      if (i % 100 == 0 && !check()) return false;
      if (i % 50000 == 0) std::fprintf(stderr, "soak: %ld actions, %ld refused, %ld restarts\n", i, refused_, restarts_);
    }
    return check();
  }

  long refused() const { return refused_; }
  long restarts() const { return restarts_; }

 private:
  // A fresh desk, started as the program starts it.
  void start() {
    console_.reset();
    desk_.reset();
    DeskOptions o;
    o.manualClock = true;
    o.sim = true;
    desk_ = std::make_unique<Desk>(o, dialogs_);
    console_ = std::make_unique<Console>(*desk_, dialogs_);
    desk_->Start();
    dialogs_.takeEvents();
    if (globals_.empty()) learnGlobals();
  }

  void learnGlobals() {
    for (const std::string& n : desk_->registry().names()) {
      // Paths name files anywhere on the machine; the soak writes only in
      // its own folder, through the file dialogs it answers.
      if (n.find("Path") != std::string::npos || n.find("File") != std::string::npos) continue;
      const std::string r = exec("get " + n);
      if (r.rfind("ok ", 0) != 0) continue;
      if (auto v = Json::parse(r.substr(3))) globals_.push_back({n, *v});
    }
  }

  std::string exec(const std::string& line) {
    history_.push_back(line);
    if (history_.size() > 100) history_.pop_front();
    const std::vector<std::string> out = console_->execute(line);
    const std::string& reply = out.back();
    if (verbose_) std::printf("%s\n  -> %s\n", line.c_str(), reply.c_str());
    if (reply.rfind("err", 0) == 0) ++refused_;
    return reply;
  }

  int pick(int n) { return n <= 0 ? 0 : static_cast<int>(rng_() % static_cast<uint64_t>(n)); }
  bool chance(int percent) { return pick(100) < percent; }

  // Mostly plausible numbers, sometimes the edges of every integer type and
  // values no property can hold.
  std::string number(int lo, int hi) {
    static const char* hostile[] = {"-1",          "256",       "32767",      "-32768",          "32768",
                                    "2147483647",  "-2147483648", "-99999999999", "99999999999999999999",
                                    "1e400",       "-1e400",    "1e300",      "2.5",             "-0.5",
                                    "true",        "false",     "null",       "\"7\"",           "[]"};
    if (chance(8)) return hostile[pick(sizeof hostile / sizeof *hostile)];
    if (hi < lo) std::swap(lo, hi);
    return std::to_string(lo + pick(hi - lo + 1));
  }
  std::string text() {
    static const char* texts[] = {"",       " ",     "1",      "12",    "64",     "255",   "-3",   "abc", "A",
                                  "Wash 1", "0.5",   "1,2",    "99999", "\\t",    "<x>",   "&amp", "\\u00e9",
                                  "10.0.0.5", "1:2", "s 5 @ 50", "c 3 @ 100", "1e400", "  7 ", "\\r\\n"};
    return "\"" + std::string(texts[pick(sizeof texts / sizeof *texts)]) + "\"";
  }

  // A value for a control's natural property.
  std::string valueFor(const Control& c) {
    switch (c.kind()) {
      case Kind::TextBox: return text();
      case Kind::ComboBox: return chance(50) ? text() : number(-1, c.ListCount());
      case Kind::ListBox: return number(-1, c.ListCount());
      case Kind::CheckBox: return number(0, 2);
      case Kind::Option: return number(0, 1);
      case Kind::Fader:
      case Kind::ScrollBar:
      case Kind::Bar: return number(c.Min(), c.Max());
      case Kind::LogSlider: return chance(50) ? number(0, 100) : std::to_string(pick(1000)) + ".25";
      default: return chance(50) ? text() : number(0, 255);
    }
  }

  Control* anyControl() {
    const auto& forms = desk_->forms();
    Form* f = forms[static_cast<std::size_t>(pick(static_cast<int>(forms.size())))];
    const auto& cs = f->controls();
    if (cs.empty()) return nullptr;
    return cs[static_cast<std::size_t>(pick(static_cast<int>(cs.size())))];
  }
  std::string addressOf(const Control& c) { return c.form().name() + "." + c.address(); }

  // An address inside a global, descending into its shape at random.
  std::string globalAddress(const Global& g, Json& leaf) {
    std::string a = g.name;
    const Json* v = &g.shape;
    std::vector<long> idx;
    auto flush = [&] {
      if (idx.empty()) return;
      a += "(";
      for (std::size_t i = 0; i < idx.size(); ++i) a += (i ? "," : "") + std::to_string(idx[i]);
      a += ")";
      idx.clear();
    };
    for (int depth = 0; depth < 4; ++depth) {
      if (v->isArray() && v->size() > 0 && chance(90)) {
        // Now and then one step past the end.
        const long i = chance(3) ? static_cast<long>(v->size()) : pick(static_cast<int>(v->size()));
        idx.push_back(i);
        if (i >= static_cast<long>(v->size())) break;
        v = &(*v)[static_cast<std::size_t>(i)];
      } else if (v->isObject() && v->size() > 0) {
        flush();
        const auto& f = v->fields()[static_cast<std::size_t>(pick(static_cast<int>(v->size())))];
        a += "." + f.first;
        v = &f.second;
      } else {
        break;
      }
    }
    flush();
    leaf = *v;
    return a;
  }

  std::string valueLike(const Json& leaf) {
    if (leaf.isString()) return text();
    if (leaf.isBool()) return chance(50) ? "true" : "false";
    if (leaf.isNumber()) {
      const long long n = leaf.asInt();
      return number(static_cast<int>(std::max(-32768LL, n - 300)), static_cast<int>(std::min(32767LL, n + 300)));
    }
    return number(0, 255);
  }

  void act() {
    const int r = pick(1000);
    if (r < 300) {  // a user's change of a control
      if (Control* c = anyControl()) exec("set " + addressOf(*c) + " " + valueFor(*c));
    } else if (r < 500) {  // a click
      if (Control* c = anyControl()) {
        // Leaving the program is rarer than any other click.
        if (c->name() == "eruit" && !chance(5)) return;
        exec("click " + addressOf(*c));
      }
    } else if (r < 560) {  // a property as code would set it
      static const char* props[] = {"Min", "Max", "Value", "Enabled", "Visible", "Caption", "Text", "ListIndex",
                                    "BackColor", "ToolTipText", "Interval"};
      if (Control* c = anyControl()) {
        const std::string p = props[pick(sizeof props / sizeof *props)];
        const bool isText = p == "Caption" || p == "Text" || p == "ToolTipText";
        exec("set " + addressOf(*c) + "." + p + " " + (isText ? text() : number(-300, 600)));
      }
    } else if (r < 700) {  // a table or state variable
      if (!globals_.empty()) {
        const Global& g = globals_[static_cast<std::size_t>(pick(static_cast<int>(globals_.size())))];
        Json leaf;
        const std::string a = globalAddress(g, leaf);
        if (chance(25)) exec("get " + a);
        else exec("set " + a + " " + valueLike(leaf));
      }
    } else if (r < 800) {  // the clock
      const int k = pick(10);
      if (k < 5) exec("advance " + std::to_string(pick(3000)));
      else if (k < 7) exec("tick");
      else if (k < 8) exec("advance " + std::to_string(pick(60000)));
      else {
        const auto& forms = desk_->forms();
        Form* f = forms[static_cast<std::size_t>(pick(static_cast<int>(forms.size())))];
        if (!f->timers().empty()) {
          Timer* t = f->timers()[static_cast<std::size_t>(pick(static_cast<int>(f->timers().size())))];
          exec("fire " + t->address());
        }
      }
    } else if (r < 860) {  // window life
      static const char* verbs[] = {"show", "show", "load", "unload"};
      const auto& forms = desk_->forms();
      Form* f = forms[static_cast<std::size_t>(pick(static_cast<int>(forms.size())))];
      const std::string verb = verbs[pick(4)];
      if (verb == "unload" && f == static_cast<Form*>(&desk_->hoofdblad()) && !chance(5)) return;
      exec(verb + " " + f->name());
    } else if (r < 920) {  // answers for the next dialogs
      const int k = pick(3);
      if (k == 0) exec(std::string("queue answer ") + (chance(50) ? "ok" : "cancel"));
      else if (k == 1) exec("queue colour " + (chance(10) ? std::string("cancel") : std::to_string(pick(0x1000000))));
      else exec("queue file " + (chance(10) ? std::string("cancel") : dir_ + "/soak" + std::to_string(pick(4)) + ".xml"));
    } else if (r < 970) {  // mouse, double click, validate, keys
      Control* c = anyControl();
      if (!c) return;
      const int k = pick(5);
      const std::string a = addressOf(*c);
      if (k == 0) exec("dblclick " + a);
      else if (k == 1) exec("validate " + a);
      else if (k == 2 || k == 3)
        exec(std::string(k == 2 ? "mousedown " : "mouseup ") + a + (chance(50) ? " left" : " right") + " " +
             std::to_string(pick(400)) + " " + std::to_string(pick(400)));
      else exec("key " + c->form().name() + " " + std::to_string(pick(256)));
    } else {  // the simulated devices
      static const char* sims[] = {"sim ftdi present 0", "sim ftdi present 1", "sim ftdi fail FT_Write",
                                   "sim ftdi fail FT_Open", "sim ftdi heal", "sim midi bcf2000 1",
                                   "sim midi bcf2000 0", "sim tribus31 present 1", "sim corvex present 1"};
      if (chance(50)) exec(sims[pick(sizeof sims / sizeof *sims)]);
      else exec("sim midi cc " + std::to_string(pick(130)) + " " + std::to_string(pick(130)));
    }
  }

  bool fail(const std::string& why) {
    std::fprintf(stderr, "soak: FAILED after %ld actions: %s\nlast actions:\n", actions_, why.c_str());
    for (const std::string& l : history_) std::fprintf(stderr, "  %s\n", l.c_str());
    return false;
  }

  bool check() {
    if (desk_->ended()) return true;
    const std::string t = exec("tick");
    if (t != "ok") return fail("the desk does not answer a tick: " + t);
    const std::string f = exec("get DmxFrame");
    if (f.rfind("ok [", 0) != 0) return fail("get DmxFrame: " + f);
    const auto frame = Json::parse(f.substr(3));
    if (!frame || frame->size() != 513) return fail("DmxFrame is not 513 numbers");
    for (const Json& v : frame->items())
      if (!v.isInt() || v.asInt() < 0 || v.asInt() > 255) return fail("DmxFrame value " + v.dump());
    const std::string bad = LevelOutOfRange(desk_->state);
    if (!bad.empty()) return fail("level out of range in " + bad);
    return true;
  }

  std::mt19937_64 rng_;
  std::string dir_;
  bool verbose_;
  ConsoleDialogs dialogs_;
  std::unique_ptr<Desk> desk_;
  std::unique_ptr<Console> console_;
  std::vector<Global> globals_;
  std::deque<std::string> history_;
  long actions_ = 0, refused_ = 0, restarts_ = 0;
};

}  // namespace
}  // namespace lumora

int main(int argc, char** argv) {
  long actions = 500000;
  uint64_t seed = 1;
  std::string dir;
  bool verbose = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--actions" && i + 1 < argc) actions = std::stol(argv[++i]);
    else if (a == "--seed" && i + 1 < argc) seed = std::stoull(argv[++i]);
    else if (a == "--dir" && i + 1 < argc) dir = argv[++i];
    else if (a == "--verbose") verbose = true;
    else {
      std::fprintf(stderr, "usage: lumora_soak [--actions N] [--seed S] [--dir TMPDIR] [--verbose]\n");
      return 2;
    }
  }
  // Art-Net stays on its loop-back twin: the soak never sends a packet.
  setenv("LUMORA_ARTNET_SIMULATE", "1", 1);
  bool ownDir = false;
  if (dir.empty()) {
    char tmpl[] = "/tmp/lumora-soak-XXXXXX";
    if (!mkdtemp(tmpl)) return 2;
    dir = tmpl;
    ownDir = true;
  }
  // Relative paths a window may write land in the scratch folder too.
  if (chdir(dir.c_str()) != 0) return 2;
  std::fprintf(stderr, "soak: %ld actions, seed %llu, files in %s\n", actions, static_cast<unsigned long long>(seed),
               dir.c_str());
  lumora::Soak soak(seed, dir, verbose);
  const bool ok = soak.run(actions);
  std::fprintf(stderr, "soak: %s: %ld actions, seed %llu, %ld refused with err, %ld desk restarts\n",
               ok ? "passed" : "FAILED", actions, static_cast<unsigned long long>(seed), soak.refused(),
               soak.restarts());
  if (ok && ownDir) {
    std::error_code ec;
    std::filesystem::current_path("/", ec);
    std::filesystem::remove_all(dir, ec);
  }
  return ok ? 0 : 1;
}
