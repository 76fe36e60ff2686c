#include "output/health_meter.h"

#include <algorithm>

namespace lumora {

namespace {

double Ms(int64_t ns) { return static_cast<double>(ns) / static_cast<double>(kNsPerMs); }

// Nearest rank: the smallest period that at least 99 % of the ticks do not exceed.
std::size_t P99Rank(uint64_t n) { return static_cast<std::size_t>((n * 99 + 99) / 100); }

}  // namespace

uint64_t SendTally::Snapshot::artFramesAll() const {
  uint64_t n = 0;
  for (uint64_t f : artFrames) n += f;
  return n;
}

uint64_t SendTally::Snapshot::bytesAll() const {
  uint64_t n = artBytes;
  for (uint64_t b : adapterBytes) n += b;
  return n;
}

SendTally::Snapshot SendTally::read() const {
  Snapshot s;
  for (std::size_t i = 0; i < adapterFrames.size(); ++i) {
    s.adapterFrames[i] = adapterFrames[i].load(std::memory_order_relaxed);
    s.adapterBytes[i] = adapterBytes[i].load(std::memory_order_relaxed);
  }
  for (std::size_t i = 0; i < artFrames.size(); ++i) s.artFrames[i] = artFrames[i].load(std::memory_order_relaxed);
  s.artBytes = artBytes.load(std::memory_order_relaxed);
  s.artFailures = artFailures.load(std::memory_order_relaxed);
  return s;
}

void TickRecorder::record(int64_t nowNs, int periodMs, bool newRun) {
  if (newRun || !any_) {
    any_ = true;
    last_ = nowNs;
    return;
  }
  const int64_t period = nowNs - last_;
  last_ = nowNs;
  const bool late = period * 2 > static_cast<int64_t>(periodMs) * 3 * kNsPerMs;
  if (ring_.empty()) ring_.resize(kFirstRing);
  // The entry about to be overwritten is still in the window: more room.
  else if (count_ >= ring_.size() && ring_.size() < kRing && newest(ring_.size() - 1).at > nowNs - kHealthWindowNs)
    grow();
  ring_[head_++ & (ring_.size() - 1)] = Entry{nowNs, period, late};
  ++count_;
  lateTotal_ += late;
  sum_ += period;
  if (period > max_) max_ = period;
  const auto b = static_cast<std::size_t>(period < 0 ? 0 : period / kBucketNs);
  ++hist_[b < kBuckets ? b : kBuckets - 1];
}

void TickRecorder::grow() {
  std::vector<Entry> bigger(ring_.size() * 2);
  // Every entry keeps its tick number; only the mask changes.
  for (uint64_t k = 0; k < ring_.size(); ++k) {
    const uint64_t n = head_ - 1 - k;
    bigger[n & (bigger.size() - 1)] = ring_[n & (ring_.size() - 1)];
  }
  ring_.swap(bigger);
}

std::vector<int64_t> TickRecorder::recentPeriods(int64_t nowNs) const {
  std::vector<int64_t> out;
  const uint64_t kept = std::min<uint64_t>(count_, ring_.size());
  for (uint64_t k = 0; k < kept; ++k) {
    const Entry& e = newest(k);
    if (e.at <= nowNs - kHealthWindowNs) break;
    out.push_back(e.period);
  }
  std::reverse(out.begin(), out.end());
  return out;
}

TickRecorder::Figures TickRecorder::recent(int64_t nowNs) const {
  Figures f;
  std::vector<int64_t> p = recentPeriods(nowNs);
  if (p.empty()) return f;
  f.ticks = p.size();
  int64_t sum = 0;
  for (std::size_t k = 0; k < p.size(); ++k) {
    sum += p[k];
    f.late += newest(p.size() - 1 - k).late;
  }
  f.meanMs = Ms(sum) / static_cast<double>(p.size());
  f.maxMs = Ms(*std::max_element(p.begin(), p.end()));
  const std::size_t rank = P99Rank(p.size()) - 1;
  std::nth_element(p.begin(), p.begin() + static_cast<std::ptrdiff_t>(rank), p.end());
  f.p99Ms = Ms(p[rank]);
  return f;
}

TickRecorder::Figures TickRecorder::sinceStart() const {
  Figures f;
  if (count_ == 0) return f;
  f.ticks = count_;
  f.late = lateTotal_;
  f.meanMs = Ms(sum_) / static_cast<double>(count_);
  f.maxMs = Ms(max_);
  // The histogram gives the bucket's upper edge, never more than the maximum.
  const uint64_t rank = P99Rank(count_);
  uint64_t seen = 0;
  for (std::size_t b = 0; b < kBuckets; ++b) {
    seen += hist_[b];
    if (seen >= rank) {
      f.p99Ms = std::min(Ms(static_cast<int64_t>(b + 1) * kBucketNs), f.maxMs);
      break;
    }
  }
  return f;
}

void RateMeter::sample(int64_t nowNs, const SendTally::Snapshot& s) {
  Sample& slot = ring_[n_ % kSamples];
  slot.at = nowNs;
  slot.tally = s;
  if (n_ == 0) first_ = slot;
  ++n_;
}

RateMeter::Rates RateMeter::between(const Sample& a, const Sample& b) {
  Rates r;
  const double secs = static_cast<double>(b.at - a.at) / static_cast<double>(kNsPerSecond);
  if (secs <= 0) return r;
  auto per = [secs](uint64_t from, uint64_t to) { return static_cast<double>(to - from) / secs; };
  for (std::size_t i = 0; i < r.adapterFps.size(); ++i) {
    r.adapterFps[i] = per(a.tally.adapterFrames[i], b.tally.adapterFrames[i]);
    r.adapterBytesPerSecond[i] = per(a.tally.adapterBytes[i], b.tally.adapterBytes[i]);
  }
  for (std::size_t i = 0; i < r.artFps.size(); ++i) r.artFps[i] = per(a.tally.artFrames[i], b.tally.artFrames[i]);
  r.artPacketsPerSecond = per(a.tally.artFramesAll(), b.tally.artFramesAll());
  r.artBytesPerSecond = per(a.tally.artBytes, b.tally.artBytes);
  return r;
}

RateMeter::Rates RateMeter::recent() const {
  if (n_ < 2) return {};
  const Sample& newest = back(0);
  // The oldest sample still within 10 s of the newest.
  std::size_t k = 1;
  const std::size_t kept = std::min(n_, kSamples);
  while (k + 1 < kept && newest.at - back(k + 1).at <= kHealthWindowNs) ++k;
  return between(back(k), newest);
}

RateMeter::Rates RateMeter::sinceStart() const {
  if (n_ < 2) return {};
  return between(first_, back(0));
}

int64_t RateMeter::lastSecondFrames(int type) const {
  if (n_ < 2 || type <= 0 || type >= SendTally::kAdapters) return -1;
  const auto t = static_cast<std::size_t>(type);
  return static_cast<int64_t>(back(0).tally.adapterFrames[t] - back(1).tally.adapterFrames[t]);
}

int64_t RateMeter::lastSecondArtFrames() const {
  if (n_ < 2) return -1;
  return static_cast<int64_t>(back(0).tally.artFramesAll() - back(1).tally.artFramesAll());
}

}  // namespace lumora
