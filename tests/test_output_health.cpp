// Output health: the tick's measured period and late ticks on a manual
// clock, the rates per adapter and per Art-Net port, the last error, the
// indicator and the headless log line, and the Art-Net node list with its
// conflicts over the loop-back socket.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "desk/hoofdblad.h"
#include "desk_fixture.h"
#include "output/artnet.h"
#include "output/artnet_nodes.h"
#include "output/artnet_packet.h"
#include "app/health_window.h"
#include "output/health_meter.h"
#include "output/output_wire.h"

namespace lumora {
namespace {

constexpr int64_t kMs = kNsPerMs;

// ---- the tick recorder on a manual clock -----------------------------------

TEST(TickRecorder, SteadyTicksGiveThePeriodAndNoLateTick) {
  TickRecorder r;
  for (int i = 0; i <= 40; ++i) r.record(1000 * kMs + i * 25 * kMs, 25, i == 0);
  const auto f = r.recent(2000 * kMs);
  EXPECT_EQ(f.ticks, 40u);  // the first tick of a run has no period
  EXPECT_DOUBLE_EQ(f.meanMs, 25.0);
  EXPECT_DOUBLE_EQ(f.p99Ms, 25.0);
  EXPECT_DOUBLE_EQ(f.maxMs, 25.0);
  EXPECT_EQ(f.late, 0u);
  EXPECT_EQ(r.sinceStart().late, 0u);
}

TEST(TickRecorder, AStalledTickCountsLateOnceAndShowsInMaxAndP99) {
  TickRecorder r;
  int64_t t = 0;
  r.record(t, 25, true);
  for (int i = 0; i < 99; ++i) r.record(t += 25 * kMs, 25, false);
  // The UI thread was held for 300 ms: one tick starts far behind.
  r.record(t += 300 * kMs, 25, false);
  r.record(t += 25 * kMs, 25, false);
  const auto f = r.recent(t);
  EXPECT_EQ(f.ticks, 101u);
  EXPECT_EQ(f.late, 1u);
  EXPECT_DOUBLE_EQ(f.maxMs, 300.0);
  EXPECT_DOUBLE_EQ(f.p99Ms, 25.0);  // 1 slow tick in 101 is within the top 1 %
  EXPECT_NEAR(f.meanMs, (100 * 25.0 + 300.0) / 101.0, 1e-9);
  EXPECT_EQ(r.sinceStart().late, 1u);
  EXPECT_DOUBLE_EQ(r.sinceStart().maxMs, 300.0);
}

TEST(TickRecorder, LateMeansMoreThanHalfAPeriodBehind) {
  TickRecorder r;
  int64_t t = 0;
  r.record(t, 20, true);
  r.record(t += 30 * kMs, 20, false);  // exactly half a period late: on time
  r.record(t += 31 * kMs, 20, false);  // more than half: late
  r.record(t += 9 * kMs, 20, false);   // early ticks are never late
  EXPECT_EQ(r.recent(t).late, 1u);
}

TEST(TickRecorder, P99IsTheNearestRankOfTheLastTenSeconds) {
  TickRecorder r;
  int64_t t = 0;
  r.record(t, 10, true);
  // 200 periods: 196 of 10 ms, then 4 of 14 ms. The 198th smallest is 14.
  for (int i = 0; i < 196; ++i) r.record(t += 10 * kMs, 10, false);
  for (int i = 0; i < 4; ++i) r.record(t += 14 * kMs, 10, false);
  const auto f = r.recent(t);
  EXPECT_EQ(f.ticks, 200u);
  EXPECT_DOUBLE_EQ(f.p99Ms, 14.0);
  EXPECT_EQ(f.late, 0u);
  // Since start the histogram gives the bucket's edge, never above the max.
  EXPECT_NEAR(r.sinceStart().p99Ms, 14.0, 0.1 + 1e-9);
}

TEST(TickRecorder, OldTicksLeaveTheWindowButStayInTheTotals) {
  TickRecorder r;
  int64_t t = 0;
  r.record(t, 25, true);
  r.record(t += 500 * kMs, 25, false);  // late, then 11 s of steady ticks
  for (int i = 0; i < 440; ++i) r.record(t += 25 * kMs, 25, false);
  const auto recent = r.recent(t);
  EXPECT_EQ(recent.late, 0u);
  EXPECT_DOUBLE_EQ(recent.maxMs, 25.0);
  EXPECT_EQ(recent.ticks, 400u);  // 10 s at 25 ms
  EXPECT_EQ(r.sinceStart().late, 1u);
  EXPECT_DOUBLE_EQ(r.sinceStart().maxMs, 500.0);
  EXPECT_EQ(r.sinceStart().ticks, 441u);
}

// The ring holds what the window needs: little for the usual tick, every
// period of the last 10 s for the shortest one, whatever came before.
TEST(TickRecorder, TheRingGrowsToHoldTenSecondsOfTheTicksThatCome) {
  TickRecorder slow;
  int64_t t = 0;
  slow.record(t, 70, true);
  for (int i = 0; i < 600; ++i) slow.record(t += 70 * kMs, 70, false);
  EXPECT_EQ(slow.recent(t).ticks, 143u);  // 10 s at 70 ms
  EXPECT_LE(slow.ringSize(), 256u);

  TickRecorder fast;
  t = 0;
  fast.record(t, 70, true);
  for (int i = 0; i < 300; ++i) fast.record(t += 70 * kMs, 70, false);
  // The period drops to 1 ms: the ring grows as it fills, and no tick of
  // the window is lost on the way.
  for (int i = 0; i < 12000; ++i) fast.record(t += kMs, 1, false);
  const auto f = fast.recent(t);
  EXPECT_EQ(f.ticks, 10000u);
  EXPECT_EQ(fast.recentPeriods(t).size(), f.ticks);
  EXPECT_EQ(f.late, 0u);
  EXPECT_EQ(fast.sinceStart().ticks, 12300u);
  EXPECT_LE(fast.ringSize(), TickRecorder::kRing);
  // Late ticks in the window stay matched with their periods after growing.
  fast.record(t += 5 * kMs, 1, false);
  EXPECT_EQ(fast.recent(t).late, 1u);
  EXPECT_DOUBLE_EQ(fast.recent(t).maxMs, 5.0);
}

TEST(TickRecorder, ANewRunMeasuresNoPeriodAcrossTheGap) {
  TickRecorder r;
  r.record(0, 25, true);
  r.record(25 * kMs, 25, false);
  // The timer was stopped for 5 s and started again: not a stall.
  r.record(5025 * kMs, 25, true);
  r.record(5050 * kMs, 25, false);
  EXPECT_EQ(r.recent(5050 * kMs).ticks, 2u);
  EXPECT_EQ(r.sinceStart().late, 0u);
  EXPECT_DOUBLE_EQ(r.sinceStart().maxMs, 25.0);
}

TEST(RateMeter, FramesPerSecondPerAdapterAndPortOverTheLastTenSeconds) {
  SendTally tally;
  RateMeter m;
  m.sample(0, tally.read());
  for (int s = 1; s <= 15; ++s) {
    for (int k = 0; k < 40; ++k) tally.adapterSent(3, 513);
    for (int k = 0; k < 10; ++k) {
      tally.artSent(0, 530, true);
      tally.artSent(5, 530, true);
    }
    if (s > 10) tally.artSent(5, 530, false);  // failures are no frames
    m.sample(s * kNsPerSecond, tally.read());
  }
  const auto r = m.recent();
  EXPECT_DOUBLE_EQ(r.adapterFps[3], 40.0);
  EXPECT_DOUBLE_EQ(r.adapterBytesPerSecond[3], 40.0 * 513);
  EXPECT_DOUBLE_EQ(r.adapterFps[1], 0.0);
  EXPECT_DOUBLE_EQ(r.artFps[0], 10.0);
  EXPECT_DOUBLE_EQ(r.artFps[5], 10.0);
  EXPECT_DOUBLE_EQ(r.artFps[1], 0.0);
  EXPECT_DOUBLE_EQ(r.artPacketsPerSecond, 20.0);
  EXPECT_EQ(m.latest().artFailures, 5u);
  EXPECT_EQ(m.lastSecondFrames(3), 40);
  EXPECT_DOUBLE_EQ(m.sinceStart().adapterFps[3], 40.0);
}

TEST(RateMeter, TheRecentRateFollowsAStopWithinTheWindow) {
  SendTally tally;
  RateMeter m;
  m.sample(0, tally.read());
  for (int s = 1; s <= 20; ++s) {
    if (s <= 15) for (int k = 0; k < 40; ++k) tally.adapterSent(1, 65);
    m.sample(s * kNsPerSecond, tally.read());
  }
  // Sending stopped 5 s before the newest sample: half of the window.
  EXPECT_DOUBLE_EQ(m.recent().adapterFps[1], 20.0);
  EXPECT_EQ(m.lastSecondFrames(1), 0);
  EXPECT_DOUBLE_EQ(m.sinceStart().adapterFps[1], 30.0);
}

// ---- Art-Net packets and the node table ------------------------------------

std::vector<uint8_t> Reply(std::array<uint8_t, 4> ip, const char* shortName, const char* longName,
                           std::vector<std::pair<uint8_t, uint8_t>> ports, uint8_t net = 0, uint8_t sub = 0) {
  std::vector<uint8_t> p(239, 0);
  std::memcpy(p.data(), "Art-Net", 8);  // ID with its zero
  p[8] = 0x00;
  p[9] = 0x21;  // OpPollReply
  std::memcpy(p.data() + 10, ip.data(), 4);
  p[18] = net;  // NetSwitch
  p[19] = sub;  // SubSwitch
  std::memcpy(p.data() + 26, shortName, std::strlen(shortName));
  std::memcpy(p.data() + 44, longName, std::strlen(longName));
  p[173] = static_cast<uint8_t>(ports.size());  // NumPortsLo
  for (std::size_t i = 0; i < ports.size(); ++i) {
    p[174 + i] = ports[i].first;  // PortTypes
    p[190 + i] = ports[i].second;  // SwOut
    p[186 + i] = ports[i].second;  // SwIn
  }
  return p;
}

std::vector<uint8_t> Dmx(uint8_t subUni, uint8_t net = 0) {
  artnet::DmxPacket p{};
  std::array<uint8_t, 512> slots{};
  artnet::BuildArtDmx(p, subUni, slots.data());
  p[15] = net;
  return {p.begin(), p.end()};
}

TEST(ArtNetNodes, PollIsTheFourteenByteRequestForReplies) {
  artnet::PollPacket p;
  artnet::BuildArtPoll(p);
  const uint8_t want[14] = {'A', 'r', 't', '-', 'N', 'e', 't', 0, 0x00, 0x20, 0, 14, 0, 0};
  EXPECT_EQ(std::memcmp(p.data(), want, 14), 0);
}

TEST(ArtNetNodes, ReplyGivesNamesAndTheUniversesOfOutputPortsOnly) {
  auto d = Reply({10, 0, 0, 6}, "Dimmer rack", "Stage left dimmers", {{0x80, 3}, {0x40, 9}, {0xC0, 4}}, 1, 2);
  auto r = artnet::ParsePollReply(d.data(), d.size());
  ASSERT_TRUE(r);
  EXPECT_EQ(artnet::DottedIPv4(r->ip), "10.0.0.6");
  EXPECT_EQ(r->shortName, "Dimmer rack");
  EXPECT_EQ(r->longName, "Stage left dimmers");
  // Port-address = Net << 8 | Sub << 4 | SwOut.
  EXPECT_EQ(r->outputs, (std::vector<uint16_t>{0x123, 0x124}));
  EXPECT_EQ(r->inputs, (std::vector<uint16_t>{0x129, 0x124}));
  // Too short for the names, or another packet: not a reply.
  EXPECT_FALSE(artnet::ParsePollReply(d.data(), 107));
  auto dmx = Dmx(3);
  EXPECT_FALSE(artnet::ParsePollReply(dmx.data(), dmx.size()));
  EXPECT_EQ(artnet::ParseDmxPortAddress(dmx.data(), dmx.size()), 3);
  auto far = Dmx(0x21, 2);
  EXPECT_EQ(artnet::ParseDmxPortAddress(far.data(), far.size()), 0x221);
  EXPECT_FALSE(artnet::ParseDmxPortAddress(dmx.data(), 17));
}

TEST(ArtNetNodes, NamesAreReadInTheSingleByteCodePageAndControlsMasked) {
  auto d = Reply({2, 0, 0, 1}, "Caf\xE9", "A\x01Z", {});
  auto r = artnet::ParsePollReply(d.data(), d.size());
  ASSERT_TRUE(r);
  EXPECT_EQ(r->shortName, "Caf\xC3\xA9");
  EXPECT_EQ(r->longName, "A?Z");
}

TEST(ArtNetNodes, ConflictsNameTheFightingSenderAndTheUnfedPort) {
  artnet::NodeTable t;
  auto a = Reply({10, 0, 0, 6}, "Rival", "Rival desk", {{0x80, 7}});
  auto b = Reply({10, 0, 0, 7}, "Fed", "Fed node", {{0x80, 3}});
  t.heardReply(*artnet::ParsePollReply(a.data(), a.size()), "10.0.0.6", 1000);
  t.heardReply(*artnet::ParsePollReply(b.data(), b.size()), "10.0.0.7", 1000);
  t.heardDmx("10.0.0.6", 3, 1500);
  // A sender that never answered a poll is listed by its address.
  t.heardDmx("10.0.0.9", 12, 1500);
  ASSERT_EQ(t.nodes().size(), 3u);
  EXPECT_FALSE(t.nodes()[2].replied);

  auto c = t.conflicts({3}, 2000);
  ASSERT_EQ(c.size(), 2u);
  EXPECT_EQ(c[0].kind, artnet::NodeTable::Conflict::kFighting);
  EXPECT_EQ(c[0].ip, "10.0.0.6");
  EXPECT_EQ(c[0].universe, 3);
  EXPECT_EQ(c[0].text, "10.0.0.6 (Rival) also sends universe 3: two sources fight over it");
  EXPECT_EQ(c[1].kind, artnet::NodeTable::Conflict::kUnfed);
  EXPECT_EQ(c[1].universe, 7);
  EXPECT_EQ(c[1].text, "10.0.0.6 (Rival) wants universe 7, which nobody sends");

  // Once this desk stops sending 3, the rival alone feeds it: no fight.
  c = t.conflicts({}, 2000);
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0].universe, 7);
  // ArtDmx not heard for more than 10 s no longer counts as sending, so the
  // node that wants 3 is then unfed.
  c = t.conflicts({}, 1500 + artnet::NodeTable::kSendingMs + 1);
  ASSERT_EQ(c.size(), 2u);
  EXPECT_EQ(c[1].text, "10.0.0.7 (Fed) wants universe 3, which nobody sends");
}

TEST(ArtNetNodes, TheTableKeepsTheMostRecentNodesWhenFull) {
  artnet::NodeTable t;
  for (int i = 0; i < 70; ++i) t.heardDmx("10.0.1." + std::to_string(i), 1, i);
  ASSERT_EQ(t.nodes().size(), artnet::NodeTable::kMaxNodes);
  EXPECT_EQ(t.nodes().front().ip, "10.0.1.6");
  EXPECT_EQ(t.nodes().back().ip, "10.0.1.69");
}

// ---- the desk --------------------------------------------------------------

class HealthDesk : public testing::DeskTest {
 protected:
  Health& health() { return *desk->owned<Health>(); }
  OutputWire& wire() { return *OutputWire::Of(*desk); }
  double num(const std::string& addr) { return std::stod(get(addr)); }
  void advance(int ms) { desk->scheduler().advance(ms); }
  void startArtNet() {
    cmd("show Art_Config");
    ASSERT_EQ(S().ArtNetReady, -1);
  }
};

TEST_F(HealthDesk, FiguresReachTheConsoleWithRatesPerAdapterAndPort) {
  desk->hoofdblad().Timer1.setInterval(25);
  S().AdapterType = 1;  // Marwick's adapter on the simulated port
  startArtNet();
  cmd("click Art_Config.Button1(2)");
  cmd("click Art_Config.Button1(5)");
  advance(12000);
  EXPECT_DOUBLE_EQ(num("Health.TickMean"), 25.0);
  EXPECT_DOUBLE_EQ(num("Health.TickP99"), 25.0);
  EXPECT_DOUBLE_EQ(num("Health.TickMax"), 25.0);
  EXPECT_EQ(get("Health.LateTicks"), "0");
  EXPECT_EQ(get("Health.FramesPerSecond"),
            "{\"Marwick's Adapter\":40,\"DMX 3-1 Adapter\":0,\"Open DMX USB Adapter\":0,"
            "\"Manolator DMX Interface\":0,\"Quillonizer Corvex\":0,\"Art-Net\":20}");
  EXPECT_EQ(get("Health.ArtNetPortFramesPerSecond"), "[0,0,10,0,0,10,0,0]");
  EXPECT_EQ(get("Health.Status"), "\"ok\"");
  EXPECT_EQ(get("Health.LastError"), "\"\"");
  EXPECT_EQ(get("Hoofdblad.Output_Indicator.BackColor"), "-1");
  // 65 slots a Marwick frame and 530 bytes an ArtDmx.
  const long long bytes = std::stoll(get("Health.BytesSent"));
  EXPECT_EQ(bytes, static_cast<long long>(wire().tally().read().bytesAll()));
  EXPECT_GT(bytes, 12 * (40 * 65 + 20 * 530) - 2 * (40 * 65 + 20 * 530));
}

TEST_F(HealthDesk, AStalledTickCountsLateAndTurnsTheIndicatorAmber) {
  desk->hoofdblad().Timer1.setInterval(25);
  S().AdapterType = 1;
  // The health clock runs with the desk's, except for one tick that starts
  // 400 ms behind (the UI thread held up), as the real clock would see it.
  int64_t lag = 0;
  wire().setHealthClock([this, &lag] { return (desk->scheduler().now() + lag) * kNsPerMs; });
  advance(3000);
  EXPECT_EQ(get("Health.LateTicks"), "0");
  lag = 400;
  advance(2000);
  EXPECT_EQ(get("Health.LateTicks"), "1");
  EXPECT_EQ(get("Health.RecentLateTicks"), "1");
  EXPECT_DOUBLE_EQ(num("Health.TickMax"), 425.0);
  EXPECT_EQ(get("Health.Status"), "\"warning\"");
  EXPECT_EQ(get("Hoofdblad.Output_Indicator.BackColor"), std::to_string(255 + 256 * 176));
  EXPECT_NE(get("Hoofdblad.Output_Indicator.ToolTipText").find("1 late tick in the last 10 s"), std::string::npos);
  // Ten seconds later the window has forgotten it; the count since start has not.
  advance(11000);
  EXPECT_EQ(get("Health.RecentLateTicks"), "0");
  EXPECT_EQ(get("Health.LateTicks"), "1");
  EXPECT_EQ(get("Health.Status"), "\"ok\"");
}

TEST_F(HealthDesk, TheIndicatorTurnsRedWhenTheSelectedAdapterSendsNothing) {
  advance(2000);
  EXPECT_EQ(get("Health.Status"), "\"idle\"");  // nothing selected
  S().AdapterType = 1;
  advance(3000);
  EXPECT_EQ(get("Health.Status"), "\"ok\"");
  desk->hoofdblad().Timer1.setEnabled(false);  // the tick stops: no frame goes out
  advance(2000);
  EXPECT_EQ(get("Health.Status"), "\"fault\"");
  EXPECT_EQ(get("Hoofdblad.Output_Indicator.BackColor"), std::to_string(220));
  EXPECT_EQ(get("Health.Problems"), "[\"Marwick's Adapter sends nothing\"]");
  desk->hoofdblad().Timer1.setEnabled(true);
  advance(2000);
  EXPECT_EQ(get("Health.Status"), "\"ok\"");
}

TEST_F(HealthDesk, ArtNetPortsThatCannotSendAreAFault) {
  // Ports enabled without the node started: nothing can go out.
  cmd("set ArtPorts(1).Enabled -1");
  ArtApply(*desk);
  advance(3000);
  EXPECT_EQ(get("Health.Status"), "\"fault\"");
  EXPECT_EQ(get("Health.Problems"), "[\"Art-Net sends nothing: the node is not started\"]");
}

TEST_F(HealthDesk, AnAdapterErrorIsTheLastErrorAndAmberForAMinute) {
  cmd("show Portsetup");
  cmd("set Portsetup.Combo1 3");
  cmd("click Portsetup.Command1");
  advance(2000);
  EXPECT_EQ(get("Health.Status"), "\"ok\"");
  EXPECT_EQ(get("Health.LastError"), "\"\"");
  ASSERT_EQ(cmd("sim ftdi fail FT_Write"), "ok");
  tick();
  ASSERT_EQ(cmd("sim ftdi heal"), "ok");
  const std::string err = get("Health.LastError");
  EXPECT_EQ(err.rfind("\"Open DMX USB: ", 0), 0u) << err;
  advance(3000);  // reconnected and sending again
  EXPECT_EQ(get("Health.Status"), "\"warning\"");
  cmd("show Health");
  EXPECT_EQ(health().Error_Text.Caption().rfind("Last error: Open DMX USB: ", 0), 0u) << health().Error_Text.Caption();
  advance(static_cast<int>(Health::kRecentErrorMs));
  EXPECT_EQ(get("Health.Status"), "\"ok\"");
  EXPECT_EQ(get("Health.LastError"), err);  // still the last one, only no longer recent
}

TEST_F(HealthDesk, TheHeadlessLogSaysItOnceAMinuteAndOnceWhenWell) {
  S().AdapterType = 1;
  advance(2000);
  EXPECT_EQ(health().logLineDue(desk->scheduler().now()), "");
  desk->hoofdblad().Timer1.setEnabled(false);
  advance(2000);
  EXPECT_EQ(health().logLineDue(desk->scheduler().now()), "output health: Marwick's Adapter sends nothing");
  // What is wrong changes within the minute: still no line before it is up.
  S().AdapterType = 4;
  advance(30000);
  EXPECT_EQ(health().logLineDue(desk->scheduler().now()), "");
  S().AdapterType = 1;
  advance(30000);
  EXPECT_EQ(health().logLineDue(desk->scheduler().now()), "output health: Marwick's Adapter sends nothing");
  desk->hoofdblad().Timer1.setEnabled(true);
  advance(2000);
  EXPECT_EQ(health().logLineDue(desk->scheduler().now()), "output health: all outputs well again");
  EXPECT_EQ(health().logLineDue(desk->scheduler().now()), "");
}

TEST_F(HealthDesk, TheWindowOpensFromTheMenuAndTheIndicatorAndShowsTheFigures) {
  cmd("click Hoofdblad.Output_Health");
  EXPECT_EQ(get("Health.Visible"), "true");
  EXPECT_EQ(get("Health.Caption"), "\"Output Health\"");
  cmd("click Health.Close");
  EXPECT_EQ(get("Health.Visible"), "false");
  cmd("click Hoofdblad.Output_Indicator");
  EXPECT_EQ(get("Health.Visible"), "true");
  S().AdapterType = 1;
  desk->hoofdblad().Timer1.setInterval(25);
  advance(11000);
  const std::string row = health().Output_List.List(0);
  EXPECT_EQ(row.rfind("Marwick's Adapter\t40.0\t", 0), 0u) << row;
  EXPECT_EQ(row.substr(row.size() - 9), "\t2.5 KB/s") << row;
  EXPECT_EQ(health().Tick_Recent.Caption().rfind("Last 10 s: mean 25.00 ms, p99 25.00 ms, max 25.00 ms (", 0), 0u);
  EXPECT_EQ(health().Late_Text.Caption(), "Late ticks: 0 in the last 10 s, 0 since start");
  EXPECT_EQ(health().Tick_Set.Caption(), "Output tick every 25 ms (40.0 per second)");
  EXPECT_EQ(health().Error_Text.Caption(), "Last error: none");
  EXPECT_EQ(health().Conflict_List.List(0), "No conflicts");
}

TEST_F(HealthDesk, OtherNodesAreListedAndTheFightIsFlagged) {
  startArtNet();
  cmd("click Art_Config.Button1(3)");
  cmd("click Health.Poll");
  EXPECT_EQ(get("Health.Poll_Text"), "\"ArtPoll sent to 10.255.255.255; replies are listed as they come\"");
  // The poll went out as a broadcast ArtPoll.
  FakeUdpSocket* sock = ArtNet(*desk).fake();
  ASSERT_NE(sock, nullptr);
  ASSERT_FALSE(sock->sent.empty());
  EXPECT_EQ(sock->sent.back().data.size(), 14u);
  EXPECT_EQ(sock->sent.back().host, "10.255.255.255");
  // Our own reply and ArtDmx come back to us: not another node.
  auto own = Reply({10, 0, 0, 1}, "Lumora", "Lumora DMX Desk", {{0x80, 0}});
  sock->Inject(own);
  sock->Inject(Dmx(3), "10.0.0.1");
  // A rival desk answers and sends universe 3 too.
  sock->Inject(Reply({10, 0, 0, 6}, "Rival", "Rival desk", {{0x80, 9}}), "10.0.0.6");
  sock->Inject(Dmx(3), "10.0.0.6");
  advance(500);
  EXPECT_EQ(get("ArtNet.Nodes"),
            "[{\"ip\":\"10.0.0.6\",\"shortName\":\"Rival\",\"longName\":\"Rival desk\",\"universes\":[9],"
            "\"sending\":[3],\"lastSeenMs\":480}]");
  EXPECT_EQ(get("ArtNet.Conflicts"),
            "[\"10.0.0.6 (Rival) also sends universe 3: two sources fight over it\","
            "\"10.0.0.6 (Rival) wants universe 9, which nobody sends\"]");
  advance(1000);
  EXPECT_EQ(get("Health.Status"), "\"warning\"");
  cmd("show Health");
  EXPECT_EQ(health().Nodes_List.ListCount(), 1);
  EXPECT_EQ(health().Nodes_List.List(0).substr(0, 25), "10.0.0.6\tRival\tRival desk");
  EXPECT_EQ(health().Conflict_List.List(0), "10.0.0.6 (Rival) also sends universe 3: two sources fight over it");
}

TEST_F(HealthDesk, ConsoleFindsGlobalsBesideTheWindowAndStillRefusesUnknownNames) {
  EXPECT_EQ(cmd("get Health.TickMean"), "ok 0");
  EXPECT_EQ(cmd("get Health.Nonsense"), "err unknown control Health.Nonsense");
  EXPECT_EQ(cmd("set Health.TickMean 3"), "err read-only");
  EXPECT_EQ(cmd("get Health.Poll.Caption"), "ok \"Poll\"");
}

}  // namespace
}  // namespace lumora
