// The wire: one thread that owns every transmission of the desk. The output
// tick computes the frame on the UI thread and publishes a complete copy
// (frame plus the few settings the senders need); the wire thread sends the
// newest copy on absolute deadlines of the monotonic clock, each sender at
// its own period. So a paint, a dialog or a save never moves the wire, and a
// slow device never holds up the UI.
//
// Nothing here includes the desk: the senders see only WireFrame and the
// platform interfaces, so the thread can be tested (and run under
// ThreadSanitizer) on its own.
//
// Under the manual clock no thread runs; the desk calls RunInline at the
// tick, which sends through the same Transmit code.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

namespace lumora {

inline constexpr int kWireSlots = 512;
inline constexpr int kWireArtPorts = 8;
inline constexpr int kWireSacnPorts = 8;

// One sACN output universe as the sender sees it.
struct WireSacnPort {
  bool on = false;
  uint16_t universe = 0;
  uint8_t priority = 0;
  uint32_t unicast = 0;  // host-order IPv4; 0 = multicast only

  bool operator==(const WireSacnPort&) const = default;
};

// One publication: the result of one output tick and the settings it was
// sent with. Plain data, copied whole.
struct WireFrame {
  uint64_t tick = 0;  // publication number, 1 for the first
  std::array<uint8_t, kWireSlots> slots{};

  // The adapter (AdapterType) and what its send step needs.
  int adapterType = 0;
  int16_t portAddress = 0;
  int periodMs = 0;          // the output tick's period
  uint32_t adapterEpoch = 0;  // changes whenever the adapter settings below change
  bool usbSend = false;       // Open DMX USB: connected and open
  uint32_t usbHandle = 0;
  uint8_t usbStartCode = 0;
  uint8_t usbStartCodeLength = 0;

  // Art-Net: the universes of the enabled ports, in port order.
  bool artOn = false;
  int artPeriodMs = 0;
  uint8_t artCount = 0;
  std::array<uint8_t, kWireArtPorts> artUniverses{};
  std::array<uint8_t, kWireArtPorts> artPortNumbers{};  // the dialog port of each universe above
  std::array<char, 16> artBroadcast{};  // dotted IPv4, NUL-terminated; empty = not initialised

  // sACN: the eight output universes by port, and the source they are sent as.
  std::array<WireSacnPort, kWireSacnPorts> sacnPorts{};
  std::array<uint8_t, 16> sacnCid{};
  std::array<uint8_t, 64> sacnName{};  // NUL-padded UTF-8

  bool operator==(const WireFrame&) const = default;
};

// Lock-free triple buffer between one publisher and one reader: the
// publisher fills back() and publishes it whole; the reader always gets the
// newest complete frame, never a torn one, and neither side ever waits.
class FrameExchange {
 public:
  // Publisher side.
  WireFrame& back() { return buf_[back_]; }
  void publish();

  // Reader side: the newest published frame (nullptr before the first). The
  // frame stays valid and unchanged until the next call.
  const WireFrame* latest();
  // Reader side: a frame was published that latest() has not taken yet.
  bool fresh() const { return (middle_.load(std::memory_order_acquire) & kFresh) != 0; }

 private:
  static constexpr uint8_t kFresh = 4;  // set in middle_ while it holds an unread frame
  std::array<WireFrame, 3> buf_{};
  std::atomic<uint8_t> middle_{1};
  uint8_t back_ = 0;
  uint8_t front_ = 2;
  bool any_ = false;  // reader side: a frame has been taken
};

// Results a sender found, handed back to the UI thread: the adapter epoch
// they belong to and flags (bit 0: a send completed; the others are the
// sender's failure bits). Several sends before the UI looks are merged.
class WireReport {
 public:
  static constexpr uint32_t kCompleted = 1;

  // Wire side: no allocation, no lock.
  void post(uint32_t epoch, uint32_t flags);
  // UI side: takes what was posted (flags 0 when nothing).
  struct Taken {
    uint32_t epoch = 0;
    uint32_t flags = 0;
  };
  Taken take();

 private:
  std::atomic<uint64_t> word_{0};
};

// A source of transmissions (an adapter, Art-Net, more later). Period and
// Transmit run on the wire thread (or inline under the manual clock): they
// must not allocate, lock a mutex or log.
class WireSender {
 public:
  virtual ~WireSender() = default;
  // How often this sender sends the frame; zero when it does not send now.
  virtual std::chrono::nanoseconds Period(const WireFrame& f) const = 0;
  // Starts sending f. A short send completes here (false); a send that
  // takes the line's own time (a device that accepts a frame only as fast
  // as its line drains) may leave parts for Continue (true). A sender that
  // keeps parts copies what it needs: f changes after this call.
  virtual bool Begin(const WireFrame& f) = 0;
  // How long Begin holds the thread before it returns (zero for a short
  // send): the wire lets a deadline that falls within it go first.
  virtual int64_t BeginNs(const WireFrame& f) const {
    (void)f;
    return 0;
  }
  // Whether the first send follows the frame at once (an adapter, sent at
  // the tick) or later (a periodic broadcast timer): then FirstAfter says
  // how long after the frame that first sent it.
  virtual bool StartsAtOnce() const { return true; }
  virtual std::chrono::nanoseconds FirstAfter(std::chrono::nanoseconds period) const { return period; }
  // Sends the next part, ending by `untilNs` (monotonic) where it can while
  // always making progress. True while parts remain.
  virtual bool Continue(int64_t untilNs) {
    (void)untilNs;
    return false;
  }
  // A sender whose sends must leave within microseconds of the deadline
  // asks the wire to wake this long before it and call Warm, which does
  // the work Begin does ahead of sending (nothing leaves, nothing that
  // Begin reads changes). Begin still sends the newest frame at the
  // deadline, but on memory just touched: where the host maps a guest's
  // memory lazily (a virtual machine's shadow page tables, rebuilt after
  // the kernel samples page ages), a cold wake-up otherwise costs hundreds
  // of microseconds of faults before the packet leaves. Zero: no warm-up.
  virtual std::chrono::nanoseconds WarmLead() const { return {}; }
  virtual void Warm(const WireFrame& f) { (void)f; }

  // The UI thread holds the sender while it touches the sender's devices
  // itself (open, close, reset, a wake-up): the wire then skips its sends.
  // Hold waits at most for one send in progress; the wire never waits.
  void Hold();
  void Release();
  // Wire side: false when held (then nothing may be sent).
  bool Enter();
  void Leave();

 private:
  static constexpr uint32_t kBusy = 1;
  static constexpr uint32_t kHeld = 2;
  std::atomic<uint32_t> gate_{0};
  int holdDepth_ = 0;  // UI thread only
};

// Holds a sender for one scope.
class WireHold {
 public:
  explicit WireHold(WireSender* s) : s_(s) {
    if (s_) s_->Hold();
  }
  ~WireHold() {
    if (s_) s_->Release();
  }
  WireHold(const WireHold&) = delete;
  WireHold& operator=(const WireHold&) = delete;

 private:
  WireSender* s_;
};

class WireThread {
 public:
  static constexpr int kMaxSenders = 4;

  WireThread() = default;
  ~WireThread() { Stop(); }
  WireThread(const WireThread&) = delete;
  WireThread& operator=(const WireThread&) = delete;

  // Before Start.
  void add(WireSender* s);

  FrameExchange& exchange() { return exchange_; }
  // Publishes exchange().back(). A thread that sleeps with no sender due is
  // woken only when `settingsChanged` (anything but the tick and the slots
  // differs from the last publication): a sender's period depends on the
  // settings alone, so a new frame of the same settings gives an idle wire
  // nothing to send, and an idle desk's ticks cost the wire no wake-ups.
  // A running wire takes the newest frame at its next send either way.
  void publish(bool settingsChanged = true);
  // Wakes an idle thread to look at its senders again: for a change their
  // periods depend on outside the frame (a sender's socket moving between
  // the wire and the UI thread).
  void poke();
  // Whether senders that ask for a warm-up get it (before Start). It costs
  // one more wake-up per send: the GUI desk, whose wire path goes cold by
  // hundreds of microseconds, turns it on; the headless desk, whose path is
  // short and whose idle cost is counted, leaves it off.
  void setWarmUps(bool on) {
    if (!running()) warmUps_ = on;
  }

  // Starts the thread (once; again after Stop). The thread asks for
  // SCHED_FIFO where RLIMIT_RTPRIO (or the capability) permits it.
  void Start();
  // Ends the thread after the send in progress. Safe to call twice.
  void Stop();
  bool running() const { return thread_.joinable(); }

  // Manual clock: sends `f` through one sender now, whole, on the calling
  // thread (the publisher's own copy: the exchange has one reader).
  void RunInline(WireSender& s, const WireFrame& f);

  // The monotonic clock in nanoseconds.
  static int64_t Now();

  // How the thread was scheduled, once known: 0 unknown, 1 real-time, 2 normal.
  enum Priority : int { kPriorityUnknown = 0, kPriorityRealtime = 1, kPriorityNormal = 2 };
  int priority() const { return priority_.load(std::memory_order_acquire); }
  int realtimeLevel() const { return rtLevel_; }

  // Sends done by the thread since Start (for tests and diagnostics).
  uint64_t sends() const { return sends_.load(std::memory_order_relaxed); }
  // Times the thread woke from sleeping with nothing to send.
  uint64_t idleWakes() const { return idleWakes_.load(std::memory_order_relaxed); }

 private:
  void run();

  std::array<WireSender*, kMaxSenders> senders_{};
  int count_ = 0;
  bool warmUps_ = false;
  FrameExchange exchange_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<uint32_t> wake_{0};  // bumped by publish and Stop
  std::atomic<int> priority_{kPriorityUnknown};
  int rtLevel_ = 0;
  std::atomic<uint64_t> sends_{0};
  std::atomic<uint64_t> idleWakes_{0};
};

}  // namespace lumora
