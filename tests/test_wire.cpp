// The wire: frames cross from the publisher to the wire thread whole, long
// sends are split around other senders' deadlines without mixing frames, and
// what the wire thread finds is handled once, on the UI thread, at the next
// tick. These tests run the real thread: they wait for its sends, never for
// a timer of the desk.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/console.h"
#include "app/desk.h"
#include "desk/hoofdblad.h"
#include "output/adapters.h"
#include "output/artnet_packet.h"
#include "output/opendmx.h"
#include "output/output_wire.h"
#include "output/wire.h"
#include "output/wire_senders.h"
#include "platform/ftdi_sim.h"
#include "platform/tribus31.h"
#include "platform/udp_socket.h"

namespace lumora {
namespace {

// Fills a frame whose 512 slots all carry the publication number.
void FillUniform(WireFrame& f, uint64_t n) {
  f.tick = n;
  f.slots.fill(static_cast<uint8_t>(n));
}

bool Uniform(const uint8_t* p, std::size_t n) {
  for (std::size_t i = 1; i < n; ++i)
    if (p[i] != p[0]) return false;
  return true;
}

// Waits (bounded) for the wire thread to reach a state.
template <typename F>
bool WaitFor(F done) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::yield();
  }
  return true;
}

TEST(FrameExchange, ReaderNeverSeesATornOrOlderFrame) {
  FrameExchange x;
  // The publisher goes on until the reader has taken many different frames
  // while it was writing (bounded, should the reader be starved).
  std::atomic<uint64_t> seen{0};
  std::atomic<uint64_t> published{0};
  std::thread publisher([&] {
    for (uint64_t n = 1; seen.load() < 2000 && n <= 50'000'000; ++n) {
      FillUniform(x.back(), n);
      x.publish();
      published = n;
    }
  });
  uint64_t last = 0, torn = 0, backwards = 0;
  while (seen.load() < 2000 && (published.load() < 50'000'000)) {
    const WireFrame* f = x.latest();
    if (!f) continue;
    if (!Uniform(f->slots.data(), f->slots.size()) || f->slots[0] != static_cast<uint8_t>(f->tick)) ++torn;
    if (f->tick < last) ++backwards;
    if (f->tick != last) seen.fetch_add(1);
    last = f->tick;
  }
  publisher.join();
  EXPECT_EQ(torn, 0u);
  EXPECT_EQ(backwards, 0u);
  EXPECT_GE(seen.load(), 2000u);
  // The newest frame is always reached.
  EXPECT_EQ(x.latest()->tick, published.load());
}

// A device that takes a frame as fast as a real line drains it and checks
// every frame that reaches the line: all 512 slots from one publication.
class CheckingFtdi final : public FtdiApi {
 public:
  bool DriverPresent() override { return true; }
  std::string Describe() const override { return "checking"; }
  FtStatus FT_Open(int, FtHandle& h) override {
    h = 1;
    return kFtOk;
  }
  FtStatus FT_ResetDevice(FtHandle) override { return kFtOk; }
  FtStatus FT_SetDivisor(FtHandle, uint16_t) override { return kFtOk; }
  FtStatus FT_SetDataCharacteristics(FtHandle, uint8_t, uint8_t, uint8_t) override { return kFtOk; }
  FtStatus FT_SetFlowControl(FtHandle, uint16_t, uint8_t, uint8_t) override { return kFtOk; }
  FtStatus FT_ClrRts(FtHandle) override { return kFtOk; }
  FtStatus FT_Purge(FtHandle, uint32_t) override { return kFtOk; }
  FtStatus FT_Close(FtHandle) override { return kFtOk; }
  FtStatus FT_SetBreakOn(FtHandle) override {
    n_ = 0;
    return kFtOk;
  }
  FtStatus FT_SetBreakOff(FtHandle) override { return kFtOk; }
  FtStatus FT_Write(FtHandle, const uint8_t* d, uint32_t len, uint32_t& w) override {
    writes.fetch_add(1);
    for (uint32_t i = 0; i < len && n_ < line_.size(); ++i) line_[n_++] = d[i];
    if (n_ == line_.size()) {
      frames.fetch_add(1);
      if (!Uniform(line_.data() + 1, 512)) mixed.fetch_add(1);
      n_ = 0;
    }
    // 44 µs a slot; a short write of slots is a part of a split frame.
    if (len > 1 && len < 512) parts.fetch_add(1);
    std::this_thread::sleep_for(std::chrono::microseconds(44) * len / 8);
    w = len;
    return kFtOk;
  }
  void LineWait(std::chrono::microseconds) override {}

  std::atomic<long> frames{0}, mixed{0}, writes{0}, parts{0};

 private:
  std::array<uint8_t, 513> line_{};
  std::size_t n_ = 0;
};

// A short sender at a period that falls inside the long sends.
class TickSender final : public WireSender {
 public:
  std::chrono::nanoseconds Period(const WireFrame&) const override { return std::chrono::milliseconds(2); }
  bool Begin(const WireFrame& f) override {
    if (!Uniform(f.slots.data(), f.slots.size())) mixed.fetch_add(1);
    sends.fetch_add(1);
    return false;
  }
  std::atomic<long> sends{0}, mixed{0};
};

TEST(WireThread, NoFrameOnTheWireMixesTwoTicks) {
  CheckingFtdi ftdi;
  AdapterWire adapter(nullptr, nullptr, &ftdi, nullptr);
  TickSender other;
  WireThread wire;
  wire.add(&adapter);
  wire.add(&other);
  auto publish = [&](uint64_t n) {
    WireFrame& f = wire.exchange().back();
    FillUniform(f, n);
    f.adapterType = kAdapterOpenDmx;
    f.periodMs = 1;
    f.usbSend = true;
    f.usbHandle = 1;
    f.usbStartCodeLength = 1;
    f.adapterEpoch = 1;
    wire.publish();
  };
  publish(1);
  wire.Start();
  uint64_t n = 1;
  // The publisher changes the frame far faster than the line takes it.
  ASSERT_TRUE(WaitFor([&] {
    publish(++n);
    return ftdi.frames.load() >= 40 && ftdi.parts.load() >= 4;
  }));
  wire.Stop();
  EXPECT_EQ(ftdi.mixed.load(), 0);
  EXPECT_EQ(other.mixed.load(), 0);
  EXPECT_GT(other.sends.load(), 0);
  // A report for every frame; no failure.
  EXPECT_EQ(adapter.report().take().flags, WireReport::kCompleted);
}

TEST(WireThread, StopFinishesTheFrameInProgress) {
  CheckingFtdi ftdi;
  AdapterWire adapter(nullptr, nullptr, &ftdi, nullptr);
  TickSender other;
  WireThread wire;
  wire.add(&adapter);
  wire.add(&other);
  WireFrame& f = wire.exchange().back();
  FillUniform(f, 7);
  f.adapterType = kAdapterOpenDmx;
  f.periodMs = 25;
  f.usbSend = true;
  f.usbHandle = 1;
  f.usbStartCodeLength = 1;
  wire.publish();
  wire.Start();
  ASSERT_TRUE(WaitFor([&] { return ftdi.writes.load() >= 2; }));
  wire.Stop();
  // Every frame begun reached the line whole.
  EXPECT_GE(ftdi.frames.load(), 1);
  EXPECT_EQ(adapter.report().take().flags & ~WireReport::kCompleted, 0u);
  const long writes = ftdi.writes.load();
  wire.Stop();  // a second stop is harmless
  EXPECT_EQ(ftdi.writes.load(), writes);
}

// Sends at 1 ms while the frame selects an adapter, and not at all without.
class SettingsSender final : public WireSender {
 public:
  std::chrono::nanoseconds Period(const WireFrame& f) const override {
    return f.adapterType != 0 ? std::chrono::milliseconds(1) : std::chrono::nanoseconds{};
  }
  bool Begin(const WireFrame& f) override {
    lastSlot.store(f.slots[0]);
    sends.fetch_add(1);
    return false;
  }
  std::atomic<long> sends{0};
  std::atomic<int> lastSlot{-1};
};

TEST(WireThread, AnIdleWireSleepsThroughNewSlotsAndWakesForNewSettings) {
  SettingsSender s;
  WireThread wire;
  wire.add(&s);
  auto publish = [&](uint8_t slot, int adapter, bool changed) {
    WireFrame& f = wire.exchange().back();
    f.slots.fill(slot);
    f.adapterType = adapter;
    wire.publish(changed);
  };
  // Pokes until one finds the thread asleep (it has judged itself idle),
  // then lets it take the last poke, which may have come after it woke.
  auto pokeAwake = [&] {
    const uint64_t idle = wire.idleWakes();
    const bool woke = WaitFor([&] {
      wire.poke();
      return wire.idleWakes() > idle;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return woke;
  };
  publish(1, 0, true);
  wire.Start();
  ASSERT_TRUE(pokeAwake());
  const uint64_t before = wire.idleWakes();
  // Ticks of an idle desk: new slots, the same settings.
  for (uint8_t n = 2; n < 60; ++n) {
    publish(n, 0, false);
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(wire.idleWakes(), before);
  EXPECT_EQ(s.sends.load(), 0);
  // New settings wake it, and it sends the newest slots.
  publish(77, 1, true);
  ASSERT_TRUE(WaitFor([&] { return s.sends.load() >= 3; }));
  EXPECT_EQ(s.lastSlot.load(), 77);
  // While it sends, frames of the same settings reach it without a wake-up.
  publish(78, 1, false);
  ASSERT_TRUE(WaitFor([&] { return s.lastSlot.load() == 78; }));
  // Back to idle; a poke makes it look again.
  publish(79, 0, true);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  const long sent = s.sends.load();
  ASSERT_TRUE(pokeAwake());
  EXPECT_EQ(s.sends.load(), sent);
  wire.Stop();
}

// Logs its warm-ups ('w') and sends ('s') with the first slot each saw. Its
// first warm-up publishes a newer frame, as a tick landing between the
// warm-up and the deadline would.
class WarmingSender final : public WireSender {
 public:
  explicit WarmingSender(WireThread& wire) : wire_(wire) {}
  std::chrono::nanoseconds Period(const WireFrame&) const override { return std::chrono::milliseconds(5); }
  bool StartsAtOnce() const override { return false; }
  std::chrono::nanoseconds WarmLead() const override { return std::chrono::milliseconds(2); }
  void Warm(const WireFrame& f) override {
    record('w', f.slots[0]);
    if (published_) return;
    published_ = true;
    wire_.exchange().back().slots.fill(2);
    wire_.publish(false);
  }
  bool Begin(const WireFrame& f) override {
    record('s', f.slots[0]);
    return false;
  }
  std::vector<std::pair<char, int>> calls() {
    std::lock_guard<std::mutex> g(m_);
    return log_;
  }
  long sends() { return count('s'); }
  long warmUps() { return count('w'); }

 private:
  long count(char kind) {
    std::lock_guard<std::mutex> g(m_);
    return std::count_if(log_.begin(), log_.end(), [kind](const auto& c) { return c.first == kind; });
  }
  void record(char kind, int slot) {
    std::lock_guard<std::mutex> g(m_);
    log_.emplace_back(kind, slot);
  }
  WireThread& wire_;
  bool published_ = false;  // wire thread only
  std::mutex m_;
  std::vector<std::pair<char, int>> log_;
};

TEST(WireThread, AWarmUpPrecedesEachSendWhichStillTakesTheNewestFrame) {
  for (const bool on : {true, false}) {
    SCOPED_TRACE(on ? "warm-ups on" : "warm-ups off");
    WireThread wire;
    WarmingSender s(wire);
    wire.add(&s);
    wire.setWarmUps(on);
    wire.exchange().back().slots.fill(1);
    wire.publish(true);
    wire.Start();
    for (int i = 0; i < 5000 && (s.sends() < 6 || (on && s.warmUps() < 3)); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    wire.Stop();
    const auto calls = s.calls();
    ASSERT_GE(s.sends(), 6);
    if (!on) {
      for (const auto& c : calls) EXPECT_EQ(c, std::make_pair('s', 1));
      continue;
    }
    // A wire that wakes in time warms up before each send (one that wakes
    // past the deadline sends at once), and never twice for one deadline.
    ASSERT_GE(s.warmUps(), 3);
    for (std::size_t i = 1; i < calls.size(); ++i)
      EXPECT_FALSE(calls[i - 1].first == 'w' && calls[i].first == 'w') << i;
    // The first warm-up saw the old frame; every send after it, the newer one.
    const auto first = std::find_if(calls.begin(), calls.end(), [](const auto& c) { return c.first == 'w'; });
    EXPECT_EQ(first->second, 1);
    for (auto c = first + 1; c != calls.end(); ++c) EXPECT_EQ(c->second, 2) << (c - calls.begin());
  }
}

// The wire's calls in the order it makes them, from every sender: 'w' a
// warm-up, 's' a short send, 'b' the start of a long send, 'p' a part of it.
class CallOrder {
 public:
  void add(char c) {
    std::lock_guard<std::mutex> g(m_);
    calls_.push_back(c);
  }
  std::string calls() {
    std::lock_guard<std::mutex> g(m_);
    return calls_;
  }
  long count(char c) {
    const std::string all = calls();
    return std::count(all.begin(), all.end(), c);
  }

 private:
  std::mutex m_;
  std::string calls_;
};

// 3 ms of line time every 7 ms after a start of 0.3 ms (a break), in the
// parts the wire allows.
class LongSender final : public WireSender {
 public:
  explicit LongSender(CallOrder& order) : order_(order) {}
  std::chrono::nanoseconds Period(const WireFrame&) const override { return std::chrono::milliseconds(7); }
  int64_t BeginNs(const WireFrame&) const override { return 300'000; }
  bool Begin(const WireFrame&) override {
    order_.add('b');
    std::this_thread::sleep_for(std::chrono::microseconds(300));
    leftNs_ = 3'000'000;
    return true;
  }
  bool Continue(int64_t untilNs) override {
    order_.add('p');
    const int64_t part = untilNs == INT64_MAX ? leftNs_ : std::clamp<int64_t>(untilNs - WireThread::Now(), 100'000, leftNs_);
    std::this_thread::sleep_for(std::chrono::nanoseconds(part));
    leftNs_ -= part;
    return leftNs_ > 0;
  }

 private:
  CallOrder& order_;
  int64_t leftNs_ = 0;
};

// Every 7 ms too, each deadline 1.5 ms after the long sender's: inside the
// warm-up lead, after the warm-up.
class WarmShortSender final : public WireSender {
 public:
  explicit WarmShortSender(CallOrder& order) : order_(order) {}
  std::chrono::nanoseconds Period(const WireFrame&) const override { return std::chrono::milliseconds(7); }
  bool StartsAtOnce() const override { return false; }
  std::chrono::nanoseconds FirstAfter(std::chrono::nanoseconds) const override { return std::chrono::microseconds(1500); }
  std::chrono::nanoseconds WarmLead() const override { return std::chrono::milliseconds(3); }
  void Warm(const WireFrame&) override { order_.add('w'); }
  bool Begin(const WireFrame&) override {
    order_.add('s');
    return false;
  }

 private:
  CallOrder& order_;
};

TEST(WireThread, NothingLongStartsBetweenAWarmUpAndItsSend) {
  // A long send's start or part that overran (a device or a sleep
  // returning late) would push back the very send the warm-up prepared.
  CallOrder order;
  LongSender adapter(order);
  WarmShortSender art(order);
  WireThread wire;
  wire.add(&adapter);
  wire.add(&art);
  wire.setWarmUps(true);
  wire.publish(true);
  wire.Start();
  ASSERT_TRUE(WaitFor([&] {
    return order.count('s') >= 12 && order.count('w') >= 6 && order.count('b') >= 6 && order.count('p') >= 12;
  }));
  wire.Stop();
  const std::string calls = order.calls();
  for (std::size_t w = calls.find('w'); w != std::string::npos; w = calls.find('w', w + 1)) {
    const std::size_t send = calls.find('s', w);
    if (send == std::string::npos) break;
    const std::size_t longWork = calls.find_first_of("bp", w);
    EXPECT_TRUE(longWork == std::string::npos || longWork > send)
        << "long work after the warm-up at " << w << ": " << calls;
  }
  // Each long deadline falls inside the short sender's lead, so the long
  // send starts only once the short one went (but for a rare overrun of a
  // whole period on a loaded machine), never ahead of the warm-up.
  long starts = 0, afterTheShortSend = 0;
  for (std::size_t i = 0; i < calls.size(); ++i)
    if (calls[i] == 'b') {
      ++starts;
      if (i > 0 && calls[i - 1] == 's') ++afterTheShortSend;
    }
  EXPECT_GE(afterTheShortSend * 4, starts * 3) << calls;
}

TEST(ArtNetWire, AWarmUpSendsNothingAndTheSendCarriesTheNewestSlots) {
  FakeUdpSocket socket;
  ASSERT_EQ(socket.Bind(artnet::kPort), "");
  ArtNetWire art(&socket);
  WireFrame f;
  f.artOn = true;
  f.artPeriodMs = 100;
  f.artCount = 2;
  f.artUniverses[0] = 3;
  f.artUniverses[1] = 4;
  std::snprintf(f.artBroadcast.data(), f.artBroadcast.size(), "10.255.255.255");
  f.slots.fill(7);
  EXPECT_GT(art.WarmLead().count(), 0);
  art.Warm(f);
  EXPECT_TRUE(socket.sent.empty());
  f.slots.fill(9);
  art.Begin(f);
  ASSERT_EQ(socket.sent.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    const auto& d = socket.sent[i].data;
    ASSERT_EQ(d.size(), 18u + 512u);
    EXPECT_EQ(d[14], f.artUniverses[i]);
    EXPECT_TRUE(std::all_of(d.begin() + 18, d.end(), [](uint8_t v) { return v == 9; }));
  }
}

TEST(WireSender, HoldWaitsForTheSendInProgressAndBlocksTheNext) {
  TickSender s;
  ASSERT_TRUE(s.Enter());
  std::atomic<bool> held{false};
  std::thread ui([&] {
    s.Hold();
    held = true;
  });
  // The hold cannot complete while the send is in progress.
  for (int i = 0; i < 1000; ++i) std::this_thread::yield();
  EXPECT_FALSE(held.load());
  s.Leave();
  ui.join();
  EXPECT_TRUE(held.load());
  EXPECT_FALSE(s.Enter());  // held: the wire skips its sends
  s.Release();
  EXPECT_TRUE(s.Enter());
  s.Leave();
}

TEST(WireReport, MergesSendsOfOneEpochAndDropsAnOlderOne) {
  WireReport r;
  EXPECT_EQ(r.take().flags, 0u);
  r.post(3, WireReport::kCompleted | AdapterWire::kTribusReadFailed);
  r.post(3, WireReport::kCompleted | AdapterWire::kTribusWriteFailed);
  auto t = r.take();
  EXPECT_EQ(t.epoch, 3u);
  EXPECT_EQ(t.flags, WireReport::kCompleted | AdapterWire::kTribusReadFailed | AdapterWire::kTribusWriteFailed);
  r.post(3, AdapterWire::kCorvexFailed);
  r.post(4, WireReport::kCompleted);
  t = r.take();
  EXPECT_EQ(t.epoch, 4u);
  EXPECT_EQ(t.flags, WireReport::kCompleted);
}

// --- failures come back to the UI thread ------------------------------------

// Records the thread of every message box.
class ThreadDialogs final : public ConsoleDialogs {
 public:
  MsgResult MsgBox(const std::string& text, const std::string& title, MsgButtons buttons, MsgIcon icon,
                   MsgResult defaultButton) override {
    threads.push_back(std::this_thread::get_id());
    texts.push_back(text);
    return ConsoleDialogs::MsgBox(text, title, buttons, icon, defaultButton);
  }
  std::vector<std::thread::id> threads;
  std::vector<std::string> texts;
};

// A desk on the real clock (its wire thread runs) whose output tick the test
// fires itself.
class RealTimeDeskTest : public testing::Test {
 protected:
  RealTimeDeskTest() {
    DeskOptions o;
    o.manualClock = false;
    o.sim = true;
    desk = std::make_unique<Desk>(o, dialogs);
    desk->Start();
    wire = OutputWire::Of(*desk);
    desk->hoofdblad().Timer1.setEnabled(false);  // the test fires the ticks
    desk->hoofdblad().Timer1.setInterval(2);     // the adapter's period on the wire
  }
  void tick() { desk->hoofdblad().Timer1.Fire(); }
  // Waits until the wire thread has made `n` more attempts.
  bool wireSends(uint64_t n) {
    const uint64_t target = wire->thread().sends() + n;
    return WaitFor([&] { return wire->thread().sends() >= target; });
  }

  ThreadDialogs dialogs;
  std::unique_ptr<Desk> desk;
  OutputWire* wire = nullptr;
};

TEST_F(RealTimeDeskTest, LostDmx31AdapterIsReportedOnceOnTheUiThreadAtTheNextTick) {
  auto* tribus = static_cast<Tribus31Sim*>(desk->platform().tribus31.get());
  tribus->setPresent(false);
  desk->state.AdapterType = 2;
  tick();
  ASSERT_TRUE(wire->thread().running());
  ASSERT_TRUE(wireSends(4));  // the frame failed, and the wire tried on
  EXPECT_TRUE(dialogs.texts.empty());  // nothing is shown off the UI thread
  EXPECT_EQ(desk->state.AdapterType, 2);
  tick();
  // Both calls failed: the two messages of the send step, no more.
  ASSERT_EQ(dialogs.texts.size(), 2u);
  for (const auto& t : dialogs.texts) EXPECT_EQ(t, " 3-1 DMX Adapter Not Connected or Not Responding");
  for (const auto& id : dialogs.threads) EXPECT_EQ(id, std::this_thread::get_id());
  EXPECT_EQ(desk->state.AdapterType, 0);
  EXPECT_EQ(desk->hoofdblad().Status.Text(), " 3-1 Adapter Not connected ot not responding");
  // A report the wire made before it learnt of the new settings is moot.
  tick();
  tick();
  EXPECT_EQ(dialogs.texts.size(), 2u);
}

TEST_F(RealTimeDeskTest, UnpluggedOpenDmxSearchesFromTheNextTickWithoutMessages) {
  auto* ftdi = static_cast<FtdiSim*>(desk->platform().ftdi.get());
  OpenDmx* usb = OpenDmx::Of(*desk);
  ASSERT_NE(usb, nullptr);
  usb->UsbStatus(1);  // quiet, as the setup dialog leaves it
  desk->state.AdapterType = 3;
  desk->state.UsbSearching = 1;
  tick();  // the search opens the device
  ASSERT_EQ(desk->state.UsbConnected, 1);
  tick();
  const long frames = ftdi->frames();
  ASSERT_TRUE(WaitFor([&] { return ftdi->frames() > frames; }));
  ftdi->setPresent(false);
  ASSERT_TRUE(wireSends(3));
  EXPECT_EQ(desk->state.UsbConnected, 1);  // not yet: the UI thread has not looked
  tick();
  EXPECT_EQ(usb->UsbLastError, kUsbWriteFailed);
  EXPECT_EQ(desk->state.UsbSearching, 1);
  EXPECT_EQ(desk->hoofdblad().Status.Text(), " Open USB Searching");
  EXPECT_TRUE(dialogs.texts.empty());
  ftdi->setPresent(true);
  tick();  // found again
  EXPECT_EQ(desk->state.UsbConnected, 1);
  EXPECT_EQ(desk->hoofdblad().Status.Text(), " Open USB Connected");
  const long again = ftdi->frames();
  ASSERT_TRUE(WaitFor([&] { return ftdi->frames() > again; }));
  EXPECT_TRUE(dialogs.texts.empty());
}

TEST_F(RealTimeDeskTest, ExitSendsTheLastFrameBeforeTheDeviceCloses) {
  auto* ftdi = static_cast<FtdiSim*>(desk->platform().ftdi.get());
  OpenDmx* usb = OpenDmx::Of(*desk);
  usb->UsbStatus(1);
  desk->state.AdapterType = 3;
  desk->state.UsbSearching = 1;
  tick();
  desk->state.DeskLevels[0] = 200;
  tick();
  ASSERT_TRUE(WaitFor([&] { return ftdi->lastFrame()[1] == 200; }));
  UsbCloseIfOpen(*desk);
  EXPECT_FALSE(wire->thread().running());
  EXPECT_FALSE(ftdi->isOpen());
  const auto calls = ftdi->takeCalls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back(), "FT_Close");  // nothing after the close
  tick();  // a late tick starts no thread again
  EXPECT_FALSE(wire->thread().running());
}

}  // namespace
}  // namespace lumora
