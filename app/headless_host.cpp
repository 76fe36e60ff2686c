#include "app/headless_host.h"

#include <signal.h>
#include <stddef.h>
#include <sys/epoll.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/timerfd.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/console.h"
#include "app/console_server.h"
#include "app/demo_show.h"
#include "app/desk.h"
#include "core/form.h"
#include "desk/hoofdblad.h"
#include "app/health_window.h"
#include "playback/playdesk.h"
#include "project/project_io.h"
#include "project/show_keeper.h"
#include "app/web_remote.h"

namespace lumora {

namespace {

void printLines(const std::vector<std::string>& lines) {
  for (const auto& l : lines) std::cout << l << '\n';
  std::cout.flush();
}

// One line of text for the log: line breaks and tabs become blanks, the
// desk's leading and trailing blanks go.
std::string oneLine(std::string s) {
  for (char& c : s)
    if (c == '\r' || c == '\n' || c == '\t') c = ' ';
  const std::size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

// The service's log on standard error: plain lines (journald adds the time
// and the program), each written with one call so lines never mix.
class ServiceLog {
 public:
  ServiceLog(bool enabled, bool quiet) : enabled_(enabled), quiet_(quiet) {}
  bool enabled() const { return enabled_; }

  void line(const std::string& text) const {
    if (!enabled_) return;
    const std::string l = "lumora: " + text + "\n";
    std::size_t done = 0;
    while (done < l.size()) {
      const ssize_t n = write(STDERR_FILENO, l.data() + done, l.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return;
      done += static_cast<std::size_t>(n);
    }
  }
  void status(const std::string& text) const {
    if (!quiet_) line("status: " + oneLine(text));
  }

 private:
  bool enabled_;
  bool quiet_;
};

// The desk's message boxes, answered by the console's queue or their default
// button, and written to the log with their title, text and answer.
class LoggingDialogs : public Dialogs {
 public:
  LoggingDialogs(ConsoleDialogs& inner, const ServiceLog& log) : inner_(inner), log_(log) {}
  MsgResult MsgBox(const std::string& text, const std::string& title, MsgButtons buttons, MsgIcon icon,
                   MsgResult defaultButton) override {
    const MsgResult r = inner_.MsgBox(text, title, buttons, icon, defaultButton);
    log_.line("message: " + oneLine(title) + ": " + oneLine(text) +
              (buttons == MsgButtons::OkCancel ? (r == MsgResult::Ok ? " [answered OK]" : " [answered Cancel]") : ""));
    return r;
  }
  std::optional<int32_t> ChooseColour(const std::string& title, int32_t initial) override {
    return inner_.ChooseColour(title, initial);
  }
  std::optional<std::string> FileDialog(FileKind kind, const std::string& title, const std::string& filter,
                                        const std::string& initialPath) override {
    return inner_.FileDialog(kind, title, filter, initialPath);
  }

 private:
  ConsoleDialogs& inner_;
  const ServiceLog& log_;
};

// The status texts of the main desk and the playback desk: each new text is
// a status line (the two often say the same; it is logged once).
class StatusWatch {
 public:
  StatusWatch(Control& main, Control& play) : main_(main), play_(play) {}
  void check(const ServiceLog& log, bool force = false) {
    for (Control* c : {&main_, &play_}) {
      uint64_t& seen = c == &main_ ? mainRev_ : playRev_;
      if (c->revision() == seen && !force) continue;
      seen = c->revision();
      const std::string t = oneLine(c->Text());
      if (t.empty() || (t == last_ && !force)) continue;
      last_ = t;
      log.status(t);
      force = false;
    }
  }

 private:
  Control& main_;
  Control& play_;
  uint64_t mainRev_ = 0;
  uint64_t playRev_ = 0;
  std::string last_;
};

// The service manager's notification socket ($NOTIFY_SOCKET, as systemd
// sets it for Type=notify): READY once the first output tick has run,
// RELOADING/READY around a reload, STOPPING, and the watchdog's keep-alive
// ($WATCHDOG_USEC) while the output tick runs.
class ServiceNotifier {
 public:
  ServiceNotifier() {
    const char* p = std::getenv("NOTIFY_SOCKET");
    if (!p || !*p || (p[0] != '/' && p[0] != '@')) return;
    const std::size_t len = std::strlen(p);
    if (len >= sizeof addr_.sun_path) return;
    addr_.sun_family = AF_UNIX;
    std::memcpy(addr_.sun_path, p, len);
    if (p[0] == '@') addr_.sun_path[0] = '\0';  // abstract name
    addrLen_ = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + len + (p[0] == '@' ? 0 : 1));
    fd_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    const char* w = std::getenv("WATCHDOG_USEC");
    const char* wp = std::getenv("WATCHDOG_PID");
    if (w && (!wp || std::atol(wp) == static_cast<long>(getpid()))) watchdogMs_ = std::atoll(w) / 1000;
  }
  ~ServiceNotifier() {
    if (fd_ >= 0) close(fd_);
  }
  // A state message (READY, RELOADING, STOPPING). The socket never blocks:
  // a manager slow to read must not stall the show. A message it has no room
  // for waits, in order, for the next turn of the loop.
  void send(const std::string& msg) {
    if (fd_ < 0) return;
    pending_.push_back(msg);
    flush();
  }
  // Sends what waits; true when nothing is left.
  bool flush() {
    while (!pending_.empty()) {
      if (!sendOne(pending_.front())) return false;
      pending_.erase(pending_.begin());
    }
    return true;
  }
  bool waiting() const { return !pending_.empty(); }
  // Keep-alive at half the watchdog period, only while output ticks come
  // (or the tick rests on an idle desk: the loop itself is alive). One the
  // manager has no room for is tried again at the next turn.
  // Milliseconds until the next keep-alive is due (at least `floor`, so a
  // manager with no room is not asked in a busy loop); -1 without a watchdog.
  int64_t untilPing(int64_t now, int64_t floor) const {
    if (watchdogMs_ <= 0) return -1;
    return std::max(floor, lastPing_ + watchdogMs_ / 2 - now);
  }
  void watchdog(int64_t now, uint64_t ticks, bool tickResting) {
    if (watchdogMs_ <= 0 || (ticks == lastTicks_ && !tickResting) || now - lastPing_ < watchdogMs_ / 2) return;
    if (!flush() || !sendOne("WATCHDOG=1")) return;
    lastTicks_ = ticks;
    lastPing_ = now;
  }

 private:
  // False only when the manager has no room now (any other error drops it).
  bool sendOne(const std::string& msg) const {
    const ssize_t n =
        sendto(fd_, msg.data(), msg.size(), MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&addr_), addrLen_);
    return n >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
  }

  int fd_ = -1;
  sockaddr_un addr_{};
  socklen_t addrLen_ = 0;
  std::vector<std::string> pending_;
  int64_t watchdogMs_ = 0;
  int64_t lastPing_ = 0;
  uint64_t lastTicks_ = 0;
};

void exitAtOnce(int sig) { _exit(128 + sig); }

const char* signalName(int sig) {
  switch (sig) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
  }
  return "signal";
}

enum Source : uint64_t { kSignals = 1, kTimer, kSocket, kStdin };
// A descriptor the desk watches (Art-Net's socket) carries this bit and its number.
constexpr uint64_t kDeskFd = uint64_t{1} << 32;

}  // namespace

int RunHeadless(const ProgramOptions& opts) {
  // Without the console on standard input the desk runs as a service: its
  // messages, status lines and stops go to the log on standard error.
  const bool service = !opts.console;
  ServiceLog log(service, opts.quiet);

  // The stop and reload signals arrive as readable data in the loop, so the
  // event under way (a tick, a command) always completes first.
  sigset_t sigs;
  sigemptyset(&sigs);
  sigaddset(&sigs, SIGINT);
  sigaddset(&sigs, SIGTERM);
  sigaddset(&sigs, SIGHUP);
  sigprocmask(SIG_BLOCK, &sigs, nullptr);
  signal(SIGPIPE, SIG_IGN);
  const int sigFd = signalfd(-1, &sigs, SFD_NONBLOCK | SFD_CLOEXEC);

  // The socket before the desk: a second desk on the same path must go
  // before it touches any device.
  std::unique_ptr<ConsoleServer> server;
  if (!opts.consoleSocket.empty()) {
    std::string err;
    server = ConsoleServer::Open(opts.consoleSocket, err);
    if (!server) {
      std::cerr << "lumora: " << err << '\n';
      return 1;
    }
  }

  ConsoleDialogs consoleDialogs;
  LoggingDialogs loggingDialogs(consoleDialogs, log);
  Dialogs& dialogs = service ? static_cast<Dialogs&>(loggingDialogs) : static_cast<Dialogs&>(consoleDialogs);
  DeskOptions dopts;
  dopts.manualClock = opts.manualClock;
  dopts.sim = opts.sim;
  dopts.artnetAddress = opts.artnetAddress;
  UseUserFolders(dopts);
  dopts.headless = true;
  Desk desk(dopts, dialogs);
  Console console(desk, consoleDialogs);
  Scheduler& clock = desk.scheduler();
  const bool realTime = !clock.manual();
  // Nothing draws this desk: an idle show wakes only for what it must send.
  clock.setViewless(true);
  clock.setResting(realTime);

  // Output ticks are counted for the watchdog and the readiness report.
  uint64_t ticks = 0;
  Timer& outputTick = desk.hoofdblad().Timer1;
  auto tickHandler = outputTick.onTimer;
  outputTick.onTimer = [&ticks, tickHandler] {
    if (tickHandler) tickHandler();
    ++ticks;
  };

  StatusWatch statusWatch(desk.hoofdblad().Status, desk.playdesk().Status);
  desk.Start();
  // The recent-projects list reaches the disk after the first frame.
  ShowKeeper* keeper = ShowKeeper::of(desk);
  if (keeper) keeper->holdStores();
  if (opts.demo) LoadDemoShow(desk);
  {
    std::string e = OpenStartupProject(desk, opts.project);
    if (!e.empty()) std::cerr << "lumora: " << opts.project << ": " << e << '\n';
  }
  // The web remote only when asked for: a desk without it maps no Qt at all.
  if (opts.remotePort > 0) {
    const std::string e = webremote::StartFromCommandLine(desk, opts.remotePort, opts.remoteAddress);
    if (!e.empty()) {
      std::cerr << "lumora: web remote: " << e << '\n';
      return 1;
    }
    log.line("web remote on " + desk.form("Remote")->control("lblUrl")->Caption());
  }
  // Anything a start-up dialog printed goes out before the first reply.
  if (opts.console) printLines(consoleDialogs.takeEvents());
  else consoleDialogs.takeEvents();
  // The first frame goes out at once rather than one tick period later.
  if (realTime && outputTick.Enabled()) outputTick.Fire();
  statusWatch.check(log);
  if (server) {
    ConsoleServer& srv = *server;
    server->setHandler([&](const std::string& line) {
      std::vector<std::string> out = console.execute(line);
      if (console.finished() || desk.ended()) srv.hold();
      return out;
    });
    log.line("console on " + server->path());
  }
  ServiceNotifier notifier;
  notifier.send("READY=1");
  if (keeper) keeper->releaseStores();

  const int ep = epoll_create1(EPOLL_CLOEXEC);
  const int timerFd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
  auto watch = [ep](int fd, Source s) {
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.u64 = s;
    return epoll_ctl(ep, EPOLL_CTL_ADD, fd, &ev) == 0;
  };
  if (sigFd >= 0) watch(sigFd, kSignals);
  if (timerFd >= 0) watch(timerFd, kTimer);
  if (server) watch(server->fd(), kSocket);
  // The desk's own descriptors, kept in step with its watches.
  std::vector<int> deskFds;
  bool deskFdsChanged = true;
  clock.onWatchesChanged = [&deskFdsChanged] { deskFdsChanged = true; };
  auto syncDeskFds = [&] {
    deskFdsChanged = false;
    for (int fd : deskFds) epoll_ctl(ep, EPOLL_CTL_DEL, fd, nullptr);
    deskFds.clear();
    for (const Scheduler::FdWatch& w : clock.fdWatches()) {
      epoll_event ev{};
      ev.events = EPOLLIN;
      ev.data.u64 = kDeskFd | static_cast<uint32_t>(w.fd);
      if (epoll_ctl(ep, EPOLL_CTL_ADD, w.fd, &ev) == 0) deskFds.push_back(w.fd);
    }
  };
  // A file on standard input cannot be watched; it is always ready.
  bool stdinAlwaysReady = false;
  bool stdinOpen = opts.console;
  if (opts.console && !watch(STDIN_FILENO, kStdin)) stdinAlwaysReady = true;

  std::string pending;
  auto readStdin = [&] {
    char buf[4096];
    const ssize_t n = read(STDIN_FILENO, buf, sizeof buf);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    const bool eof = n <= 0;
    if (!eof) pending.append(buf, static_cast<std::size_t>(n));
    std::size_t nl;
    while ((nl = pending.find('\n')) != std::string::npos) {
      std::string line = pending.substr(0, nl);
      pending.erase(0, nl + 1);
      printLines(console.execute(line));
      if (console.finished() || desk.ended()) return;
    }
    if (eof) {
      stdinOpen = false;
      if (!pending.empty()) printLines(console.execute(pending));
      if (!console.finished() && !desk.ended()) printLines(console.endOfInput());
    }
  };

  auto reload = [&] {
    const std::string file = !opts.project.empty() ? opts.project : desk.state.ProjectPath;
    if (file.empty()) {
      log.line("SIGHUP: no project file to reload");
      return;
    }
    notifier.send("RELOADING=1");
    const std::string e = LoadProjectFile(desk, file);
    clock.noteActivity();
    if (!e.empty()) {
      log.line("reloading " + file + " failed: " + e + "; the show goes on unchanged");
      if (!service) std::cerr << "lumora: " << file << ": " << e << '\n';
    } else {
      statusWatch.check(log, /*force=*/true);
    }
    notifier.send("READY=1");
  };

  int stopSignal = 0;
  int64_t armedDue = -1;
  while (!console.finished() && !desk.ended() && stopSignal == 0) {
    // Sleep until the earliest timer is due, on its exact steady-clock instant.
    if (realTime && timerFd >= 0) {
      const auto due = clock.nextDue();
      const int64_t want = due ? *due : -1;
      if (want != armedDue) {
        itimerspec its{};
        if (due) {
          const int64_t at = clock.steadyOriginMs() + *due;
          its.it_value.tv_sec = at / 1000;
          its.it_value.tv_nsec = (at % 1000) * 1000000;
          if (its.it_value.tv_sec == 0 && its.it_value.tv_nsec == 0) its.it_value.tv_nsec = 1;
        }
        timerfd_settime(timerFd, TFD_TIMER_ABSTIME, &its, nullptr);
        armedDue = want;
      }
    }
    if (deskFdsChanged) syncDeskFds();
    const bool busy = (stdinAlwaysReady && stdinOpen) || (server && server->backlog());
    epoll_event evs[8];
    // A state message the manager had no room for is tried again soon.
    int64_t wait = busy ? 0 : notifier.waiting() ? 20 : -1;
    // While the output tick rests, nothing else may wake the loop as often as
    // a short watchdog period needs its keep-alive.
    if (realTime && !busy && outputTick.restSeen != 0) {
      const int64_t ping = notifier.untilPing(clock.now(), 10);
      if (ping >= 0 && (wait < 0 || ping < wait)) wait = ping;
    }
    const int n = epoll_wait(ep, evs, 8, static_cast<int>(wait));
    notifier.flush();
    if (n < 0 && errno != EINTR) break;
    for (int i = 0; i < n; ++i) {
      switch (evs[i].data.u64) {
        case kSignals: {
          signalfd_siginfo si;
          while (read(sigFd, &si, sizeof si) == static_cast<ssize_t>(sizeof si)) {
            if (si.ssi_signo == SIGHUP) reload();
            else if (stopSignal == 0) stopSignal = static_cast<int>(si.ssi_signo);
          }
          break;
        }
        case kTimer: {
          uint64_t expirations;
          (void)!read(timerFd, &expirations, sizeof expirations);
          armedDue = -1;
          break;
        }
        case kStdin:
          if (stdinOpen) readStdin();
          break;
        default:
          if (evs[i].data.u64 & kDeskFd) clock.fdReadable(static_cast<int>(evs[i].data.u64 & 0xffffffffu));
          break;
      }
    }
    if (stdinAlwaysReady && stdinOpen && !console.finished() && !desk.ended()) readStdin();
    if (server && !desk.ended()) server->service();
    if (realTime && !desk.ended()) clock.runDue();
    // Boxes raised by timers between commands.
    if (opts.console) printLines(consoleDialogs.takeEvents());
    else consoleDialogs.takeEvents();
    statusWatch.check(log);
    // While the output needs attention, a line once a minute.
    if (Health* health = desk.owned<Health>(); health && log.enabled()) {
      const std::string l = health->logLineDue(clock.now());
      if (!l.empty()) log.line(l);
    }
    if (realTime) notifier.watchdog(clock.now(), ticks, outputTick.restSeen != 0);
  }

  if (stopSignal != 0) {
    log.line(std::string(signalName(stopSignal)) + ": stopping the show");
    notifier.send("STOPPING=1");
    // A second stop signal ends the program at once, whatever is under way.
    struct sigaction sa{};
    sa.sa_handler = exitAtOnce;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    sigprocmask(SIG_UNBLOCK, &stops, nullptr);
    // A service is never asked whether to save: the show file on disk is the
    // show; the exit operation closes and releases every device.
    if (!desk.ended()) {
      // Work changed over the console since the last save is not lost: it
      // stays in the autosave, offered back at the next start.
      if (ShowKeeper* keeper = ShowKeeper::of(desk)) {
        const std::string kept = keeper->keepUnsavedWork();
        if (!kept.empty()) log.line("unsaved changes kept in " + kept);
      }
      desk.state.ProjectChanged = 0;
      desk.hoofdblad().eruit.Click();
      if (!desk.ended()) desk.UnloadAll();
    }
    consoleDialogs.takeEvents();
  } else if (!desk.ended()) {
    printLines(console.endOfInput());
  }
  statusWatch.check(log);
  if (server) server->closeAll();
  if (service && opts.sim) {
    // The simulated devices' last calls, so a test can see them closed.
    const std::vector<std::string> calls = console.execute("get Sim.Ftdi.Calls");
    if (!calls.empty()) log.line("sim: Sim.Ftdi.Calls " + calls.back().substr(calls.back().find(' ') + 1));
  }
  log.line("stopped");
  clock.onWatchesChanged = nullptr;
  close(ep);
  if (timerFd >= 0) close(timerFd);
  if (sigFd >= 0) close(sigFd);
  return 0;
}

}  // namespace lumora
