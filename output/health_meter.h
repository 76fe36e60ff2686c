// Output health: what the desk measures of its own output. The output tick
// records its start time (one clock read, a ring write and a few adds on the
// UI thread); the wire thread tallies every send with relaxed atomics that
// the UI thread reads once a second. Everything here is plain data over the
// standard library: no desk, no window, no clock of its own (the caller
// hands in the time, so tests run it on a manual clock).
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lumora {

inline constexpr int64_t kNsPerMs = 1'000'000;
inline constexpr int64_t kNsPerSecond = 1'000'000'000;
// The span of the "recent" figures.
inline constexpr int64_t kHealthWindowNs = 10 * kNsPerSecond;

// Sends counted on the wire thread. Each counter is a tally of its own, so
// relaxed order is enough: a reader may see one send more or less.
struct SendTally {
  static constexpr int kAdapters = 6;  // AdapterType values 0..5
  static constexpr int kArtPorts = 8;  // the ports the Art-Net timer sends

  std::array<std::atomic<uint64_t>, kAdapters> adapterFrames{};
  std::array<std::atomic<uint64_t>, kAdapters> adapterBytes{};
  std::array<std::atomic<uint64_t>, kArtPorts> artFrames{};
  std::atomic<uint64_t> artBytes{0};
  std::atomic<uint64_t> artFailures{0};

  // Wire side.
  void adapterSent(int type, uint64_t bytes) {
    if (type <= 0 || type >= kAdapters) return;
    adapterFrames[static_cast<std::size_t>(type)].fetch_add(1, std::memory_order_relaxed);
    adapterBytes[static_cast<std::size_t>(type)].fetch_add(bytes, std::memory_order_relaxed);
  }
  void artSent(int port, uint64_t bytes, bool ok) {
    if (!ok) {
      artFailures.fetch_add(1, std::memory_order_relaxed);
      return;
    }
    if (port >= 0 && port < kArtPorts) artFrames[static_cast<std::size_t>(port)].fetch_add(1, std::memory_order_relaxed);
    artBytes.fetch_add(bytes, std::memory_order_relaxed);
  }

  // UI side: the counters as plain numbers.
  struct Snapshot {
    std::array<uint64_t, kAdapters> adapterFrames{};
    std::array<uint64_t, kAdapters> adapterBytes{};
    std::array<uint64_t, kArtPorts> artFrames{};
    uint64_t artBytes = 0;
    uint64_t artFailures = 0;
    uint64_t artFramesAll() const;
    uint64_t bytesAll() const;
  };
  Snapshot read() const;
};

// The output tick's measured period: a ring of the last ticks (for the last
// 10 s) and a histogram since start. A tick is late when it started more
// than half a period after it should have, i.e. its period exceeds 1.5 times
// the set period.
class TickRecorder {
 public:
  // The periods of the last 10 s are kept in a ring that starts small and
  // doubles while the window holds more ticks than it has room for (a 70 ms
  // tick needs 256), up to enough for the shortest tick (1 ms) and more.
  static constexpr std::size_t kFirstRing = 256;
  static constexpr std::size_t kRing = 16384;
  // Since-start histogram: 0.1 ms buckets up to 500 ms; longer periods land
  // in the last bucket (the maximum is kept exactly).
  static constexpr int64_t kBucketNs = 100'000;
  static constexpr std::size_t kBuckets = 5000;

  struct Figures {
    uint64_t ticks = 0;  // periods measured
    uint64_t late = 0;
    double meanMs = 0;
    double p99Ms = 0;
    double maxMs = 0;
  };

  // The tick started at nowNs with the set period periodMs. A new run of the
  // tick (the first one, or the first after the timer was stopped or its
  // period changed) measures no period: there was no tick it should follow.
  void record(int64_t nowNs, int periodMs, bool newRun);

  // The ticks that started within the last 10 s before nowNs.
  Figures recent(int64_t nowNs) const;
  // Every tick since start.
  Figures sinceStart() const;
  // The periods of the last 10 s, oldest first (for tests and the window).
  std::vector<int64_t> recentPeriods(int64_t nowNs) const;
  // Entries the ring holds room for (what the recorder costs in memory).
  std::size_t ringSize() const { return ring_.size(); }

 private:
  struct Entry {
    int64_t at = 0;
    int64_t period = 0;
    bool late = false;
  };
  // The entry of the k-th newest tick (0 = newest).
  const Entry& newest(uint64_t k) const { return ring_[(head_ - 1 - k) & (ring_.size() - 1)]; }
  void grow();

  std::vector<Entry> ring_;  // a power of two long (empty before the first period)
  std::array<uint32_t, kBuckets> hist_{};
  uint64_t head_ = 0;
  uint64_t count_ = 0;
  uint64_t lateTotal_ = 0;
  int64_t sum_ = 0;
  int64_t max_ = 0;
  int64_t last_ = 0;
  bool any_ = false;
};

// Frames and bytes per second from the wire's tallies, sampled once a
// second: over the last 10 s and since the first sample.
class RateMeter {
 public:
  static constexpr std::size_t kSamples = 12;  // 10 s of 1 s samples and room

  void sample(int64_t nowNs, const SendTally::Snapshot& s);

  struct Rates {
    std::array<double, SendTally::kAdapters> adapterFps{};
    std::array<double, SendTally::kAdapters> adapterBytesPerSecond{};
    std::array<double, SendTally::kArtPorts> artFps{};
    double artPacketsPerSecond = 0;
    double artBytesPerSecond = 0;
  };
  // Over the last 10 s (zero before two samples).
  Rates recent() const;
  // Since the first sample.
  Rates sinceStart() const;
  // Frames the adapter of that type sent between the two newest samples
  // (its latest second); -1 before two samples.
  int64_t lastSecondFrames(int type) const;
  int64_t lastSecondArtFrames() const;
  const SendTally::Snapshot& latest() const { return ring_[(n_ - 1) % kSamples].tally; }
  bool empty() const { return n_ == 0; }

 private:
  struct Sample {
    int64_t at = 0;
    SendTally::Snapshot tally;
  };
  static Rates between(const Sample& a, const Sample& b);
  const Sample& back(std::size_t k) const { return ring_[(n_ - 1 - k) % kSamples]; }

  std::array<Sample, kSamples> ring_{};
  Sample first_{};
  std::size_t n_ = 0;
};

// The last output error and when it happened (UI thread).
struct OutputError {
  std::string text;  // "" = none yet
  int64_t atNs = 0;  // desk clock
  int64_t wallSeconds = 0;  // seconds since the epoch, for the time of day shown
};

}  // namespace lumora
