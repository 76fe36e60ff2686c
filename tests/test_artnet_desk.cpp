// The desk's Art-Net node and its setup window over the loop-back socket
// twin, on the manual clock.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>

#include "desk/hoofdblad.h"
#include "desk_fixture.h"
#include "output/art_config.h"
#include "output/artnet.h"
#include "playback/playdesk.h"

namespace lumora {
namespace {

// Set for the whole program by tests/support/no_host_network.cpp.
bool ArtNetSimulated() { return std::getenv("LUMORA_ARTNET_SIMULATE") != nullptr; }

class ArtNetDesk : public testing::DeskTest {
 protected:
  ArtNetDesk() {
    EXPECT_TRUE(ArtNetSimulated());
    auto s = std::make_unique<FakeUdpSocket>();
    s->localAddress = "10.0.0.5";
    sock = s.get();
    ArtNet(*desk).setSocket(std::move(s));
  }
  void open() { ASSERT_EQ(cmd("click Hoofdblad.Art_setup"), "ok"); }
  std::size_t dmxSent() const {
    return static_cast<std::size_t>(std::count_if(sock->sent.begin(), sock->sent.end(),
                                                  [](const auto& s) { return s.data.size() == 530; }));
  }
  bool logged(const std::string& line) {
    const auto& l = ArtNet(*desk).log();
    return std::find(l.begin(), l.end(), line) != l.end();
  }
  static Datagram Poll() { return {'A', 'r', 't', '-', 'N', 'e', 't', 0, 0x00, 0x20, 0, 14, 0, 0}; }

  FakeUdpSocket* sock = nullptr;
};

TEST_F(ArtNetDesk, MenuOpensTheSetupWindowAndInitialisesTheNode) {
  open();
  EXPECT_EQ(get("Art_Config.Visible"), "true");
  EXPECT_EQ(get("Art_Config.Caption"), "\"Art Net Setup\"");
  EXPECT_EQ(get("Art_Config.Text2"), "\" Art-Net Initialized\"");
  EXPECT_EQ(get("Hoofdblad.Status"), "\" Art-Net Initialized\"");
  EXPECT_EQ(get("Playdesk.Status"), "\" Art-Net Initialized\"");
  EXPECT_EQ(get("ArtNetReady"), "-1");
  EXPECT_EQ(get("ArtBroadcast"), "\"10.255.255.255\"");
  EXPECT_EQ(sock->boundPort, 6454);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(get("Art_Config.Text1(" + std::to_string(i) + ")"), "\"" + std::to_string(i) + "\"");
    EXPECT_EQ(get("Art_Config.Button1(" + std::to_string(i) + ")"), "\"Enable\"");
    EXPECT_EQ(get("Art_Config.Button1(" + std::to_string(i) + ").BackColor"), "255");
  }
  EXPECT_EQ(get("Art_Config.Label1"), "\"Universe\"");
  EXPECT_EQ(get("Art_Config.Label2"), "\"Status\"");
  EXPECT_EQ(get("Art_Config.Command1"), "\"Exit\"");
  // Diagnostics go to the debug log only, never to the operator.
  EXPECT_TRUE(lastEvents.empty());
  EXPECT_TRUE(logged("Art-Net Node Started..."));
}

TEST_F(ArtNetDesk, OpeningAgainWhenReadyReportsOk) {
  open();
  ASSERT_EQ(cmd("click Art_Config.Command1"), "ok");
  open();
  EXPECT_EQ(get("Art_Config.Text2"), "\" Art Net OK\"");
  EXPECT_EQ(get("Hoofdblad.Status"), "\" ART NET OK \"");
  EXPECT_EQ(get("Playdesk.Status"), "\" ART NET OK \"");
  EXPECT_EQ(sock->bindCalls, 1);
}

TEST_F(ArtNetDesk, FailedInitialisationIsReportedAndTheDeskKeepsRunning) {
  sock->bindError = "Address already in use";
  open();
  EXPECT_EQ(get("Art_Config.Text2"), "\" ! Art-Net Failed, Maybe another Art-Net program has the open?\"");
  EXPECT_EQ(get("Hoofdblad.Status"), "\" Art-Net Failed\"");
  EXPECT_EQ(get("Playdesk.Status"), "\" Art-Net Failed\"");
  EXPECT_EQ(get("ArtNetReady"), "0");
  EXPECT_EQ(get("ArtBroadcast"), "\"\"");
  EXPECT_TRUE(logged("! Art-Net Init Error: Address already in use"));
  // Enabling a port runs the timer but nothing can go out.
  ASSERT_EQ(cmd("click Art_Config.Button1(0)"), "ok");
  ASSERT_EQ(cmd("advance 300"), "ok");
  EXPECT_TRUE(sock->sent.empty());
}

TEST_F(ArtNetDesk, EnabledPortSendsItsUniverseEvery100ms) {
  open();
  desk->hoofdblad().Timer1.setEnabled(false);  // keep the frame under test
  S().DmxFrame[0] = 77;
  S().DmxFrame[511] = 9;
  ASSERT_EQ(cmd("click Art_Config.Button1(3)"), "ok");
  EXPECT_EQ(get("ArtPorts(3).Enabled"), "-1");
  EXPECT_EQ(get("ArtPorts(3).Universe"), "3");
  EXPECT_EQ(get("Art_Config.Button1(3)"), "\"Disable\"");
  EXPECT_EQ(get("Art_Config.Button1(3).BackColor"), std::to_string(0x00FF00));
  EXPECT_EQ(get("Hoofdblad.Art_Time.Interval"), "100");
  EXPECT_EQ(get("Hoofdblad.Art_Time"), "true");
  EXPECT_EQ(get("Hoofdblad.Picture1.BackColor"), "0");
  EXPECT_EQ(get("Hoofdblad.Label3.Enabled"), "true");
  sock->sent.clear();
  ASSERT_EQ(cmd("advance 99"), "ok");
  EXPECT_EQ(dmxSent(), 0u);
  ASSERT_EQ(cmd("advance 1"), "ok");
  ASSERT_EQ(dmxSent(), 1u);
  const auto& p = sock->sent.back();
  EXPECT_EQ(p.host, "10.255.255.255");
  EXPECT_EQ(p.port, 6454);
  EXPECT_EQ(p.data[14], 3);       // SubUni = the port
  EXPECT_EQ(p.data[18], 77);      // slot 1 in Data byte 0
  EXPECT_EQ(p.data[18 + 511], 9);  // slot 512
  EXPECT_EQ(get("Hoofdblad.Picture1.BackColor"), std::to_string(0x00FF00));
  ASSERT_EQ(cmd("advance 100"), "ok");
  EXPECT_EQ(dmxSent(), 2u);
  EXPECT_EQ(get("Hoofdblad.Picture1.BackColor"), "0");
  ASSERT_EQ(cmd("advance 800"), "ok");
  EXPECT_EQ(dmxSent(), 10u);
}

TEST_F(ArtNetDesk, EveryEnabledPortSendsItsOwnUniverseEachPeriod) {
  open();
  ASSERT_EQ(cmd("click Art_Config.Button1(0)"), "ok");
  ASSERT_EQ(cmd("click Art_Config.Button1(7)"), "ok");
  sock->sent.clear();
  ASSERT_EQ(cmd("advance 100"), "ok");
  ASSERT_EQ(dmxSent(), 2u);
  EXPECT_EQ(sock->sent[0].data[14], 0);
  EXPECT_EQ(sock->sent[1].data[14], 7);
}

TEST_F(ArtNetDesk, DisablingTheLastPortStopsTheTimerAndGreysTheIndicator) {
  open();
  ASSERT_EQ(cmd("click Art_Config.Button1(2)"), "ok");
  ASSERT_EQ(cmd("advance 100"), "ok");
  ASSERT_EQ(cmd("click Art_Config.Button1(2)"), "ok");
  EXPECT_EQ(get("Art_Config.Button1(2)"), "\"Enable\"");
  EXPECT_EQ(get("Hoofdblad.Art_Time"), "false");
  EXPECT_EQ(get("Hoofdblad.Picture1.BackColor"), "-1");
  EXPECT_EQ(get("Hoofdblad.Label3.Enabled"), "false");
  EXPECT_EQ(get("ArtNetReady"), "0");
  const std::size_t before = dmxSent();
  ASSERT_EQ(cmd("advance 1000"), "ok");
  EXPECT_EQ(dmxSent(), before);
}

TEST_F(ArtNetDesk, ReopeningAfterTheLastPortWentOffKeepsTheBindingAndSucceeds) {
  open();
  ASSERT_EQ(cmd("click Art_Config.Button1(1)"), "ok");
  ASSERT_EQ(cmd("click Art_Config.Button1(1)"), "ok");
  ASSERT_EQ(cmd("click Art_Config.Command1"), "ok");
  sock->bindError = "Address already in use";  // what a second bind would say
  open();
  EXPECT_EQ(get("Art_Config.Text2"), "\" Art-Net Initialized\"");
  EXPECT_EQ(get("ArtNetReady"), "-1");
  EXPECT_EQ(sock->bindCalls, 1);
}

TEST_F(ArtNetDesk, ExitClosesTheWindowAndLeavesTheNodeRunning) {
  open();
  ASSERT_EQ(cmd("click Art_Config.Button1(5)"), "ok");
  ASSERT_EQ(cmd("click Art_Config.Command1"), "ok");
  EXPECT_EQ(get("Art_Config.Visible"), "false");
  sock->sent.clear();
  ASSERT_EQ(cmd("advance 200"), "ok");
  EXPECT_EQ(dmxSent(), 2u);
  sock->Inject(Poll());
  ASSERT_EQ(cmd("advance 20"), "ok");
  EXPECT_EQ(sock->sent.back().data.size(), 239u);
}

TEST_F(ArtNetDesk, PollBeforeAnyPortIsEnabledIsAnsweredOnTheNextSocketEvent) {
  open();
  sock->sent.clear();
  sock->Inject(Poll());
  ASSERT_EQ(cmd("advance 19"), "ok");
  EXPECT_TRUE(sock->sent.empty());
  ASSERT_EQ(cmd("advance 1"), "ok");
  ASSERT_EQ(sock->sent.size(), 1u);
  const Datagram& r = sock->sent[0].data;
  ASSERT_EQ(r.size(), 239u);
  EXPECT_EQ(r[173], 1);  // NumPortsLo
  EXPECT_EQ((std::vector<uint8_t>(r.begin() + 10, r.begin() + 14)), (std::vector<uint8_t>{10, 0, 0, 5}));
  EXPECT_EQ(std::string(r.begin() + 26, r.begin() + 32), "Lumora");
  EXPECT_EQ(std::string(r.begin() + 44, r.begin() + 59), "Lumora DMX Desk");
  EXPECT_TRUE(logged("ArtPoll Recieved"));
}

TEST_F(ArtNetDesk, PollWithNonZeroEighthByteIsIgnored) {
  open();
  sock->sent.clear();
  Datagram d = Poll();
  d[7] = '!';
  sock->Inject(d);
  ASSERT_EQ(cmd("advance 40"), "ok");
  EXPECT_TRUE(sock->sent.empty());
  EXPECT_FALSE(logged("ArtPoll Recieved"));
}

TEST_F(ArtNetDesk, AFloodOfDatagramsNeverStopsTheOutputTickOrTheSendTimer) {
  open();
  ASSERT_EQ(cmd("click Art_Config.Button1(0)"), "ok");
  for (int n = 0; n < 5000; ++n) sock->Inject(Datagram(n % 3 == 0 ? 2000 : 600, static_cast<uint8_t>(n)));
  sock->Inject(Poll());
  sock->sent.clear();
  S().DeskLevels[0] = 0;
  ASSERT_EQ(cmd("advance 200"), "ok");
  // The tick and the send timer kept their periods while the flood drained.
  EXPECT_EQ(dmxSent(), 2u);
  EXPECT_GT(sock->incoming.size(), 0u);
  ASSERT_EQ(cmd("advance 2000"), "ok");
  EXPECT_EQ(dmxSent(), 22u);
  EXPECT_TRUE(sock->incoming.empty());
  EXPECT_EQ(sock->sent.size() - dmxSent(), 1u);  // only the one real poll was answered
}

TEST_F(ArtNetDesk, OnlyTheDialogPortsKeepTheSendTimerRunning) {
  // A project may switch on entries above 7, which the timer never sends.
  S().ArtPorts[8].Enabled = -1;
  ArtApply(*desk);
  EXPECT_EQ(get("Hoofdblad.Art_Time"), "false");
  S().ArtPorts[6].Enabled = -1;
  S().ArtPorts[6].Universe = 12;
  ArtApply(*desk);
  EXPECT_EQ(get("Hoofdblad.Art_Time"), "true");
}

TEST_F(ArtNetDesk, NothingGoesOutBeforeTheNodeIsInitialised) {
  S().ArtPorts[0].Enabled = -1;
  ArtApply(*desk);
  ASSERT_EQ(cmd("advance 500"), "ok");
  EXPECT_TRUE(sock->sent.empty());
  EXPECT_FALSE(sock->bound());
}

}  // namespace
}  // namespace lumora

namespace lumora {
namespace {

// The local address: the command-line option first, then the environment.
class ArtNetAddressChoice : public ::testing::Test {
 protected:
  ~ArtNetAddressChoice() override { unsetenv("LUMORA_ARTNET_ADDRESS"); }
  std::string initWith(const std::string& option) {
    DeskOptions o;
    o.manualClock = true;
    o.sim = true;
    o.artnetAddress = option;
    Desk d(o, dialogs);
    d.Start();
    d.hoofdblad().Art_setup.Click();
    text2 = d.artConfig().Text2.Text();
    return d.state.ArtBroadcast;
  }
  ConsoleDialogs dialogs;
  std::string text2;
};

TEST_F(ArtNetAddressChoice, OptionOverridesTheEnvironment) {
  ASSERT_TRUE(ArtNetSimulated());
  setenv("LUMORA_ARTNET_ADDRESS", "2.9.9.9", 1);
  EXPECT_EQ(initWith("192.168.1.10"), "255.255.255.255");
  EXPECT_EQ(initWith(""), "2.255.255.255");
  unsetenv("LUMORA_ARTNET_ADDRESS");
  EXPECT_EQ(initWith("10.0.0.5"), "10.255.255.255");
}

TEST_F(ArtNetAddressChoice, MalformedAddressFailsTheInitialisation) {
  EXPECT_EQ(initWith("10.0.0"), "");
  EXPECT_EQ(text2, " ! Art-Net Failed, Maybe another Art-Net program has the open?");
}

// A loop-back twin that offers a descriptor, as the real socket does.
class WatchableSocket : public FakeUdpSocket {
 public:
  WatchableSocket() {
    if (pipe(fds_) != 0) fds_[0] = fds_[1] = -1;
  }
  ~WatchableSocket() override {
    for (int f : fds_)
      if (f >= 0) close(f);
  }
  int fd() const override { return fds_[0]; }

 private:
  int fds_[2];
};

bool Watched(Desk& d, int fd) {
  for (const Scheduler::FdWatch& w : d.scheduler().fdWatches())
    if (w.fd == fd) return true;
  return false;
}

TEST(ArtNetArrival, RealTimeHostsWaitOnTheSocketInsteadOfPolling) {
  ConsoleDialogs dialogs;
  DeskOptions o;
  o.manualClock = false;
  o.sim = true;
  Desk desk(o, dialogs);
  int changes = 0;
  desk.scheduler().onWatchesChanged = [&changes] { ++changes; };
  auto s = std::make_unique<WatchableSocket>();
  WatchableSocket* sock = s.get();
  ASSERT_GE(sock->fd(), 0);
  ArtNet(desk).setSocket(std::move(s));
  // Not bound: nothing to read yet.
  EXPECT_FALSE(Watched(desk, sock->fd()));
  ASSERT_TRUE(ArtInit(desk));
  EXPECT_TRUE(Watched(desk, sock->fd()));
  EXPECT_EQ(changes, 1);
  // No 20 ms poll while the host waits on the socket.
  EXPECT_FALSE(ArtNet(desk).ArtSocket.Enabled());

  // Data arrival answers the poll through the watch.
  const std::size_t before = sock->sent.size();
  sock->Inject({'A', 'r', 't', '-', 'N', 'e', 't', 0, 0x00, 0x20, 0, 14, 0, 0});
  desk.scheduler().fdReadable(sock->fd());
  ASSERT_EQ(sock->sent.size(), before + 1);
  EXPECT_EQ(sock->sent.back().data.size(), 239u);

  // Initialising again keeps the one watch; a new socket drops the old one.
  ASSERT_TRUE(ArtInit(desk));
  EXPECT_EQ(desk.scheduler().fdWatches().size(), 1u);
  const int old = sock->fd();
  ArtNet(desk).setSocket(std::make_unique<FakeUdpSocket>());
  EXPECT_FALSE(Watched(desk, old));
  EXPECT_TRUE(desk.scheduler().fdWatches().empty());
  desk.scheduler().onWatchesChanged = nullptr;
}

TEST(ArtNetArrival, TheManualClockPollsEvenASocketWithADescriptor) {
  ConsoleDialogs dialogs;
  DeskOptions o;
  o.manualClock = true;
  o.sim = true;
  Desk desk(o, dialogs);
  auto s = std::make_unique<WatchableSocket>();
  WatchableSocket* sock = s.get();
  ArtNet(desk).setSocket(std::move(s));
  ASSERT_TRUE(ArtInit(desk));
  EXPECT_TRUE(desk.scheduler().fdWatches().empty());
  EXPECT_TRUE(ArtNet(desk).ArtSocket.Enabled());
  const std::size_t before = sock->sent.size();
  sock->Inject({'A', 'r', 't', '-', 'N', 'e', 't', 0, 0x00, 0x20, 0, 14, 0, 0});
  desk.scheduler().advance(D_ArtNet::kPollInterval);
  ASSERT_EQ(sock->sent.size(), before + 1);
  EXPECT_EQ(sock->sent.back().data.size(), 239u);
}

}  // namespace
}  // namespace lumora
