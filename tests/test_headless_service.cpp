// The headless desk as a service: the real program started with a show,
// driven through its console socket by lumora-ctl, reloaded by SIGHUP and
// stopped by SIGTERM; its socket against clients that misbehave and a second
// desk on the same path. The desk reports readiness and keep-alives on a
// notification socket (as to a service manager), so the tests wait on those
// messages instead of on time.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/file_text.h"

namespace {

using lumora::testing::Slurp;
using lumora::testing::Spit;

// The demo show of the tree under another name, by default with its adapter
// set to the Open DMX USB interface.
std::string DemoShow(const std::string& name, int adapter = 3) {
  std::string show = Slurp(std::string(LUMORA_SOURCE_DIR) + "/project/demo/demo_show.xml");
  auto swap = [&show](const std::string& from, const std::string& to) {
    const std::size_t at = show.find(from);
    if (at != std::string::npos) show.replace(at, from.size(), to);
  };
  swap("<Adapter>0</Adapter>", "<Adapter>" + std::to_string(adapter) + "</Adapter>");
  swap("<Name>Demo show</Name>", "<Name>" + name + "</Name>");
  return show;
}

sockaddr_un Address(const std::string& path) {
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  std::memcpy(a.sun_path, path.data(), std::min(path.size(), sizeof a.sun_path - 1));
  return a;
}

// A raw client of the console socket.
class Client {
 public:
  explicit Client(const std::string& path) {
    fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un a = Address(path);
    connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  }
  ~Client() { close(fd_); }
  bool connected() const { return connected_; }
  // Writes all of `data`; false once the desk closed the connection.
  bool send(const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
      const ssize_t n = ::send(fd_, data.data() + done, data.size() - done, MSG_NOSIGNAL);
      if (n <= 0) return false;
      done += static_cast<std::size_t>(n);
    }
    return true;
  }
  // The next line, or "<closed>" / "<timeout>".
  std::string line(int timeoutMs = 10000) {
    for (;;) {
      const std::size_t nl = buf_.find('\n');
      if (nl != std::string::npos) {
        std::string l = buf_.substr(0, nl);
        buf_.erase(0, nl + 1);
        return l;
      }
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, timeoutMs) <= 0) return "<timeout>";
      char chunk[65536];
      const ssize_t n = recv(fd_, chunk, sizeof chunk, 0);
      if (n <= 0) return "<closed>";
      buf_.append(chunk, static_cast<std::size_t>(n));
    }
  }
  // The final reply line of a command (event lines before it are skipped);
  // a reply the desk wrote before closing is still read.
  std::string ask(const std::string& cmd) {
    send(cmd + "\n");
    return reply();
  }
  std::string reply() {
    for (;;) {
      std::string l = line();
      if (l.rfind("ok", 0) == 0 || l.rfind("err", 0) == 0 || l[0] == '<') return l;
    }
  }
  void shutdownWrite() { shutdown(fd_, SHUT_WR); }
  int fd() const { return fd_; }

 private:
  int fd_ = -1;
  bool connected_ = false;
  std::string buf_;
};

// One run of the real program in a folder of its own.
class Desk {
 public:
  Desk() {
    char tmpl[] = "/tmp/lumora-svc-XXXXXX";
    dir_ = mkdtemp(tmpl);
    sock = dir_ + "/desk.sock";
    project = dir_ + "/show.xml";
    notifyPath_ = dir_ + "/notify";
    notify_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un a = Address(notifyPath_);
    bind(notify_, reinterpret_cast<sockaddr*>(&a), sizeof a);
  }
  ~Desk() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    close(notify_);
    std::string rm = "rm -rf " + dir_;
    (void)!std::system(rm.c_str());
  }

  void start(const std::vector<std::string>& args, const std::string& program = LUMORA_BIN) {
    const std::string err = dir_ + "/stderr" + std::to_string(runs_++);
    errPath_ = err;
    pid_ = fork();
    if (pid_ == 0) {
      setenv("NOTIFY_SOCKET", notifyPath_.c_str(), 1);
      setenv("WATCHDOG_USEC", "200000", 1);
      int in = open("/dev/null", O_RDONLY);
      int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      dup2(in, 0);
      dup2(e, 1);
      dup2(e, 2);
      std::vector<char*> argv;
      argv.push_back(const_cast<char*>(program.c_str()));
      for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(program.c_str(), argv.data());
      _exit(127);
    }
  }
  // The service arguments for this desk.
  std::vector<std::string> service(std::vector<std::string> extra = {}) const {
    std::vector<std::string> a = {"--headless", "--sim", "--project", project, "--console-socket", sock};
    a.insert(a.end(), extra.begin(), extra.end());
    return a;
  }
  // Waits for a notification containing `what`; false when none came in
  // time (keep-alives that keep coming do not extend the wait).
  bool waitFor(const std::string& what, int timeoutMs = 20000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
      pollfd p{notify_, POLLIN, 0};
      if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0) return false;
      char buf[4096];
      const ssize_t n = recv(notify_, buf, sizeof buf, 0);
      if (n > 0 && std::string(buf, static_cast<std::size_t>(n)).find(what) != std::string::npos) return true;
    }
  }
  // Forgets the notifications received so far: the next waitFor sees only
  // what the desk sends from now on.
  void drain() {
    char buf[4096];
    while (recv(notify_, buf, sizeof buf, MSG_DONTWAIT) > 0) {
    }
  }
  // Sends a signal and waits for the end; returns the wait status.
  int stop(int sig) {
    kill(pid_, sig);
    return wait();
  }
  // `lumora --headless` replaces itself by lumora-headless: same process.
  void signal(int sig) const { kill(pid_, sig); }
  // Fills the notification socket's queue as a service manager that has
  // stopped reading would leave it.
  void fillNotifyQueue() const {
    const int s = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    const sockaddr_un a = Address(notifyPath_);
    while (sendto(s, "X", 1, 0, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 1) {
    }
    close(s);
  }
  // The wait status; a desk still running after a minute is killed and the
  // test fails rather than hangs.
  int wait() {
    int st = -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (waitpid(pid_, &st, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        ADD_FAILURE() << "the desk did not end within a minute\n" << log();
        kill(pid_, SIGKILL);
        waitpid(pid_, &st, 0);
        break;
      }
      usleep(10000);
    }
    pid_ = -1;
    return st;
  }
  std::string log() const { return Slurp(errPath_); }
  const std::string& dir() const { return dir_; }

  std::string sock;
  std::string project;

 private:
  std::string dir_;
  std::string notifyPath_;
  std::string errPath_;
  int notify_ = -1;
  pid_t pid_ = -1;
  int runs_ = 0;
};

struct CtlResult {
  int status;
  std::string out;
};

// lumora-ctl with the given arguments, each word quoted for the shell.
CtlResult Ctl(const std::string& args) {
  // A desk that stops answering fails the test instead of hanging it.
  std::string command = std::string(LUMORA_CTL_BIN) + " --timeout 60";
  std::stringstream words(args);
  for (std::string w; words >> w;) command += " '" + w + "'";
  command += " 2>&1";
  FILE* p = popen(command.c_str(), "r");
  std::string out;
  char buf[65536];
  while (p && fgets(buf, sizeof buf, p)) out += buf;
  const int st = p ? pclose(p) : -1;
  return {WIFEXITED(st) ? WEXITSTATUS(st) : -1, out};
}

long Number(const std::string& reply) {
  return reply.rfind("ok ", 0) == 0 ? std::atol(reply.c_str() + 3) : -1;
}

TEST(HeadlessService, RunsTheShowIsDrivenOverTheSocketReloadsAndStopsCleanly) {
  Desk desk;
  Spit(desk.project, DemoShow("Service show"));
  desk.start(desk.service());
  ASSERT_TRUE(desk.waitFor("READY=1")) << desk.log();

  // Only the desk's user may reach the socket.
  struct stat st{};
  ASSERT_EQ(lstat(desk.sock.c_str(), &st), 0);
  EXPECT_TRUE(S_ISSOCK(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  // The show runs by itself: frames go out on the Open DMX interface, and
  // keep going (each keep-alive follows at least one more output tick).
  const CtlResult first = Ctl(desk.sock + " get Sim.Ftdi.Frames");
  ASSERT_EQ(first.status, 0) << first.out;
  const long before = Number(first.out.substr(0, first.out.size() - 1));
  EXPECT_GE(before, 1);
  desk.drain();
  ASSERT_TRUE(desk.waitFor("WATCHDOG=1"));
  ASSERT_TRUE(desk.waitFor("WATCHDOG=1"));
  const CtlResult later = Ctl(desk.sock + " get Sim.Ftdi.Frames");
  EXPECT_GT(Number(later.out.substr(0, later.out.size() - 1)), before);
  EXPECT_EQ(Ctl(desk.sock + " get ProjectName").out, "ok \"Service show\"\n");

  // A fader and the frame that follows from it, then a take in run mode.
  EXPECT_EQ(Ctl(desk.sock + " set Hoofdblad.Slider1(31) 0").out, "ok\n");
  EXPECT_EQ(Ctl(desk.sock + " get DeskLevels(31)").out, "ok 255\n");
  EXPECT_EQ(Ctl(desk.sock + " set PatchTable(500) 32").out, "ok\n");
  EXPECT_EQ(Ctl(desk.sock + " tick").out, "ok\n");
  const CtlResult frame = Ctl(desk.sock + " get DmxFrame");
  ASSERT_EQ(frame.status, 0);
  ASSERT_EQ(frame.out.rfind("ok [", 0), 0u) << frame.out;
  std::vector<long> slots;
  std::stringstream ss(frame.out.substr(4));
  for (long v; ss >> v;) {
    slots.push_back(v);
    if (ss.peek() == ',') ss.get();
  }
  ASSERT_EQ(slots.size(), 513u);
  EXPECT_EQ(slots[500], 255);
  EXPECT_EQ(Ctl(desk.sock + " click Playdesk.Run_Switch").out, "ok\n");
  EXPECT_EQ(Ctl(desk.sock + " click Playdesk.Run_Autotake").out, "ok\n");
  EXPECT_EQ(Ctl(desk.sock + " get AutotakeRunning").out, "ok -1\n");

  // An error is an error for scripts too; words are joined into one command.
  const CtlResult bad = Ctl(desk.sock + " get No.Such.Thing");
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.out.rfind("err ", 0), 0u) << bad.out;

  // SIGHUP reloads the file; a file that fails to load changes nothing.
  Spit(desk.project, DemoShow("Reloaded show"));
  const std::string log1 = desk.log();
  ASSERT_NE(log1.find("status: Autotake Running"), std::string::npos) << log1;
  desk.drain();
  desk.signal(SIGHUP);
  ASSERT_TRUE(desk.waitFor("RELOADING=1"));
  ASSERT_TRUE(desk.waitFor("READY=1"));
  EXPECT_EQ(Ctl(desk.sock + " get ProjectName").out, "ok \"Reloaded show\"\n");
  EXPECT_NE(desk.log().find("status: Project Loaded"), std::string::npos);

  Spit(desk.project, "this is not a show");
  desk.drain();
  desk.signal(SIGHUP);
  ASSERT_TRUE(desk.waitFor("READY=1"));
  EXPECT_EQ(Ctl(desk.sock + " get ProjectName").out, "ok \"Reloaded show\"\n");
  EXPECT_NE(desk.log().find("failed"), std::string::npos) << desk.log();

  // SIGTERM: the exit operation without a question, the device closed, the
  // socket gone, status 0.
  EXPECT_EQ(Ctl(desk.sock + " set ProjectChanged -1").out, "ok\n");
  const int status = desk.stop(SIGTERM);
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(WEXITSTATUS(status), 0);
  const std::string log = desk.log();
  const std::size_t calls = log.find("sim: Sim.Ftdi.Calls");
  ASSERT_NE(calls, std::string::npos) << log;
  EXPECT_NE(log.find("FT_Close", calls), std::string::npos) << log;
  EXPECT_EQ(log.find("answered"), std::string::npos) << log;  // nothing was asked
  EXPECT_NE(log.find("SIGTERM: stopping the show"), std::string::npos);
  EXPECT_NE(access(desk.sock.c_str(), F_OK), 0);
}

// A service manager that stops reading its socket (its queue full of
// keep-alives) must not stall the show: the desk goes on answering, and its
// state messages follow in order once there is room again.
TEST(HeadlessService, AServiceManagerThatDoesNotReadNeverStallsTheShow) {
  Desk desk;
  Spit(desk.project, DemoShow("Patient", 0));
  desk.start(desk.service());
  ASSERT_TRUE(desk.waitFor("READY=1")) << desk.log();
  desk.fillNotifyQueue();
  Spit(desk.project, DemoShow("Reloaded while nobody read", 0));
  desk.signal(SIGHUP);
  EXPECT_EQ(Ctl(desk.sock + " get ProjectName").out, "ok \"Reloaded while nobody read\"\n");
  EXPECT_EQ(Ctl(desk.sock + " set DeskLevels(3) 40").out, "ok\n");
  EXPECT_EQ(Ctl(desk.sock + " get DeskLevels(3)").out, "ok 40\n");
  // Reading makes room: the filler comes first, then the desk's messages,
  // which may follow as soon as the first datagram is taken (so none of
  // them may be drained unseen).
  ASSERT_TRUE(desk.waitFor("RELOADING=1"));
  ASSERT_TRUE(desk.waitFor("READY=1"));
  ASSERT_TRUE(desk.waitFor("WATCHDOG=1"));
  EXPECT_EQ(WEXITSTATUS(desk.stop(SIGTERM)), 0);
}

// A short watchdog period is kept while an idle show rests, although
// nothing else wakes the desk more than once a second then.
TEST(HeadlessService, KeepAlivesFollowAShortWatchdogWhileTheShowRests) {
  Desk desk;
  Spit(desk.project, DemoShow("Resting", 0));
  desk.start(desk.service());  // a 200 ms watchdog: a keep-alive every 100 ms
  ASSERT_TRUE(desk.waitFor("READY=1")) << desk.log();
  desk.drain();
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(desk.waitFor("WATCHDOG=1")) << i;
  // Ten at 100 ms take a second; one a second would take ten.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(WEXITSTATUS(desk.stop(SIGTERM)), 0);
}

TEST(HeadlessService, AStopSignalKeepsUnsavedWorkInTheAutosave) {
  Desk desk;
  Spit(desk.project, DemoShow("Kept show"));
  desk.start(desk.service());
  ASSERT_TRUE(desk.waitFor("READY=1")) << desk.log();
  // A change over the console that nobody saved.
  EXPECT_EQ(Ctl(desk.sock + " set ProjectName \"Changed over the socket\"").out, "ok\n");
  EXPECT_EQ(Ctl(desk.sock + " set ProjectChanged -1").out, "ok\n");
  const CtlResult where = Ctl(desk.sock + " get Autosave.Path");
  ASSERT_EQ(where.out.rfind("ok \"", 0), 0u) << where.out;
  const std::string autosave = where.out.substr(4, where.out.size() - 6);
  ASSERT_FALSE(autosave.empty());
  const int status = desk.stop(SIGTERM);
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(WEXITSTATUS(status), 0);
  // The stop asked nothing, and the work waits in the autosave for the next start.
  EXPECT_NE(desk.log().find("unsaved changes kept in " + autosave), std::string::npos) << desk.log();
  const std::string kept = Slurp(autosave);
  EXPECT_NE(kept.find("Changed over the socket"), std::string::npos);
  EXPECT_EQ(Slurp(desk.project).find("Changed over the socket"), std::string::npos);
}

TEST(HeadlessService, QuitOnTheSocketEndsTheDeskAndStdinIsNotRead) {
  Desk desk;
  Spit(desk.project, DemoShow("Quit show"));
  // Standard input is at its end from the start: a service does not read it.
  desk.start(desk.service({"--quiet"}));
  ASSERT_TRUE(desk.waitFor("READY=1")) << desk.log();
  EXPECT_EQ(Ctl(desk.sock + " quit").out, "ok\n");
  const int status = desk.wait();
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(desk.log().find("status:"), std::string::npos) << desk.log();  // --quiet
}

TEST(HeadlessService, ASecondDeskOnTheSamePathRefusesAndAStaleSocketIsReplaced) {
  Desk desk;
  Spit(desk.project, DemoShow("First"));
  // A socket file left by a desk that is gone: nobody listens on it.
  {
    int s = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un a = Address(desk.sock);
    ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    close(s);
  }
  desk.start(desk.service(), LUMORA_HEADLESS_BIN);
  ASSERT_TRUE(desk.waitFor("READY=1")) << desk.log();

  Desk second;
  second.start({"--headless", "--sim", "--console-socket", desk.sock});
  const int status = second.wait();
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_NE(WEXITSTATUS(status), 0);
  EXPECT_NE(second.log().find("another desk is already running on " + desk.sock), std::string::npos)
      << second.log();
  // The first desk goes on, its socket untouched.
  EXPECT_EQ(Ctl(desk.sock + " get ProjectName").out, "ok \"First\"\n");

  // Any other file at the path is never replaced.
  Desk third;
  const std::string plain = third.dir() + "/plain";
  Spit(plain, "keep me");
  third.start({"--headless", "--sim", "--console-socket", plain});
  const int st3 = third.wait();
  ASSERT_TRUE(WIFEXITED(st3));
  EXPECT_NE(WEXITSTATUS(st3), 0);
  EXPECT_NE(third.log().find("not a socket"), std::string::npos) << third.log();
  EXPECT_EQ(Slurp(plain), "keep me");

  EXPECT_EQ(WEXITSTATUS(desk.stop(SIGINT)), 0);
}

TEST(HeadlessService, MisbehavingClientsAreAnsweredOrDroppedAndTheShowGoesOn) {
  Desk desk;
  Spit(desk.project, DemoShow("Robust", 0));
  desk.start(desk.service({"--manual-clock"}));
  ASSERT_TRUE(desk.waitFor("READY=1")) << desk.log();
  Client probe(desk.sock);
  ASSERT_TRUE(probe.connected());
  EXPECT_EQ(probe.ask("get ProjectName"), "ok \"Robust\"");

  // Garbage is an error reply, and the client stays served.
  Client garbage(desk.sock);
  EXPECT_EQ(garbage.ask(std::string("\x01\x02\xff garbage")).rfind("err ", 0), 0u);
  EXPECT_EQ(garbage.ask(""), "err empty command");
  EXPECT_EQ(garbage.ask("get DeskLevels(0)"), "ok 0");

  // Half a command, then gone: it never runs.
  {
    Client half(desk.sock);
    ASSERT_TRUE(half.send("set DeskLevels(0) 25"));
  }
  // A 10 MB line: answered `err line too long` and dropped.
  {
    Client huge(desk.sock);
    std::string line(10 * 1024 * 1024, 'x');
    huge.send(line + "\n");  // may fail part-way once the desk has dropped it
    EXPECT_EQ(huge.line(), "err line too long");
    EXPECT_EQ(huge.line(), "<closed>");
  }
  // A client that never reads its replies does not hold up the others.
  Client slow(desk.sock);
  std::string flood;
  for (int i = 0; i < 20000; ++i) flood += "get DmxFrame\n";
  fcntl(slow.fd(), F_SETFL, O_NONBLOCK);
  (void)!::send(slow.fd(), flood.data(), flood.size(), MSG_NOSIGNAL);  // as much as the socket takes

  // Commands of two clients interleave by whole lines; each gets its own
  // replies in order.
  Client a(desk.sock), b(desk.sock);
  ASSERT_TRUE(a.send("set DeskLevels(1) 11\nget DeskLevels(1)\n"));
  ASSERT_TRUE(b.send("set DeskLevels(2) 22\nget DeskLevels(2)\n"));
  EXPECT_EQ(b.reply(), "ok");
  EXPECT_EQ(b.reply(), "ok 22");
  EXPECT_EQ(a.reply(), "ok");
  EXPECT_EQ(a.reply(), "ok 11");
  EXPECT_EQ(probe.ask("get DeskLevels(0)"), "ok 0");

  // The show goes on: ticks and a take on the manual clock.
  EXPECT_EQ(probe.ask("click Playdesk.Run_Switch"), "ok");
  EXPECT_EQ(probe.ask("click Playdesk.Run_Autotake"), "ok");
  EXPECT_EQ(probe.ask("advance 10000"), "ok");
  EXPECT_EQ(probe.ask("get LiveScreen"), "ok 2");

  // Too many clients at once: the one too many is told so.
  std::vector<std::unique_ptr<Client>> crowd;
  std::string refused;
  for (int i = 0; i < 20 && refused.empty(); ++i) {
    crowd.push_back(std::make_unique<Client>(desk.sock));
    ASSERT_TRUE(crowd.back()->connected());
    const std::string r = crowd.back()->ask("get ProjectName");
    if (r != "ok \"Robust\"") refused = r;
  }
  EXPECT_EQ(refused, "err too many clients");
  crowd.clear();

  EXPECT_EQ(probe.ask("get ProjectName"), "ok \"Robust\"");
  EXPECT_EQ(probe.ask("quit"), "ok");
  const int status = desk.wait();
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(HeadlessService, ClientAndOptionErrorsAreReported) {
  const CtlResult none = Ctl("/tmp/lumora-no-such-desk.sock get ProjectName");
  EXPECT_EQ(none.status, 2);
  EXPECT_NE(none.out.find("cannot connect to /tmp/lumora-no-such-desk.sock"), std::string::npos);
  EXPECT_EQ(Ctl("").status, 2);  // no socket path
  const std::string gui = std::string(LUMORA_BIN) + " --console-socket /tmp/x.sock 2>/dev/null </dev/null";
  const int st = std::system(gui.c_str());
  EXPECT_EQ(WEXITSTATUS(st), 2);  // a socket needs --headless
}

// Output trouble reaches the service's log: a line when it starts, none for
// the rest of that minute, one a minute later, and one when all is well.
TEST(HeadlessService, OutputTroubleIsLoggedWhenItStartsThenOnceAMinute) {
  Desk desk;
  Spit(desk.project, DemoShow("Health", 0));
  desk.start(desk.service({"--manual-clock"}));
  ASSERT_TRUE(desk.waitFor("READY=1")) << desk.log();
  Client c(desk.sock);
  ASSERT_TRUE(c.connected());
  auto lines = [&desk] {
    const std::string log = desk.log();
    int n = 0;
    for (std::size_t at = log.find("lumora: output health: "); at != std::string::npos;
         at = log.find("lumora: output health: ", at + 1))
      ++n;
    return n;
  };
  // An Open DMX USB interface selected but unplugged sends nothing.
  EXPECT_EQ(c.ask("sim ftdi present 0"), "ok");
  EXPECT_EQ(c.ask("set AdapterType 3"), "ok");
  EXPECT_EQ(c.ask("advance 3000"), "ok");
  EXPECT_EQ(c.ask("get Health.Status"), "ok \"fault\"");
  EXPECT_NE(desk.log().find("lumora: output health: Open DMX USB Adapter sends nothing"), std::string::npos)
      << desk.log();
  EXPECT_EQ(lines(), 1);
  EXPECT_EQ(c.ask("advance 30000"), "ok");
  EXPECT_EQ(c.ask("get Health.Status"), "ok \"fault\"");
  EXPECT_EQ(lines(), 1);
  EXPECT_EQ(c.ask("advance 30000"), "ok");
  EXPECT_EQ(c.ask("get Health.Status"), "ok \"fault\"");
  EXPECT_EQ(lines(), 2);
  EXPECT_EQ(c.ask("set AdapterType 0"), "ok");
  EXPECT_EQ(c.ask("advance 2000"), "ok");
  EXPECT_EQ(c.ask("get Health.Status"), "ok \"idle\"");
  EXPECT_NE(desk.log().find("lumora: output health: all outputs well again\n"), std::string::npos) << desk.log();
  EXPECT_EQ(lines(), 3);
  EXPECT_EQ(WEXITSTATUS(desk.stop(SIGTERM)), 0);
}

}  // namespace
