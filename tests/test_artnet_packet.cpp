// Art-Net packets and node logic alone: golden packets written out field by
// field, and the node over the loop-back socket twin.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "output/artnet_node.h"
#include "output/artnet_packet.h"
#include "platform/udp_socket.h"
#include "tests/support/same_bytes.h"

namespace lumora::artnet {
namespace {

using Bytes = std::vector<uint8_t>;

using lumora::testing::SameBytes;
::testing::AssertionResult SameBytes(const Bytes& expected, const Bytes& actual) {
  return SameBytes(expected, actual.data(), actual.size());
}

void Append(Bytes& b, std::initializer_list<int> v) {
  for (int x : v) b.push_back(static_cast<uint8_t>(x));
}
void AppendText(Bytes& b, const std::string& t, std::size_t field) {
  for (std::size_t i = 0; i < field; ++i) b.push_back(i < t.size() ? static_cast<uint8_t>(t[i]) : ' ');
}
void AppendZeros(Bytes& b, std::size_t n) { b.insert(b.end(), n, 0); }

Bytes Slots() {
  Bytes s(512);
  for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<uint8_t>((i * 7 + 3) & 0xFF);
  return s;
}

Bytes ExpectedDmx(uint8_t universe, const Bytes& slots) {
  Bytes b;
  Append(b, {'A', 'r', 't', '-', 'N', 'e', 't', 0});  // 0  ID
  Append(b, {0x00, 0x50});                            // 8  OpCode 0x5000, low byte first
  Append(b, {0});                                     // 10 ProtVerHi
  Append(b, {14});                                    // 11 ProtVerLo
  Append(b, {0});                                     // 12 Sequence (off)
  Append(b, {0});                                     // 13 Physical
  Append(b, {universe});                              // 14 SubUni
  Append(b, {0});                                     // 15 Net
  Append(b, {2});                                     // 16 LengthHi
  Append(b, {0});                                     // 17 Length (512 slots)
  b.insert(b.end(), slots.begin(), slots.end());      // 18 Data: slots 1..512
  return b;
}

Bytes ExpectedPollReply(std::initializer_list<int> ip, const std::string& shortName, const std::string& longName) {
  Bytes b;
  Append(b, {'A', 'r', 't', '-', 'N', 'e', 't', 0});  // 0   ID
  Append(b, {0x00, 0x21});                            // 8   OpCode 0x2100
  Append(b, ip);                                      // 10  IP address, first octet first
  Append(b, {0x36, 0x19});                            // 14  Port 0x1936, low byte first
  Append(b, {0});                                     // 16  VersInfoH
  Append(b, {14});                                    // 17  VersInfo
  Append(b, {0});                                     // 18  NetSwitch
  Append(b, {0});                                     // 19  SubSwitch
  Append(b, {0x00});                                  // 20  OemHi
  Append(b, {0xFF});                                  // 21  Oem
  Append(b, {0});                                     // 22  UbeaVersion
  Append(b, {0});                                     // 23  Status1
  Append(b, {0, 0});                                  // 24  EstaMan
  AppendText(b, shortName, 18);                       // 26  ShortName, blank padded
  AppendText(b, longName, 64);                        // 44  LongName, blank padded
  AppendText(b, "OK", 64);                            // 108 NodeReport
  Append(b, {0});                                     // 172 NumPortsHi
  Append(b, {1});                                     // 173 NumPortsLo
  Append(b, {0x80, 0, 0, 0});                         // 174 PortTypes: port 1 outputs DMX512
  Append(b, {0, 0, 0, 0});                            // 178 GoodInput
  Append(b, {0x80, 0, 0, 0});                         // 182 GoodOutput: port 1 transmitting
  Append(b, {0, 0, 0, 0});                            // 186 SwIn
  Append(b, {0, 0, 0, 0});                            // 190 SwOut: input universe 0
  Append(b, {0});                                     // 194 SwVideo
  Append(b, {0});                                     // 195 SwMacro
  Append(b, {0});                                     // 196 SwRemote
  Append(b, {0, 0, 0});                               // 197 Spare
  Append(b, {0});                                     // 200 Style
  AppendZeros(b, 6);                                  // 201 MAC
  AppendZeros(b, 4);                                  // 207 BindIp
  Append(b, {0});                                     // 211 BindIndex
  Append(b, {0});                                     // 212 Status2
  AppendZeros(b, 26);                                 // 213 Filler
  return b;
}

Bytes Poll() { return {'A', 'r', 't', '-', 'N', 'e', 't', 0, 0x00, 0x20, 0, 14, 0, 0}; }

TEST(ArtNetPacket, ArtDmxMatchesTheGoldenPacket) {
  const Bytes slots = Slots();
  DmxPacket p{};
  p.fill(0xEE);  // stale bytes must all be overwritten
  BuildArtDmx(p, 3, slots.data());
  EXPECT_TRUE(SameBytes(ExpectedDmx(3, slots), p.data(), p.size()));
}

TEST(ArtNetPacket, ArtPollReplyMatchesTheGoldenPacket) {
  PollReplyPacket p{};
  p.fill(0xEE);
  BuildArtPollReply(p, {{10, 0, 0, 5}, "Lumora", "Lumora DMX Desk"});
  const Bytes expected = ExpectedPollReply({10, 0, 0, 5}, "Lumora", "Lumora DMX Desk");
  ASSERT_EQ(expected.size(), 239u);
  EXPECT_TRUE(SameBytes(expected, p.data(), p.size()));
}

TEST(ArtNetPacket, TextFieldsAreCutAtTheFieldAndWrittenInTheSingleByteCodePage) {
  PollReplyPacket p{};
  // 20 characters: ShortName keeps 18, no terminator.
  BuildArtPollReply(p, {{2, 1, 2, 3}, "ABCDEFGHIJKLMNOPQRST", "Caf\xC3\xA9 \xE2\x82\xAC"});
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(p.data() + 26), 18), "ABCDEFGHIJKLMNOPQR");
  EXPECT_EQ(p[44 + 3], 0xE9);        // e acute in the single-byte page
  EXPECT_EQ(p[44 + 5], uint8_t('?'));  // the euro sign has no Latin-1 byte
  EXPECT_EQ(p[44 + 6], uint8_t(' '));
  EXPECT_EQ(p[108 + 2], uint8_t(' '));  // NodeReport follows unchanged
}

TEST(ArtNetPacket, OpCodeIsReadOnlyWithTheFullIdAndItsZeroByte) {
  Bytes poll = Poll();
  ASSERT_EQ(ReadOpCode(poll.data(), poll.size()), std::optional<uint16_t>(kOpPoll));
  Bytes badZero = poll;
  badZero[7] = '!';
  EXPECT_FALSE(ReadOpCode(badZero.data(), badZero.size()));
  Bytes badId = poll;
  badId[0] = 'a';
  EXPECT_FALSE(ReadOpCode(badId.data(), badId.size()));
  EXPECT_FALSE(ReadOpCode(poll.data(), 9));
  EXPECT_EQ(ReadOpCode(poll.data(), 10), std::optional<uint16_t>(kOpPoll));
  EXPECT_FALSE(ReadOpCode(nullptr, 0));
}

TEST(ArtNetPacket, BroadcastAddressFollowsTheFirstPartOfTheLocalAddress) {
  EXPECT_EQ(BroadcastFor("10.0.0.5"), "10.255.255.255");
  EXPECT_EQ(BroadcastFor("2.1.2.3"), "2.255.255.255");
  EXPECT_EQ(BroadcastFor("192.168.1.10"), "255.255.255.255");
  EXPECT_EQ(BroadcastFor("100.1.1.1"), "255.255.255.255");  // "100" is not "10"
  EXPECT_EQ(BroadcastFor("20.1.1.1"), "255.255.255.255");
}

TEST(ArtNetPacket, ParseIPv4AcceptsOnlyFourDottedOctets) {
  EXPECT_EQ(ParseIPv4("10.0.0.5"), (std::array<uint8_t, 4>{10, 0, 0, 5}));
  EXPECT_EQ(ParseIPv4("255.255.255.255"), (std::array<uint8_t, 4>{255, 255, 255, 255}));
  for (const char* bad : {"", "10.0.0", "10.0.0.256", "10.0.0.5.1", "a.b.c.d", "10..0.5", "10.0.0.5 ", "1234.0.0.1"})
    EXPECT_FALSE(ParseIPv4(bad)) << bad;
}

// --- node logic over the loop-back twin ---

class ArtNetNode : public ::testing::Test {
 protected:
  ArtNetNode() : node(sock, broadcast, [this](const std::string& l) { log.push_back(l); }) {
    node.shortName = [] { return std::string("Lumora"); };
    node.longName = [] { return std::string("Lumora DMX Desk"); };
  }
  bool logged(const std::string& line) const { return std::find(log.begin(), log.end(), line) != log.end(); }

  FakeUdpSocket sock;
  std::string broadcast;
  std::vector<std::string> log;
  Node node;
};

TEST_F(ArtNetNode, InitBindsPort6454AndChoosesTheBroadcastPerLocalAddress) {
  sock.localAddress = "10.0.0.5";
  ASSERT_TRUE(node.Init());
  EXPECT_EQ(sock.boundPort, 6454);
  EXPECT_EQ(broadcast, "10.255.255.255");
  EXPECT_TRUE(logged("Art-Net 10.x.x.x BCAST: 10.255.255.255"));
  EXPECT_TRUE(logged("Art-Net Node Started..."));
}

TEST_F(ArtNetNode, InitOnNetworkTwoAndOnOtherNetworks) {
  sock.localAddress = "2.1.2.3";
  ASSERT_TRUE(node.Init());
  EXPECT_EQ(broadcast, "2.255.255.255");
  EXPECT_TRUE(logged("Art-Net 2.x.x.x BCAST: 2.255.255.255"));

  FakeUdpSocket other;
  other.localAddress = "192.168.1.10";
  std::string b2;
  std::vector<std::string> l2;
  Node n2(other, b2, [&](const std::string& l) { l2.push_back(l); });
  ASSERT_TRUE(n2.Init());
  EXPECT_EQ(b2, "255.255.255.255");
  EXPECT_EQ(l2, (std::vector<std::string>{"Network not configured for Art-Net",
                                           "Please set IP address to 10.x.x.x or 2.x.x.x!!!!",
                                           "Art-Net Node Started..."}));
}

TEST_F(ArtNetNode, FailedBindReportsTheErrorAndKeepsTheBroadcast) {
  broadcast = "2.255.255.255";
  sock.bindError = "Address already in use";
  EXPECT_FALSE(node.Init());
  EXPECT_EQ(broadcast, "2.255.255.255");
  EXPECT_EQ(log, std::vector<std::string>{"! Art-Net Init Error: Address already in use"});
}

TEST_F(ArtNetNode, ReInitWhileBoundKeepsTheBindingAndSucceeds) {
  ASSERT_TRUE(node.Init());
  sock.bindError = "Address already in use";  // a second bind would fail
  EXPECT_TRUE(node.Init());
  EXPECT_EQ(sock.bindCalls, 1);
  EXPECT_TRUE(sock.bound());
}

TEST_F(ArtNetNode, MalformedLocalAddressFailsInitWithoutBinding) {
  sock.localAddress = "10.0.0";
  EXPECT_FALSE(node.Init());
  EXPECT_FALSE(sock.bound());
  EXPECT_TRUE(broadcast.empty());
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].rfind("! Art-Net Init Error: ", 0), 0u);
}

TEST_F(ArtNetNode, NothingIsSentBeforeInit) {
  const Bytes slots = Slots();
  sock.isBound = true;  // even a bound socket sends nothing without a broadcast address
  node.SendDmx(0, slots.data());
  node.SendPollReply();
  EXPECT_TRUE(sock.sent.empty());
}

TEST_F(ArtNetNode, SendDmxBroadcastsTheGoldenPacketToPort6454) {
  sock.localAddress = "10.0.0.5";
  ASSERT_TRUE(node.Init());
  const Bytes slots = Slots();
  node.SendDmx(7, slots.data());
  ASSERT_EQ(sock.sent.size(), 1u);
  EXPECT_EQ(sock.sent[0].host, "10.255.255.255");
  EXPECT_EQ(sock.sent[0].port, 6454);
  EXPECT_TRUE(SameBytes(ExpectedDmx(7, slots), sock.sent[0].data));
}

TEST_F(ArtNetNode, ArtPollIsAnsweredWithThePollReply) {
  sock.localAddress = "2.1.2.3";
  ASSERT_TRUE(node.Init());
  const Bytes poll = Poll();
  node.Receive(poll.data(), poll.size());
  ASSERT_EQ(sock.sent.size(), 1u);
  EXPECT_EQ(sock.sent[0].host, "2.255.255.255");
  EXPECT_TRUE(SameBytes(ExpectedPollReply({2, 1, 2, 3}, "Lumora", "Lumora DMX Desk"), sock.sent[0].data));
  EXPECT_TRUE(logged("ArtPoll Recieved"));
}

TEST_F(ArtNetNode, MalformedAndForeignDatagramsAreIgnored) {
  ASSERT_TRUE(node.Init());
  log.clear();
  Bytes poll = Poll();
  Bytes nonZeroEighth = poll;
  nonZeroEighth[7] = 'X';
  Bytes shortPoll(poll.begin(), poll.begin() + 13);
  Bytes shortDmx = ExpectedDmx(0, Slots());
  shortDmx.resize(529);
  const Bytes fullDmx = ExpectedDmx(0, Slots());
  for (const Bytes& d : {nonZeroEighth, shortPoll, Bytes(poll.begin(), poll.begin() + 9), Bytes{}, shortDmx, fullDmx})
    node.Receive(d.data(), d.size());
  EXPECT_TRUE(sock.sent.empty());
  EXPECT_TRUE(log.empty());
}

TEST_F(ArtNetNode, UnknownOpCodeIsLoggedInHexAndNotAnswered) {
  ASSERT_TRUE(node.Init());
  log.clear();
  Bytes reply = ExpectedPollReply({10, 0, 0, 1}, "x", "y");
  node.Receive(reply.data(), reply.size());
  Bytes sync = {'A', 'r', 't', '-', 'N', 'e', 't', 0, 0x00, 0x52};
  node.Receive(sync.data(), sync.size());
  EXPECT_TRUE(sock.sent.empty());
  EXPECT_EQ(log, (std::vector<std::string>{"Art-Net: NYI OpCode : 0x2100", "Art-Net: NYI OpCode : 0x5200"}));
}

TEST_F(ArtNetNode, RandomDatagramsNeverCrashAndOnlyValidPollsAreAnswered) {
  ASSERT_TRUE(node.Init());
  uint32_t seed = 12345;
  auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
  std::size_t answered = 0;
  for (int n = 0; n < 5000; ++n) {
    Bytes d((next() >> 8) % 700);
    for (auto& b : d) b = static_cast<uint8_t>(next() >> 24);
    if (d.size() >= 10 && (next() >> 16) % 2) {  // half carry a valid ID, many a poll opcode
      const Bytes p = Poll();
      std::copy(p.begin(), p.begin() + 8, d.begin());
      if ((next() >> 16) % 2) d[8] = 0x00, d[9] = 0x20;
    }
    const bool validPoll = d.size() >= 14 && ReadOpCode(d.data(), d.size()) == kOpPoll;
    node.Receive(d.data(), d.size());
    if (validPoll) ++answered;
    ASSERT_EQ(sock.sent.size(), answered) << "datagram " << n << " of size " << d.size();
  }
  EXPECT_GT(answered, 100u);
}

}  // namespace
}  // namespace lumora::artnet
