// The Art-Net node on real sockets, run by artnet_netns.sh inside a private
// network namespace: a capture socket on the far end of a veth pair sees what
// the desk broadcasts, and a UDP socket plays the controller that polls.
#include <arpa/inet.h>
#include <linux/if_ether.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "app/console.h"
#include "app/desk.h"
#include "desk/hoofdblad.h"
#include "output/art_config.h"
#include "output/artnet.h"

namespace lumora {
namespace {

std::string Env(const char* n) {
  const char* v = std::getenv(n);
  return v ? v : "";
}

// Only the namespace the script built may be used: exactly lo, art0, peer0.
bool InPrivateNamespace() {
  if (Env("LUMORA_NETNS_PRIVATE") != "1") return false;
  std::set<std::string> names;
  if (struct if_nameindex* ix = if_nameindex()) {
    for (struct if_nameindex* i = ix; i->if_index != 0; ++i) names.insert(i->if_name);
    if_freenameindex(ix);
  }
  return names == std::set<std::string>{"lo", "art0", "peer0"};
}

struct Captured {
  std::string dst;
  uint16_t dstPort = 0;
  std::vector<uint8_t> payload;
};

// Sees every IPv4 packet that arrives on peer0, i.e. everything the desk
// sends out of art0.
class Capture {
 public:
  Capture() {
    fd_ = socket(AF_PACKET, SOCK_DGRAM | SOCK_CLOEXEC, htons(ETH_P_IP));
    sockaddr_ll a{};
    a.sll_family = AF_PACKET;
    a.sll_protocol = htons(ETH_P_IP);
    a.sll_ifindex = static_cast<int>(if_nametoindex("peer0"));
    ok_ = fd_ >= 0 && a.sll_ifindex != 0 && bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  }
  ~Capture() {
    if (fd_ >= 0) close(fd_);
  }
  bool ok() const { return ok_; }

  // Art-Net datagrams (UDP to port 6454) arriving within timeoutMs of quiet.
  std::vector<Captured> take(int timeoutMs) {
    std::vector<Captured> out;
    std::vector<uint8_t> buf(70000);
    pollfd p{fd_, POLLIN, 0};
    while (poll(&p, 1, timeoutMs) > 0) {
      ssize_t n = recv(fd_, buf.data(), buf.size(), 0);
      if (n < 28) continue;
      const uint8_t* ip = buf.data();
      const std::size_t ihl = (ip[0] & 0x0F) * 4u;
      if ((ip[0] >> 4) != 4 || ip[9] != IPPROTO_UDP || static_cast<std::size_t>(n) < ihl + 8) continue;
      const uint8_t* udp = ip + ihl;
      Captured c;
      char dst[INET_ADDRSTRLEN];
      inet_ntop(AF_INET, ip + 16, dst, sizeof dst);
      c.dst = dst;
      c.dstPort = static_cast<uint16_t>(udp[2] << 8 | udp[3]);
      const std::size_t udpLen = static_cast<std::size_t>(udp[4] << 8 | udp[5]);
      if (c.dstPort != 6454 || udpLen < 8 || ihl + udpLen > static_cast<std::size_t>(n)) continue;
      c.payload.assign(udp + 8, udp + udpLen);
      out.push_back(std::move(c));
      timeoutMs = 50;  // the rest of a burst follows at once
    }
    return out;
  }

 private:
  int fd_ = -1;
  bool ok_ = false;
};

std::vector<uint8_t> Poll(uint8_t eighth = 0) {
  return {'A', 'r', 't', '-', 'N', 'e', 't', eighth, 0x00, 0x20, 0, 14, 0, 0};
}

class ArtNetNetns : public ::testing::Test {
 protected:
  void SetUp() override {
    // Never open the socket anywhere but in the script's namespace.
    ASSERT_TRUE(InPrivateNamespace()) << "run through tests/netns/artnet_netns.sh under unshare -n";
    ASSERT_FALSE(local.empty());
    ASSERT_TRUE(cap.ok()) << std::strerror(errno);
    DeskOptions o;
    o.manualClock = true;
    o.sim = true;
    desk = std::make_unique<Desk>(o, dialogs);
    desk->Start();
    ASSERT_EQ(ArtNet(*desk).fake(), nullptr) << "the node must use the real socket here";
  }

  void openSetup() {
    desk->hoofdblad().Art_setup.Click();
    ASSERT_EQ(desk->state.ArtNetReady, -1) << desk->artConfig().Text2.Text();
  }
  void advance(int ms) { desk->scheduler().advance(ms); }

  // Sends from a controller socket of its own (ephemeral port) to the node.
  void sendToNode(const std::vector<uint8_t>& d) {
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(fd, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(6454);
    inet_pton(AF_INET, local.c_str(), &a.sin_addr);
    ASSERT_EQ(sendto(fd, d.data(), d.size(), 0, reinterpret_cast<sockaddr*>(&a), sizeof a),
              static_cast<ssize_t>(d.size()));
    close(fd);
  }
  // Gives the kernel a moment to deliver to the node's socket, then runs the
  // node's data-arrival events.
  void deliver() {
    pollfd p{-1, 0, 0};
    poll(&p, 0, 20);
    advance(D_ArtNet::kPollInterval);
  }

  std::string local = Env("ARTNET_TEST_LOCAL");
  std::string bcast = Env("ARTNET_TEST_BCAST");
  Capture cap;
  ConsoleDialogs dialogs;
  std::unique_ptr<Desk> desk;
};

TEST_F(ArtNetNetns, InitChoosesTheBroadcastForTheInterfaceAddress) {
  openSetup();
  EXPECT_EQ(desk->state.ArtBroadcast, bcast);
  EXPECT_EQ(ArtNet(*desk).socket().LocalAddress(), local);
  EXPECT_EQ(desk->artConfig().Text2.Text(), " Art-Net Initialized");
}

TEST_F(ArtNetNetns, SecondNodeOnTheSamePortFailsWithTheDialogText) {
  openSetup();
  ConsoleDialogs d2;
  DeskOptions o;
  o.manualClock = true;
  Desk other(o, d2);
  other.Start();
  other.hoofdblad().Art_setup.Click();
  EXPECT_EQ(other.state.ArtNetReady, 0);
  EXPECT_EQ(other.artConfig().Text2.Text(), " ! Art-Net Failed, Maybe another Art-Net program has the open?");
  EXPECT_EQ(other.hoofdblad().Status.Text(), " Art-Net Failed");
}

TEST_F(ArtNetNetns, PollBeforeAnyPortIsEnabledIsAnsweredWithTheReply) {
  openSetup();
  cap.take(50);
  sendToNode(Poll());
  deliver();
  auto got = cap.take(500);
  ASSERT_EQ(got.size(), 1u);
  const auto& r = got[0].payload;
  EXPECT_EQ(got[0].dst, bcast);
  ASSERT_EQ(r.size(), 239u);
  EXPECT_EQ(r[8], 0x00);
  EXPECT_EQ(r[9], 0x21);
  in_addr a{};
  inet_pton(AF_INET, local.c_str(), &a);
  EXPECT_EQ(std::memcmp(r.data() + 10, &a, 4), 0) << "IP field";
  EXPECT_EQ(r[14], 0x36);
  EXPECT_EQ(r[15], 0x19);
  EXPECT_EQ(r[173], 1);  // NumPortsLo
  EXPECT_EQ(std::string(r.begin() + 44, r.begin() + 59), "Lumora DMX Desk");
}

TEST_F(ArtNetNetns, PollWithNonZeroEighthByteIsIgnored) {
  openSetup();
  cap.take(50);
  sendToNode(Poll('!'));
  deliver();
  EXPECT_TRUE(cap.take(200).empty());
}

TEST_F(ArtNetNetns, EachEnabledPortBroadcastsItsUniverseEveryPeriod) {
  openSetup();
  for (int k = 0; k < 512; ++k) desk->state.DmxFrame[static_cast<std::size_t>(k)] = static_cast<uint8_t>(k * 3);
  desk->artConfig().Button1_Click(3);
  desk->artConfig().Button1_Click(5);
  cap.take(50);
  // The output tick runs too; keep the frame under test.
  desk->hoofdblad().Timer1.setEnabled(false);
  advance(99);
  EXPECT_TRUE(cap.take(100).empty());
  advance(1);
  auto got = cap.take(500);
  ASSERT_EQ(got.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    const auto& p = got[i].payload;
    EXPECT_EQ(got[i].dst, bcast);
    ASSERT_EQ(p.size(), 530u);
    EXPECT_EQ(p[8], 0x00);
    EXPECT_EQ(p[9], 0x50);
    EXPECT_EQ(p[14], i == 0 ? 3 : 5);  // SubUni = the port
    EXPECT_EQ(p[16], 2);
    EXPECT_EQ(p[17], 0);
    for (int k = 0; k < 512; ++k) ASSERT_EQ(p[18 + static_cast<std::size_t>(k)], static_cast<uint8_t>(k * 3)) << k;
  }
  advance(100);
  EXPECT_EQ(cap.take(500).size(), 2u);
  advance(300);
  EXPECT_EQ(cap.take(500).size(), 6u);
}

TEST_F(ArtNetNetns, DisablingTheLastPortStopsTheBroadcasts) {
  openSetup();
  desk->artConfig().Button1_Click(0);
  advance(100);
  EXPECT_EQ(cap.take(500).size(), 1u);
  desk->artConfig().Button1_Click(0);
  EXPECT_FALSE(desk->hoofdblad().Art_Time.Enabled());
  advance(500);
  EXPECT_TRUE(cap.take(200).empty());
}

// The desk's own ArtDmx broadcasts never reach its socket (nothing wakes it
// for them), while ArtDmx from others — even from this host — and the node's
// other packets (its poll replies) still arrive.
TEST_F(ArtNetNetns, TheNodesOwnArtDmxIsDroppedBeforeItWakesTheDesk) {
  openSetup();
  const int fd = ArtNet(*desk).socket().fd();
  ASSERT_GE(fd, 0);
  auto pending = [fd] {
    pollfd p{-1, 0, 0};
    poll(&p, 0, 30);  // the kernel's loop-back delivery
    int n = 0;
    uint8_t buf[1024];
    while (recv(fd, buf, sizeof buf, MSG_DONTWAIT) >= 0) ++n;
    return n;
  };
  pending();
  desk->hoofdblad().Timer1.setEnabled(false);
  desk->artConfig().Button1_Click(2);
  // The node does not read meanwhile: what arrives stays queued.
  Timer& reader = ArtNet(*desk).ArtSocket;
  reader.setEnabled(false);
  advance(300);
  EXPECT_EQ(cap.take(500).size(), 3u);  // sent, three periods
  EXPECT_EQ(pending(), 0);

  // Another controller's ArtDmx arrives; so does the node's own poll reply.
  std::vector<uint8_t> dmx(530, 0);
  std::memcpy(dmx.data(), "Art-Net", 8);
  dmx[9] = 0x50;
  dmx[11] = 14;
  dmx[16] = 2;
  sendToNode(dmx);
  EXPECT_EQ(pending(), 1);
  // From the node's own address and port, only ArtDmx is dropped.
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(6454);
  inet_pton(AF_INET, bcast.c_str(), &to.sin_addr);
  const std::vector<uint8_t> poll = Poll();
  ASSERT_EQ(sendto(fd, poll.data(), poll.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to),
            static_cast<ssize_t>(poll.size()));
  EXPECT_EQ(pending(), 1);
  ASSERT_EQ(sendto(fd, dmx.data(), dmx.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to),
            static_cast<ssize_t>(dmx.size()));
  EXPECT_EQ(pending(), 0);
}

}  // namespace
}  // namespace lumora
