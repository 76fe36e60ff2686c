// The sACN (E1.31) core alone: golden data packets written out field by
// field, the parser against malformed packets, the transmission rules and
// the wire's sender over the loop-back socket twin.
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "output/sacn_packet.h"
#include "output/sacn_wire.h"
#include "platform/sacn_socket.h"
#include "tests/support/same_bytes.h"

namespace lumora::sacn {
namespace {

using Bytes = std::vector<uint8_t>;

using lumora::testing::SameBytes;

void Append(Bytes& b, std::initializer_list<int> v) {
  for (int x : v) b.push_back(static_cast<uint8_t>(x));
}

Bytes Slots(int seed = 0) {
  Bytes s(512);
  for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<uint8_t>((i * 7 + 3 + seed) & 0xFF);
  return s;
}

const Cid kCid = {0x6f, 0x1c, 0x3a, 0x52, 0x9e, 0x04, 0x4b, 0x7d, 0x8a, 0x11, 0x2c, 0x5e, 0x90, 0xab, 0xcd, 0xef};

Source TestSource(const std::string& name = "Lumora on stage-pc") {
  Source s;
  s.cid = kCid;
  SetSourceName(s, name);
  return s;
}

// The 638 bytes of a data packet as the standard lays it out.
Bytes ExpectedData(const std::string& name, uint16_t universe, uint8_t priority, uint8_t sequence, uint8_t options,
                   const Bytes& slots) {
  Bytes b;
  // Root layer
  Append(b, {0x00, 0x10});                                              // 0   preamble size
  Append(b, {0x00, 0x00});                                              // 2   post-amble size
  Append(b, {'A', 'S', 'C', '-', 'E', '1', '.', '1', '7', 0, 0, 0});  // 4   ACN packet identifier
  Append(b, {0x72, 0x6e});                                              // 16  flags 0x7, length 622
  Append(b, {0x00, 0x00, 0x00, 0x04});                                  // 18  VECTOR_ROOT_E131_DATA
  for (uint8_t c : kCid) b.push_back(c);                                // 22  CID
  // Framing layer
  Append(b, {0x72, 0x58});              // 38  flags 0x7, length 600
  Append(b, {0x00, 0x00, 0x00, 0x02});  // 40  VECTOR_E131_DATA_PACKET
  for (std::size_t i = 0; i < 64; ++i)  // 44  source name, NUL-padded
    b.push_back(i < name.size() ? static_cast<uint8_t>(name[i]) : 0);
  Append(b, {priority});                              // 108 priority
  Append(b, {0x00, 0x00});                            // 109 synchronization address
  Append(b, {sequence});                              // 111 sequence number
  Append(b, {options});                               // 112 options
  Append(b, {universe >> 8, universe & 0xFF});        // 113 universe
  // DMP layer
  Append(b, {0x72, 0x0b});  // 115 flags 0x7, length 523
  Append(b, {0x02});        // 117 VECTOR_DMP_SET_PROPERTY
  Append(b, {0xa1});        // 118 address type and data type
  Append(b, {0x00, 0x00});  // 119 first property address
  Append(b, {0x00, 0x01});  // 121 address increment
  Append(b, {0x02, 0x01});  // 123 property value count: 513
  Append(b, {0x00});        // 125 start code
  b.insert(b.end(), slots.begin(), slots.end());  // 126 slots 1..512
  return b;
}

TEST(SacnPacket, DataPacketMatchesTheGoldenBytes) {
  DataPacket p{};
  const Bytes slots = Slots();
  BuildDataPacket(p, TestSource(), 0x0102, 150, 7, 0, slots.data());
  EXPECT_TRUE(SameBytes(ExpectedData("Lumora on stage-pc", 0x0102, 150, 7, 0, slots), p.data(), p.size()));

  // The last universe, the lowest priority, a sequence that wrapped and the
  // termination option.
  BuildDataPacket(p, TestSource("x"), 63999, 0, 255, kOptionTerminated, slots.data());
  EXPECT_TRUE(SameBytes(ExpectedData("x", 63999, 0, 255, 0x40, slots), p.data(), p.size()));
}

TEST(SacnPacket, SourceNameIsCutAtACharacterAndAlwaysTerminated) {
  Source s;
  SetSourceName(s, std::string(80, 'a'));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(s.name.data())), std::string(63, 'a'));
  EXPECT_EQ(s.name[63], 0);
  // A two-byte character that would straddle byte 63 is left out whole.
  SetSourceName(s, std::string(62, 'b') + "\xC3\xA9" + "tail");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(s.name.data())), std::string(62, 'b'));
  SetSourceName(s, "Lumora on h\xC3\xB6st");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(s.name.data())), "Lumora on h\xC3\xB6st");
  // A shorter name leaves no trace of a longer one.
  SetSourceName(s, "z");
  for (std::size_t i = 1; i < s.name.size(); ++i) EXPECT_EQ(s.name[i], 0) << i;
}

TEST(SacnPacket, ParserReadsWhatTheBuilderWrites) {
  DataPacket p{};
  const Bytes slots = Slots(5);
  BuildDataPacket(p, TestSource(), 7, 120, 42, kOptionTerminated, slots.data());
  std::string why;
  auto f = ParseDataPacket(p.data(), p.size(), &why);
  ASSERT_TRUE(f) << why;
  EXPECT_EQ(f->cid, kCid);
  EXPECT_EQ(f->sourceName, "Lumora on stage-pc");
  EXPECT_EQ(f->priority, 120);
  EXPECT_EQ(f->syncAddress, 0);
  EXPECT_EQ(f->sequence, 42);
  EXPECT_EQ(f->options, kOptionTerminated);
  EXPECT_EQ(f->universe, 7);
  EXPECT_EQ(f->startCode, 0);
  ASSERT_EQ(f->slotCount, 512);
  EXPECT_TRUE(SameBytes(slots, f->slots.data(), 512));
}

// Another source may send fewer slots: the lengths shrink with the packet.
TEST(SacnPacket, ParserReadsAShortUniverse) {
  Bytes b = ExpectedData("other", 9, 100, 1, 0, Bytes(24, 0x80));
  const std::size_t n = b.size();
  ASSERT_EQ(n, 126u + 24u);
  auto put = [&](std::size_t at, std::size_t v) {
    b[at] = static_cast<uint8_t>(v >> 8);
    b[at + 1] = static_cast<uint8_t>(v);
  };
  put(16, 0x7000 | (n - 16));
  put(38, 0x7000 | (n - 38));
  put(115, 0x7000 | (n - 115));
  put(123, 25);
  std::string why;
  auto f = ParseDataPacket(b.data(), b.size(), &why);
  ASSERT_TRUE(f) << why;
  EXPECT_EQ(f->slotCount, 24);
  EXPECT_EQ(f->slots[23], 0x80);
  EXPECT_EQ(f->slots[24], 0);
}

TEST(SacnPacket, ParserRefusesEveryMalformedField) {
  const Bytes good = ExpectedData("n", 1, 100, 0, 0, Slots());
  ASSERT_TRUE(ParseDataPacket(good.data(), good.size()));
  struct Case {
    const char* what;
    std::size_t at;
    uint8_t value;
  };
  const Case cases[] = {
      {"preamble", 1, 0x11},         {"post-amble", 3, 0x01},       {"identifier", 4, 'B'},
      {"identifier pad", 15, 1},     {"root flags", 16, 0x62},      {"root length", 17, 0x6f},
      {"root vector", 21, 0x08},     {"framing flags", 38, 0x32},   {"framing length", 39, 0x57},
      {"framing vector", 43, 0x01},  {"priority 201", 108, 201},    {"universe 0", 114, 0},
      {"universe 64000", 113, 0xFA}, {"DMP flags", 115, 0x52},      {"DMP length", 116, 0x0c},
      {"DMP vector", 117, 0x01},     {"address type", 118, 0xa2},   {"first address", 120, 1},
      {"increment", 122, 2},         {"value count", 124, 0x00},
  };
  for (const Case& c : cases) {
    Bytes b = good;
    b[c.at] = c.value;
    std::string why;
    EXPECT_FALSE(ParseDataPacket(b.data(), b.size(), &why)) << c.what;
    EXPECT_FALSE(why.empty()) << c.what;
  }
  // Every truncation, and a packet with a byte too many.
  for (std::size_t n = 0; n < good.size(); ++n) EXPECT_FALSE(ParseDataPacket(good.data(), n)) << n;
  Bytes longer = good;
  longer.push_back(0);
  EXPECT_FALSE(ParseDataPacket(longer.data(), longer.size()));
  EXPECT_FALSE(ParseDataPacket(nullptr, 638));
}

TEST(SacnPacket, UniversesMapToTheirMulticastGroups) {
  EXPECT_EQ(AddressText(MulticastAddress(1)), "239.255.0.1");
  EXPECT_EQ(AddressText(MulticastAddress(256)), "239.255.1.0");
  EXPECT_EQ(AddressText(MulticastAddress(0x1234)), "239.255.18.52");
  EXPECT_EQ(AddressText(MulticastAddress(63999)), "239.255.249.255");
}

TEST(SacnPacket, IPv4TextIsReadStrictly) {
  EXPECT_EQ(ParseIPv4("10.0.0.7"), 0x0A000007u);
  EXPECT_EQ(ParseIPv4("255.255.255.255"), 0xFFFFFFFFu);
  for (const char* bad : {"", "10.0.0", "10.0.0.7.1", "10.0.0.256", "10..0.7", " 10.0.0.7", "10.0.0.7 ", "a.b.c.d",
                          "::1", "1000.0.0.1", "10.0.0.-1"})
    EXPECT_FALSE(ParseIPv4(bad)) << bad;
}

TEST(SacnPacket, CidsAreVersion4UuidsAndReadBack) {
  EXPECT_EQ(CidText(kCid), "6f1c3a52-9e04-4b7d-8a11-2c5e90abcdef");
  EXPECT_EQ(ParseCid("6f1c3a52-9e04-4b7d-8a11-2c5e90abcdef"), kCid);
  EXPECT_EQ(ParseCid("6F1C3A52-9E04-4B7D-8A11-2C5E90ABCDEF"), kCid);
  for (const char* bad : {"", "6f1c3a52-9e04-4b7d-8a11-2c5e90abcde", "6f1c3a52x9e04-4b7d-8a11-2c5e90abcdef",
                          "6f1c3a52-9e04-4b7d-8a11-2c5e90abcdeg"})
    EXPECT_FALSE(ParseCid(bad)) << bad;
  const Cid a = NewCid(), b = NewCid();
  EXPECT_NE(a, b);
  for (const Cid& c : {a, b}) {
    EXPECT_EQ(c[6] >> 4, 4);          // version 4
    EXPECT_EQ(c[8] & 0xC0, 0x80);     // RFC 4122 variant
    EXPECT_EQ(ParseCid(CidText(c)), c);
  }
}

constexpr int64_t kMs = 1'000'000;

TEST(SacnStream, SendsOnChangeRepeatsThreeTimesThenKeepsAlive) {
  Stream st;
  Bytes slots = Slots();
  int64_t t = 0;
  EXPECT_TRUE(st.Due(t, slots.data(), 100));  // the first frame
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(st.Due(t += 25 * kMs, slots.data(), 100)) << i;  // three repeats
  const int64_t lastRepeat = t;
  // Quiet until the keep-alive interval has passed since the last packet.
  for (t += 25 * kMs; t < lastRepeat + Stream::kKeepAliveNs; t += 25 * kMs) EXPECT_FALSE(st.Due(t, slots.data(), 100)) << t;
  EXPECT_TRUE(st.Due(lastRepeat + Stream::kKeepAliveNs, slots.data(), 100));
  EXPECT_FALSE(st.Due(lastRepeat + Stream::kKeepAliveNs + 25 * kMs, slots.data(), 100));
  EXPECT_GE(Stream::kKeepAliveNs, 800 * kMs);
  EXPECT_LE(Stream::kKeepAliveNs, 1000 * kMs);

  // A change goes at once, whatever the time; so does a new priority.
  const int64_t quiet = lastRepeat + Stream::kKeepAliveNs + 50 * kMs;
  slots[511] ^= 1;
  EXPECT_TRUE(st.Due(quiet, slots.data(), 100));
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(st.Due(quiet + (i + 1) * kMs, slots.data(), 100));
  EXPECT_FALSE(st.Due(quiet + 4 * kMs, slots.data(), 100));
  EXPECT_TRUE(st.Due(quiet + 5 * kMs, slots.data(), 101));
}

// --- the sender on the wire ---------------------------------------------------

struct SenderTest : ::testing::Test {
  SenderTest() {
    sock.Open("");
    wire.setInlineOnly(true);
    for (std::size_t i = 0; i < kCid.size(); ++i) frame.sacnCid[i] = kCid[i];
    const std::string name = "Lumora on stage-pc";
    for (std::size_t i = 0; i < name.size(); ++i) frame.sacnName[i] = static_cast<uint8_t>(name[i]);
  }
  // One inline send at time t (ms).
  void sendAt(int64_t ms) {
    wire.setInlineNow(ms * kMs);
    thread.RunInline(wire, frame);
  }
  std::vector<DataFields> take() {
    std::vector<DataFields> out;
    for (const auto& s : sock.sent) {
      auto f = ParseDataPacket(s.data.data(), s.data.size());
      EXPECT_TRUE(f);
      EXPECT_EQ(s.port, kPort);
      if (f) out.push_back(*f);
      dest.push_back(s.ipv4);
    }
    sock.sent.clear();
    return out;
  }
  FakeSacnSocket sock;
  SacnWire wire{&sock};
  WireFrame frame;
  WireThread thread;  // never started: sends run inline
  std::vector<uint32_t> dest;
};

TEST_F(SenderTest, EnabledUniverseGoesToItsGroupAndItsUnicastAddress) {
  EXPECT_EQ(wire.Period(frame).count(), 0);  // nothing on, and inline only
  frame.sacnPorts[2] = {true, 5, 150, 0x0A000007};
  frame.slots[0] = 17;
  frame.slots[511] = 255;
  sendAt(0);
  auto got = take();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(dest, (std::vector<uint32_t>{MulticastAddress(5), 0x0A000007u}));
  for (const auto& f : got) {
    EXPECT_EQ(f.universe, 5);
    EXPECT_EQ(f.priority, 150);
    EXPECT_EQ(f.options, 0);
    EXPECT_EQ(f.cid, kCid);
    EXPECT_EQ(f.sourceName, "Lumora on stage-pc");
    EXPECT_EQ(f.slots[0], 17);
    EXPECT_EQ(f.slots[511], 255);
  }
  EXPECT_EQ(wire.liveStreams(), 1);
  wire.setInlineOnly(false);
  EXPECT_EQ(wire.Period(frame).count(), SacnWire::kCheckMs * kMs);
}

TEST_F(SenderTest, SwitchingOffEndsTheStreamWithThreeTerminations) {
  frame.sacnPorts[0] = {true, 1, 100, 0};
  for (int i = 0; i < 4; ++i) sendAt(i * 25);
  auto data = take();
  ASSERT_EQ(data.size(), 4u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(data[static_cast<std::size_t>(i)].sequence, i);
  frame.sacnPorts[0].on = false;
  sendAt(100);
  auto end = take();
  ASSERT_EQ(end.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(end[static_cast<std::size_t>(i)].options, kOptionTerminated);
    EXPECT_EQ(end[static_cast<std::size_t>(i)].universe, 1);
    EXPECT_EQ(end[static_cast<std::size_t>(i)].sequence, 4 + i);
  }
  EXPECT_EQ(wire.liveStreams(), 0);
  sendAt(125);
  EXPECT_TRUE(take().empty());  // an ended stream stays silent
}

TEST_F(SenderTest, MovingAUniverseEndsTheOldStreamAndStartsTheNew) {
  frame.sacnPorts[1] = {true, 10, 100, 0x0A000009};
  sendAt(0);
  take();
  dest.clear();
  frame.sacnPorts[1].universe = 11;
  frame.sacnPorts[1].unicast = 0;
  sendAt(25);
  auto got = take();
  ASSERT_EQ(got.size(), 7u);  // 3 x (group + unicast) for universe 10, then 11
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(got[static_cast<std::size_t>(i)].universe, 10);
    EXPECT_EQ(got[static_cast<std::size_t>(i)].options, kOptionTerminated);
  }
  EXPECT_EQ(dest[1], 0x0A000009u);  // the old unicast receiver hears the end too
  EXPECT_EQ(got[6].universe, 11);
  EXPECT_EQ(got[6].options, 0);
  EXPECT_EQ(dest[6], MulticastAddress(11));
}

TEST_F(SenderTest, UnchangedFrameFallsToTheKeepAliveAndTerminateAllEndsEveryStream) {
  frame.sacnPorts[0] = {true, 1, 100, 0};
  frame.sacnPorts[7] = {true, 63999, 200, 0};
  int sent = 0;
  for (int64_t ms = 0; ms <= 2000; ms += 25) {
    sendAt(ms);
    sent += static_cast<int>(take().size());
  }
  // Per universe: the first packet, three repeats, then one keep-alive
  // each 900 ms (at 975 and 1875 ms).
  EXPECT_EQ(sent, 2 * (4 + 2));
  frame.slots[100] = 1;
  sendAt(2025);
  EXPECT_EQ(take().size(), 2u);
  wire.TerminateAll();
  auto end = take();
  ASSERT_EQ(end.size(), 6u);
  for (const auto& f : end) EXPECT_EQ(f.options, kOptionTerminated);
  EXPECT_EQ(end[0].universe, 1);
  EXPECT_EQ(end[3].universe, 63999);
  EXPECT_EQ(end[3].priority, 200);
}

}  // namespace
}  // namespace lumora::sacn
