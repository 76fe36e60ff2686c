#include "app/web_remote.h"

#include <arpa/inet.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "app/console.h"
#include "app/desk.h"
#include "desk/hoofdblad.h"
#include "platform/dynlib.h"
#include "playback/playdesk.h"
#include "webremote/remote_http.h"
#include "webremote/remote_messages.h"
#include "webremote/remote_module.h"

namespace lumora {

namespace webremote {

// The server module, bound by file name when the remote is first switched
// on: beside the program (build tree), else in the program's library folder.
class ModuleBinding {
 public:
  bool bind(std::string& error) {
    if (open) return true;
    std::vector<std::string> candidates;
    const std::string dir = ProgramDirectory();
    if (!dir.empty()) {
      candidates.push_back(dir + "/" LUMORA_REMOTE_MODULE_FILE);
      candidates.push_back(dir + "/../lib/lumora/" LUMORA_REMOTE_MODULE_FILE);
    }
#ifdef LUMORA_REMOTE_MODULE_DIR
    candidates.push_back(std::string(LUMORA_REMOTE_MODULE_DIR) + "/" LUMORA_REMOTE_MODULE_FILE);
#endif
    for (const std::string& c : candidates) {
      auto l = std::make_unique<DynLib>(c);
      auto o = reinterpret_cast<LumoraRemoteOpenFn>(l->symbol("lumora_remote_open"));
      if (!o) continue;
      close = reinterpret_cast<LumoraRemoteCloseFn>(l->symbol("lumora_remote_close"));
      publish = reinterpret_cast<LumoraRemotePublishFn>(l->symbol("lumora_remote_publish"));
      take = reinterpret_cast<LumoraRemoteTakeFn>(l->symbol("lumora_remote_take"));
      clients = reinterpret_cast<LumoraRemoteClientsFn>(l->symbol("lumora_remote_clients"));
      if (!close || !publish || !take || !clients) continue;
      open = o;
      lib = std::move(l);
      return true;
    }
    error = "the web remote module " LUMORA_REMOTE_MODULE_FILE " is not installed";
    return false;
  }

  std::unique_ptr<DynLib> lib;
  LumoraRemoteOpenFn open = nullptr;
  LumoraRemoteCloseFn close = nullptr;
  LumoraRemotePublishFn publish = nullptr;
  LumoraRemoteTakeFn take = nullptr;
  LumoraRemoteClientsFn clients = nullptr;
};

namespace {

// Wakes the desk's thread: called on the server's thread.
void WakeDesk(void* host) {
  const int fd = static_cast<int>(reinterpret_cast<intptr_t>(host));
  const uint64_t one = 1;
  (void)!write(fd, &one, sizeof one);
}

bool ValidAddress(const std::string& a) {
  unsigned char buf[16];
  return inet_pton(AF_INET, a.c_str(), buf) == 1 || inet_pton(AF_INET6, a.c_str(), buf) == 1;
}

bool ParsePort(const std::string& t, int& port) {
  if (t.empty() || t.size() > 5 || t.find_first_not_of("0123456789") != std::string::npos) return false;
  port = std::stoi(t);
  return port >= 1 && port <= 65535;
}

std::string Colour(int32_t c) {
  if (c < 0) return "";
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x", c & 0xff, (c >> 8) & 0xff, (c >> 16) & 0xff);
  return buf;
}

std::string UrlOf(const std::string& address, int port) {
  const bool v6 = address.find(':') != std::string::npos;
  return "http://" + (v6 ? "[" + address + "]" : address) + ":" + std::to_string(port) + "/";
}

constexpr int kPushMs = 50;            // at most 20 state updates a second
constexpr int kActionsPerWake = 64;    // the rest wait for the next turn

}  // namespace

}  // namespace webremote

using namespace webremote;

Remote::Remote(Desk& desk)
    : Form(desk, "Remote"),
      dialogs_(std::make_unique<ConsoleDialogs>()),
      console_(std::make_unique<Console>(desk, *dialogs_)),
      module_(std::make_unique<ModuleBinding>()) {
  setCaption("Web Remote");
  lblAddress.setCaption("Address to serve on:");
  txtAddress.setText("127.0.0.1");
  lblPort.setCaption("Port:");
  txtPort.setText("8080");
  chkEnabled.setCaption("Web remote on");
  lblPinTitle.setCaption("PIN for a new browser:");
  lblPin.setCaption("-");
  lblUrl.setCaption("");
  lblClients.setCaption("Pages connected: 0");
  lblNote.setCaption(
      "127.0.0.1 serves this computer only; enter this computer's network address (or 0.0.0.0) "
      "to reach the desk from a phone. Switching the remote off signs every browser out.");
  cmdClose.setCaption("Close");
  Status.setText(" Web remote off");
  chkEnabled.onClick = [this] { chkEnabled_Click(); };
  cmdClose.onClick = [this] { Unload(); };
  Push_Timer.setInterval(kPushMs);
  Push_Timer.setEnabled(false);
  Push_Timer.onTimer = [this] { Push_Timer_Timer(); };
  // The actions it hands on run as console commands, which wake a resting
  // tick themselves; sending the state changes nothing the tick mixes.
  Push_Timer.passive = true;
}

Remote::~Remote() { Disable(); }

void Remote::Form_Load() { showRunning(); }

int Remote::port() const {
  int p = 0;
  return ParsePort(txtPort.Text(), p) ? p : 0;
}

int Remote::clients() const {
  return running_ ? module_->clients(static_cast<LumoraRemoteServer*>(running_)) : 0;
}

void Remote::setStatus(const std::string& s) { Status.setText(s); }

void Remote::showRunning() {
  syncing_ = true;
  chkEnabled.setValue(running_ ? 1 : 0);
  syncing_ = false;
  txtAddress.setEnabled(!running_);
  txtPort.setEnabled(!running_);
  lblPin.setCaption(running_ ? pin_.substr(0, 3) + " " + pin_.substr(3) : "-");
  lblUrl.setCaption(running_ ? UrlOf(txtAddress.Text(), port()) : "");
  lblClients.setCaption("Pages connected: " + std::to_string(clients()));
}

std::string Remote::Enable() {
  if (running_) return "";
  const std::string address = txtAddress.Text();
  int p = 0;
  std::string error;
  if (!ValidAddress(address)) error = "the address " + address + " is not an IP address";
  else if (!ParsePort(txtPort.Text(), p)) error = "the port must be a number from 1 to 65535";
  else module_->bind(error);
  if (error.empty()) {
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd_ < 0) error = "no event descriptor";
  }
  if (error.empty()) {
    pin_ = NewPin();
    LumoraRemoteConfig cfg{};
    cfg.abi = LUMORA_REMOTE_ABI;
    cfg.address = address.c_str();
    cfg.port = p;
    cfg.pin = pin_.c_str();
    cfg.wake = WakeDesk;
    cfg.host = reinterpret_cast<void*>(static_cast<intptr_t>(wakeFd_));
    char err[256] = "";
    running_ = module_->open(&cfg, err, sizeof err);
    if (!running_) error = std::string(err[0] ? err : "the server did not start") + " (" + address + " port " +
                           std::to_string(p) + ")";
  }
  if (!error.empty()) {
    if (wakeFd_ >= 0) close(wakeFd_);
    wakeFd_ = -1;
    pin_.clear();
    setStatus(" Web remote not started: " + error);
    showRunning();
    return error;
  }
  Scheduler& sch = desk().scheduler();
  if (sch.watchesFds()) sch.watchFd(wakeFd_, [this] { takeActions(); });
  lastState_.clear();
  Push_Timer.setEnabled(true);
  Push_Timer_Timer();
  setStatus(" Web remote on " + UrlOf(address, p));
  showRunning();
  return "";
}

void Remote::Disable() {
  if (!running_) return;
  desk().scheduler().unwatchFd(wakeFd_);
  module_->close(static_cast<LumoraRemoteServer*>(running_));
  running_ = nullptr;
  close(wakeFd_);
  wakeFd_ = -1;
  pin_.clear();
  Push_Timer.setEnabled(false);
  setStatus(" Web remote off");
  showRunning();
}

void Remote::chkEnabled_Click() {
  if (syncing_) return;
  if (chkEnabled.Value() != 0) {
    const std::string e = Enable();
    if (!e.empty()) desk().dialogs().Message(" Could not start the web remote: " + e, " Web Remote", MsgIcon::Exclamation);
  } else {
    Disable();
  }
}

void Remote::takeActions() {
  if (!running_ || busy_) return;
  // An action may open a dialog whose event loop wakes this again.
  busy_ = true;
  uint64_t n;
  while (read(wakeFd_, &n, sizeof n) > 0) {
  }
  LumoraRemoteAction a{};
  for (int i = 0; i < kActionsPerWake && running_ && module_->take(static_cast<LumoraRemoteServer*>(running_), &a);
       ++i) {
    RemoteAction r;
    r.op = static_cast<RemoteOp>(a.op);
    r.index = a.index;
    r.value = a.value;
    Perform(r);
  }
  busy_ = false;
}

void Remote::Perform(const RemoteAction& a) {
  for (const std::string& line : ConsoleCommandsFor(a)) console_->execute(line);
}

void Remote::Push_Timer_Timer() {
  if (!running_) return;
  takeActions();
  std::string s = StateJson();
  if (s != lastState_) {
    module_->publish(static_cast<LumoraRemoteServer*>(running_), s.data(), s.size());
    lastState_ = std::move(s);
  }
  lblClients.setCaption("Pages connected: " + std::to_string(clients()));
}

std::string Remote::StateJson() {
  const DeskState& s = desk().state;
  Playdesk& p = desk().window<Playdesk>();
  auto screen = [&s](int n) {
    Json o = Json::object();
    o.set("num", Json(n));
    o.set("name", Json(n >= 0 && n < kScreens ? s.Screens[static_cast<std::size_t>(n)].Name : std::string()));
    return o;
  };
  Json j = Json::object();
  j.set("run", Json(s.RunMode != 0));
  j.set("runCaption", Json(p.Run_Switch.Caption()));
  j.set("takeCaption", Json(p.Run_Autotake.Caption()));
  j.set("taking", Json(s.AutotakeRunning != 0 || s.CrossfadeRunning != 0));
  j.set("xfade", Json(p.Run_Crossfade.Value()));
  j.set("live", screen(s.LiveScreen));
  j.set("next", screen(p.UpcomingScreen));
  j.set("screen", Json(static_cast<int>(p.CurrentScreen)));
  Json page = Json::object();
  page.set("num", Json(s.CurrentPage + 1));
  page.set("title", Json(p.Page_Details.Text()));
  page.set("prev", Json(p.Dec_Page[0].Enabled()));
  page.set("next", Json(p.Inc_Page[0].Enabled()));
  j.set("page", page);
  Json faders = Json::array();
  for (int i = 0; i < kFaderSlots; ++i) {
    Json f = Json::object();
    f.set("name", Json(p.Text5[i].Caption()));
    f.set("func", Json(p.Text2[i].Caption()));
    f.set("level", Json(255 - p.Slider1[i].Value()));
    f.set("color", Json(Colour(p.Slider1[i].BackColor())));
    faders.push(f);
  }
  j.set("faders", faders);
  Json buttons = Json::array();
  const int page0 = std::clamp<int>(s.CurrentPage, 0, kPages - 1) * kButtonSlots;
  for (int i = 0; i < kButtonSlots; ++i) {
    Json b = Json::object();
    b.set("name", Json(p.Command1[i].Caption()));
    b.set("on", Json(s.PlayButtonState[static_cast<std::size_t>(page0 + i)] != 0));
    b.set("color", Json(Colour(p.Command1[i].BackColor())));
    buttons.push(b);
  }
  j.set("buttons", buttons);
  j.set("main", Json(255 - p.Main.Value()));
  j.set("status", Json(p.Status.Text()));
  return j.dump();
}

namespace {

Remote* RemoteOf(Desk& d) { return d.owned<Remote>(); }

std::string BoolOrNumber(const Json& v, bool& out) {
  if (v.isBool()) out = v.asBool();
  else if (v.isNumber() && (v.asReal() == 0 || v.asReal() == 1 || v.asReal() == -1)) out = v.asReal() != 0;
  else return "expected true or false";
  return "";
}

}  // namespace

void SetupWebRemote(Desk& d) {
  Remote& r = d.own<Remote>(d);
  d.addForm(&r);
  Control& menu = d.own<Control>(d.hoofdblad(), "remote_setup", Kind::Menu);
  menu.setCaption("Web Remote...");
  menu.onClick = [&r] { r.Show(); };
  Registry& reg = d.registry();
  reg.add("Remote.Enabled", [&r] {
    return std::make_unique<FnNode>([&r] { return Json(r.enabled()); },
                                    [&r](const Json& v) {
                                      bool on = false;
                                      std::string e = BoolOrNumber(v, on);
                                      if (!e.empty()) return e;
                                      if (!on) {
                                        r.Disable();
                                        return std::string();
                                      }
                                      return r.Enable();
                                    });
  });
  // Address and port apply at once: a running remote starts again there
  // (every browser signs in again with the new PIN).
  auto restart = [&r](const std::function<void()>& change) {
    const bool was = r.enabled();
    r.Disable();
    change();
    return was ? r.Enable() : std::string();
  };
  reg.add("Remote.Port", [&r, restart] {
    return std::make_unique<FnNode>([&r] { return Json(r.port()); },
                                    [&r, restart](const Json& v) {
                                      if (!v.isNumber() || v.asReal() != static_cast<double>(v.asInt()))
                                        return std::string("expected a whole number");
                                      if (v.asInt() < 1 || v.asInt() > 65535) return std::string("value out of range");
                                      return restart([&r, &v] { r.txtPort.setText(std::to_string(v.asInt())); });
                                    });
  });
  reg.add("Remote.Address", [&r, restart] {
    return std::make_unique<FnNode>([&r] { return Json(r.address()); },
                                    [&r, restart](const Json& v) {
                                      if (!v.isString()) return std::string("expected a string");
                                      if (!ValidAddress(v.asString())) return std::string("not an IP address");
                                      return restart([&r, &v] { r.txtAddress.setText(v.asString()); });
                                    });
  });
  reg.add("Remote.Pin", [&r] { return std::make_unique<FnNode>([&r] { return Json(r.pin()); }); });
  reg.add("Remote.Clients", [&r] { return std::make_unique<FnNode>([&r] { return Json(r.clients()); }); });
}

namespace webremote {

std::string StartFromCommandLine(Desk& d, int port, const std::string& address) {
  Remote* r = RemoteOf(d);
  if (!r) return "no web remote in this desk";
  r->Disable();
  r->txtPort.setText(std::to_string(port));
  r->txtAddress.setText(address.empty() ? "127.0.0.1" : address);
  return r->Enable();
}

}  // namespace webremote

}  // namespace lumora
