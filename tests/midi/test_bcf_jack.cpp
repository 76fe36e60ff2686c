// The BCF2000 surface over real MIDI: a JACK server on its dummy driver, a
// peer that stands in for the surface (ports "BCF2000 Port 1"), and the desk
// run as `lumora --headless --console` in real time on the JACK backend.
// Every process started here is ended here, also when a check fails.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// A child process with a pipe to its standard input and one from its
// standard output, read line by line against a deadline.
class Child {
 public:
  Child(const std::vector<std::string>& argv, const std::vector<std::string>& env, const std::string& errPath) {
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) return;
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ == 0) {
      // Dies with the test, whatever ends it.
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      if (getppid() != parent) _exit(127);
      dup2(in[0], STDIN_FILENO);
      dup2(out[1], STDOUT_FILENO);
      if (!errPath.empty()) {
        const int e = open(errPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (e >= 0) dup2(e, STDERR_FILENO);
      }
      for (const auto& kv : env) putenv(const_cast<char*>(kv.c_str()));
      std::vector<char*> args;
      for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
      args.push_back(nullptr);
      execvp(args[0], args.data());
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    if (pid_ < 0) {
      close(in[1]);
      close(out[0]);
      return;
    }
    stdin_ = in[1];
    stdout_ = out[0];
  }
  ~Child() { stop(); }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  bool running() const { return pid_ > 0; }
  pid_t pid() const { return pid_; }

  void writeLine(const std::string& s) {
    const std::string l = s + "\n";
    if (stdin_ >= 0) (void)!write(stdin_, l.data(), l.size());
  }

  std::optional<std::string> readLine(Clock::time_point deadline) {
    for (;;) {
      const auto nl = buf_.find('\n');
      if (nl != std::string::npos) {
        std::string l = buf_.substr(0, nl);
        buf_.erase(0, nl + 1);
        return l;
      }
      if (stdout_ < 0) return std::nullopt;
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) return std::nullopt;
      pollfd p{stdout_, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
      char b[4096];
      const ssize_t n = read(stdout_, b, sizeof b);
      if (n <= 0) {
        close(stdout_);
        stdout_ = -1;
        continue;
      }
      buf_.append(b, static_cast<std::size_t>(n));
    }
  }

  // End of input first (the desk and the peer end by themselves, closing
  // their JACK clients: on a loaded machine that may take seconds, and a
  // client killed on its way out stalls the server), then SIGTERM, then
  // SIGKILL; always reaped.
  void stop() {
    if (pid_ <= 0) return;
    if (stdin_ >= 0) close(stdin_);
    stdin_ = -1;
    if (!waitExit(15s)) {
      kill(pid_, SIGTERM);
      if (!waitExit(3s)) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
      }
    }
    pid_ = -1;
    if (stdout_ >= 0) close(stdout_);
    stdout_ = -1;
  }
  void terminate() {
    if (pid_ > 0 && stdin_ >= 0) {
      close(stdin_);
      stdin_ = -1;
    }
    if (pid_ > 0) kill(pid_, SIGTERM);
    stop();
  }

 private:
  bool waitExit(std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (Clock::now() < end) {
      if (waitpid(pid_, nullptr, WNOHANG) == pid_) return true;
      std::this_thread::sleep_for(5ms);
    }
    return false;
  }

  pid_t pid_ = -1;
  int stdin_ = -1, stdout_ = -1;
  std::string buf_;
};

std::string TempDir() {
  const char* t = std::getenv("TMPDIR");
  return t && *t ? t : "/tmp";
}

// One JACK server for the suite, under a name of its own.
class JackServer {
 public:
  JackServer() : name_("lumora-bcf-" + std::to_string(getpid())) {
    log_ = TempDir() + "/" + name_ + ".jackd.log";
    unlink(log_.c_str());
    // The client timeout is what a client that dies in the middle of a cycle
    // costs: the graph waits twice that long before anyone can join again.
    // Real-time client threads are never late by seconds, so two seconds lose
    // no messages and keep such a stall shorter than a test's patience.
    const std::vector<std::string> args{"jackd", "-n", name_, "-t", "2000", "-d", "dummy", "-r", "48000", "-p", "1024"};
    jackd_ = std::make_unique<Child>(args, std::vector<std::string>{}, log_);
  }
  ~JackServer() {
    // jackd ends cleanly on SIGTERM and removes its shared memory.
    if (jackd_) jackd_->terminate();
    if (::testing::UnitTest::GetInstance()->Passed()) {
      unlink(log_.c_str());
      unlink(peerLog().c_str());
    }
  }
  const std::string& name() const { return name_; }
  const std::string& log() const { return log_; }
  std::string peerLog() const { return TempDir() + "/" + name_ + ".peer.log"; }
  bool running() const { return jackd_ && jackd_->running(); }

 private:
  std::string name_, log_;
  std::unique_ptr<Child> jackd_;
};

JackServer* server = nullptr;

class BcfJack : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server = new JackServer; }
  static void TearDownTestSuite() {
    delete server;
    server = nullptr;
  }

  void SetUp() override {
    ASSERT_TRUE(server && server->running());
    const std::vector<std::string> env = {"JACK_DEFAULT_SERVER=" + server->name(), "JACK_NO_START_SERVER=1",
                                          "LUMORA_MIDI_API=jack", "LUMORA_ARTNET_SIMULATE=1"};
    // The peer waits for the server, which may still be starting.
    peer_ = std::make_unique<Child>(std::vector<std::string>{BCF_PEER_BIN, "--wait-ms", "25000"}, env,
                                    server->peerLog());
    ASSERT_TRUE(peer_->running());
    auto ready = peer_->readLine(Clock::now() + 30s);
    ASSERT_TRUE(ready.has_value()) << "the surface peer did not start; jackd log: " << server->log();
    ASSERT_EQ(*ready, "ready");
    desk_ = std::make_unique<Child>(std::vector<std::string>{LUMORA_BIN, "--headless", "--console"}, env, "");
    ASSERT_TRUE(desk_->running());
  }

  void TearDown() override {
    if (desk_) desk_->stop();
    if (peer_) peer_->stop();
  }

  // One console command; its event lines go to `events`.
  std::string cmd(const std::string& line) {
    desk_->writeLine(line);
    events.clear();
    const auto end = Clock::now() + 15s;
    while (auto l = desk_->readLine(end)) {
      if (*l == "ok" || l->rfind("ok ", 0) == 0 || l->rfind("err", 0) == 0) return *l;
      events.push_back(*l);
    }
    ADD_FAILURE() << "no reply to: " << line;
    return "";
  }
  std::string get(const std::string& addr) {
    const std::string r = cmd("get " + addr);
    return r.rfind("ok ", 0) == 0 ? r.substr(3) : r;
  }
  // The desk takes MIDI on its own timer: ask again until the value comes
  // or the deadline passes.
  bool waitFor(const std::string& addr, const std::string& want) {
    const auto end = Clock::now() + 5s;
    std::string v;
    while (Clock::now() < end) {
      v = get(addr);
      if (v == want) return true;
      std::this_thread::sleep_for(5ms);
    }
    ADD_FAILURE() << addr << " is " << v << ", expected " << want;
    return false;
  }

  // The surface moves a control; returns once the message is through JACK.
  void surface(int c, int v) {
    peer_->writeLine("cc " + std::to_string(c) + " " + std::to_string(v));
    const std::string want = "sent 176 " + std::to_string(c) + " " + std::to_string(v);
    const auto end = Clock::now() + 10s;
    while (auto l = peer_->readLine(end)) {
      if (*l == want) return;
      if (l->rfind("recv ", 0) == 0) received_.push_back(l->substr(5));
      else ADD_FAILURE() << "peer: " << *l;
    }
    ADD_FAILURE() << "peer did not send cc " << c << " " << v;
  }
  // Everything the surface got up to now has been taken by the desk: the
  // peer reported it through the graph, and one poll of the desk drains it.
  void drainDesk() { EXPECT_EQ(cmd("fire BCF.MidiPoll"), "ok"); }

  // The next n messages the desk sent to the surface, "S D1 D2" each.
  std::vector<std::string> fromDesk(std::size_t n) {
    std::vector<std::string> r;
    const auto end = Clock::now() + 5s;
    while (r.size() < n) {
      if (!received_.empty()) {
        r.push_back(received_.front());
        received_.pop_front();
        continue;
      }
      auto l = peer_->readLine(end);
      if (!l) break;
      if (l->rfind("recv ", 0) == 0) received_.push_back(l->substr(5));
    }
    return r;
  }

  void connect() {
    ASSERT_EQ(cmd("show BCF_configure"), "ok");
    ASSERT_EQ(cmd("click BCF_configure.Command1"), "ok");
    ASSERT_EQ(get("BcfMode"), "1") << get("BCF_configure.Text1");
    ASSERT_EQ(get("BCF_configure.Text1"), "\"Connected\"");
  }

  static std::vector<std::string> Faders(const std::vector<int>& values) {
    std::vector<std::string> r;
    for (std::size_t i = 0; i < values.size(); ++i)
      r.push_back("176 " + std::to_string(81 + i) + " " + std::to_string(values[i]));
    return r;
  }

  std::vector<std::string> events;
  std::unique_ptr<Child> peer_, desk_;
  std::deque<std::string> received_;
};

TEST_F(BcfJack, ConnectFindsThePeerByItsJackPortNames) {
  connect();
  EXPECT_EQ(get("BcfInName"), "\"BCF2000 Port 1:out\"");
  EXPECT_EQ(get("BcfOutName").rfind("\"BCF2000 Port 1", 0), 0u);
  EXPECT_EQ(get("BCF.Text2"), "\" BCF2000 Connection Made \"");
  EXPECT_EQ(get("BCF.Text3"), "\" Main Desk\"");
  EXPECT_EQ(get("Hoofdblad.Status"), "\" BCF2000 Connection Made\"");
  EXPECT_EQ(get("BCF.Visible"), "true");
}

TEST_F(BcfJack, FaderAtTopSetsTheDeskLevelTo254) {
  connect();
  surface(81, 127);
  EXPECT_TRUE(waitFor("DeskLevels(0)", "254"));
  surface(88, 10);
  EXPECT_TRUE(waitFor("DeskLevels(7)", "20"));
  EXPECT_EQ(get("Hoofdblad.Slider1(7)"), "235");  // the main desk redrew
}

TEST_F(BcfJack, GroupButtonSendsTheOtherGroupsOffAndItsEightFaders) {
  connect();
  for (int i = 16; i < 24; ++i) ASSERT_EQ(cmd("set DeskLevels(" + std::to_string(i) + ") " + std::to_string(10 * (i - 15))), "ok");
  ASSERT_EQ(cmd("set DeskLevels(23) 255"), "ok");
  // Levels written straight into the table: page away and back so the faders
  // show them (no echo, their channels are outside group 0).
  ASSERT_EQ(cmd("click Hoofdblad.Inc_Channel"), "ok");
  ASSERT_EQ(cmd("click Hoofdblad.Dec_Channels"), "ok");
  surface(91, 127);
  std::vector<std::string> want = {"176 89 0", "176 90 0", "176 92 0"};
  for (const auto& f : Faders({5, 10, 15, 20, 25, 30, 35, 127})) want.push_back(f);
  EXPECT_EQ(fromDesk(want.size()), want);
  EXPECT_TRUE(waitFor("FaderGroup", "2"));
  EXPECT_EQ(get("Hoofdblad.Status"), "\" BCF Fader Group  2\"");
  EXPECT_EQ(get("BCF.Text1"), "\" 2 On\"");
  surface(91, 0);  // release: echoed, nothing sent
  EXPECT_TRUE(waitFor("BCF.Text1", "\" 2 Off\""));
  surface(81, 100);  // group 2 starts at desk channel 17
  EXPECT_TRUE(waitFor("DeskLevels(16)", "200"));
  EXPECT_EQ(get("DeskLevels(0)"), "0");
  // The next thing the surface hears is the next group change.
  surface(89, 127);
  EXPECT_EQ(fromDesk(1), std::vector<std::string>{"176 90 0"});
}

TEST_F(BcfJack, SurfaceMoveSuppressesExactlyOneEcho) {
  connect();
  surface(82, 50);
  ASSERT_TRUE(waitFor("DeskLevels(1)", "100"));
  // The main desk's redraw of the moved fader was the one echo suppressed;
  // the next level from the screen reaches the surface.
  EXPECT_EQ(get("FaderTouched(1)"), "0");
  ASSERT_EQ(cmd("set Hoofdblad.Slider1(1) 135"), "ok");
  EXPECT_EQ(fromDesk(1), std::vector<std::string>{"176 82 60"});
  ASSERT_EQ(cmd("set Hoofdblad.Slider1(1) 55"), "ok");
  EXPECT_EQ(fromDesk(1), std::vector<std::string>{"176 82 100"});
}

TEST_F(BcfJack, EncodersChangeNothingAndSendNothing) {
  connect();
  for (int c = 1; c <= 32; ++c) surface(c, 100);
  drainDesk();
  EXPECT_EQ(get("BCF.Text1"), "\"\"");
  const std::string zeros = get("DeskLevels");
  EXPECT_EQ(zeros.find_first_not_of("[0,]"), std::string::npos) << zeros;
  // Had an encoder sent anything, it would come before this group change.
  surface(89, 127);
  EXPECT_EQ(fromDesk(3), (std::vector<std::string>{"176 90 0", "176 91 0", "176 92 0"}));
}

TEST_F(BcfJack, ModesThreeToSixAreInert) {
  connect();
  ASSERT_EQ(cmd("click BCF.Pannel_Inc"), "ok");
  EXPECT_EQ(fromDesk(8), Faders({0, 0, 0, 0, 0, 0, 0, 0}));  // mode 2: the playback faders
  for (int m = 3; m <= 6; ++m) {
    ASSERT_EQ(cmd("click BCF.Pannel_Inc"), "ok");
    ASSERT_EQ(get("BcfMode"), std::to_string(m));
    surface(81, 100);
    surface(65, 127);
    surface(90, 127);
    surface(33, 127);
    drainDesk();
    EXPECT_EQ(get("DeskLevels(0)"), "0") << "mode " << m;
    EXPECT_EQ(get("PlayFaderLevel(0)"), "0") << "mode " << m;
    EXPECT_EQ(get("PlayButtonState(0)"), "0") << "mode " << m;
    EXPECT_EQ(get("FaderGroup"), "0") << "mode " << m;
    EXPECT_EQ(get("BCF.Text1"), "\"\"") << "mode " << m;
  }
  EXPECT_EQ(get("BCF.Pannel_Inc.Enabled"), "false");
  ASSERT_EQ(cmd("set DeskLevels(2) 101"), "ok");
  for (int m = 5; m >= 1; --m) ASSERT_EQ(cmd("click BCF.Pannel_Dec"), "ok");
  // Nothing was sent while inert: the first messages are the paging ones
  // (level / 2 - 1, never below 0).
  std::vector<std::string> want = Faders({0, 0, 0, 0, 0, 0, 0, 0});
  for (const auto& f : Faders({0, 0, 50, 0, 0, 0, 0, 0})) want.push_back(f);
  EXPECT_EQ(fromDesk(16), want);
  surface(82, 10);  // and the surface drives the main desk again
  EXPECT_TRUE(waitFor("DeskLevels(1)", "20"));
}

TEST_F(BcfJack, PlaybackModeDrivesFadersAndButtonsAndFollowsThem) {
  connect();
  ASSERT_EQ(cmd("click BCF.Pannel_Inc"), "ok");
  EXPECT_EQ(get("BCF.Text3"), "\" Playback Desk\"");
  fromDesk(8);
  surface(81, 64);
  EXPECT_TRUE(waitFor("PlayFaderLevel(0)", "128"));
  EXPECT_EQ(get("DeskLevels(0)"), "0");
  surface(66, 127);
  EXPECT_TRUE(waitFor("PlayButtonState(1)", "-1"));
  EXPECT_EQ(get("BCF.Text1"), "\" 1 On\"");
  surface(66, 0);
  EXPECT_TRUE(waitFor("PlayButtonState(1)", "0"));
  ASSERT_EQ(cmd("set PlayFaderLevel(9) 60"), "ok");
  surface(90, 127);
  std::vector<std::string> want = {"176 89 0", "176 91 0", "176 92 0"};
  for (const auto& f : Faders({0, 30, 0, 0, 0, 0, 0, 0})) want.push_back(f);
  EXPECT_EQ(fromDesk(want.size()), want);
  EXPECT_TRUE(waitFor("Playdesk.Status", "\" BCF Fader Group  1\""));
  // The play desk's own fader 10 (in group 1) and a latching button follow.
  ASSERT_EQ(cmd("set Playdesk.Slider1(10) 55"), "ok");
  EXPECT_EQ(fromDesk(1), std::vector<std::string>{"176 83 100"});
  ASSERT_EQ(cmd("set ButtonFunctions(4).Function 1"), "ok");
  ASSERT_EQ(cmd("set ButtonFunctions(4).Latch -1"), "ok");
  ASSERT_EQ(cmd("mousedown Playdesk.Command1(4) left"), "ok");
  EXPECT_EQ(fromDesk(1), std::vector<std::string>{"176 69 127"});
}

}  // namespace
