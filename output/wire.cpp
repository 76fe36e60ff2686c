#include "output/wire.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <limits>

namespace lumora {

namespace {

constexpr int64_t kNever = std::numeric_limits<int64_t>::max();
// A part of a long send ends this long before another sender's deadline.
constexpr int64_t kPartMarginNs = 150'000;
// A part shorter than this is not worth starting: wait for the deadline.
constexpr int64_t kMinPartNs = 400'000;
// The real-time priority asked for (mid-range: above normal work, below the
// kernel's own real-time threads).
constexpr int kRealtimeLevel = 40;

void SleepUntil(int64_t ns) {
  timespec ts{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
  // An interrupted sleep simply ends early: the loop looks again.
  clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr);
}

}  // namespace

int64_t WireThread::Now() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

void FrameExchange::publish() {
  const uint8_t old = middle_.exchange(static_cast<uint8_t>(back_ | kFresh), std::memory_order_acq_rel);
  back_ = static_cast<uint8_t>(old & 3);
}

const WireFrame* FrameExchange::latest() {
  if (middle_.load(std::memory_order_acquire) & kFresh) {
    const uint8_t old = middle_.exchange(front_, std::memory_order_acq_rel);
    front_ = static_cast<uint8_t>(old & 3);
    any_ = true;
  }
  return any_ ? &buf_[front_] : nullptr;
}

void WireReport::post(uint32_t epoch, uint32_t flags) {
  uint64_t cur = word_.load(std::memory_order_relaxed);
  for (;;) {
    // An untaken report of another epoch is stale: the new one replaces it.
    const bool same = static_cast<uint32_t>(cur >> 32) == epoch && static_cast<uint32_t>(cur) != 0;
    const uint64_t next = (static_cast<uint64_t>(epoch) << 32) | (same ? (static_cast<uint32_t>(cur) | flags) : flags);
    if (word_.compare_exchange_weak(cur, next, std::memory_order_acq_rel, std::memory_order_relaxed)) return;
  }
}

WireReport::Taken WireReport::take() {
  const uint64_t w = word_.exchange(0, std::memory_order_acq_rel);
  return Taken{static_cast<uint32_t>(w >> 32), static_cast<uint32_t>(w)};
}

void WireSender::Hold() {
  if (holdDepth_++ > 0) return;
  gate_.fetch_or(kHeld, std::memory_order_acq_rel);
  // A send in progress finishes first (one frame at most).
  while (gate_.load(std::memory_order_acquire) & kBusy) {
    timespec ts{0, 50'000};
    nanosleep(&ts, nullptr);
  }
}

void WireSender::Release() {
  if (holdDepth_ == 0 || --holdDepth_ > 0) return;
  gate_.fetch_and(~kHeld, std::memory_order_acq_rel);
}

bool WireSender::Enter() {
  const uint32_t before = gate_.fetch_or(kBusy, std::memory_order_acq_rel);
  if (before & kHeld) {
    gate_.fetch_and(~kBusy, std::memory_order_release);
    return false;
  }
  return true;
}

void WireSender::Leave() { gate_.fetch_and(~kBusy, std::memory_order_release); }

void WireThread::add(WireSender* s) {
  if (count_ < kMaxSenders && !running()) senders_[static_cast<std::size_t>(count_++)] = s;
}

void WireThread::Start() {
  if (running()) return;
  stop_.store(false, std::memory_order_release);
  thread_ = std::thread([this] { run(); });
}

void WireThread::publish(bool settingsChanged) {
  exchange_.publish();
  // Every change of settings bumps the count, so a thread that judged
  // itself idle on older settings never sleeps through them.
  if (settingsChanged) poke();
}

void WireThread::poke() {
  wake_.fetch_add(1);
  wake_.notify_one();
}

void WireThread::Stop() {
  if (!running()) return;
  stop_.store(true, std::memory_order_release);
  wake_.fetch_add(1);
  wake_.notify_one();
  thread_.join();
}

void WireThread::RunInline(WireSender& s, const WireFrame& f) {
  if (!s.Enter()) return;
  if (s.Begin(f))
    while (s.Continue(kNever)) {
    }
  s.Leave();
}

void WireThread::run() {
  {
    // SCHED_FIFO where the limit (or the capability) allows it; the UI
    // thread says which in the log.
    int level = kRealtimeLevel;
    rlimit rl{};
    if (getrlimit(RLIMIT_RTPRIO, &rl) == 0 && rl.rlim_cur != RLIM_INFINITY && rl.rlim_cur > 0 &&
        rl.rlim_cur < static_cast<rlim_t>(level))
      level = static_cast<int>(rl.rlim_cur);
    sched_param sp{};
    sp.sched_priority = level;
    const bool rt = pthread_setschedparam(pthread_self(), SCHED_FIFO, &sp) == 0;
    rtLevel_ = rt ? level : 0;
    priority_.store(rt ? kPriorityRealtime : kPriorityNormal, std::memory_order_release);
  }

  std::array<int64_t, kMaxSenders> due{};  // next deadline; 0 = not sending
  std::array<int64_t, kMaxSenders> period{};
  std::array<int64_t, kMaxSenders> warmed{};  // the deadline last warmed up for
  int active = -1;                          // sender with parts of a send left
  WireSender* held = nullptr;               // the active sender, entered

  while (!stop_.load(std::memory_order_acquire)) {
    const WireFrame* f = exchange_.latest();
    int64_t now = Now();
    if (f) {
      for (int i = 0; i < count_; ++i) {
        const int64_t p = senders_[static_cast<std::size_t>(i)]->Period(*f).count();
        if (p <= 0) {
          due[i] = 0;
        } else if (due[i] == 0) {
          WireSender* s = senders_[static_cast<std::size_t>(i)];
          due[i] = s->StartsAtOnce() ? now : now + s->FirstAfter(std::chrono::nanoseconds(p)).count();
        } else if (p != period[i]) {
          due[i] += p - period[i];  // the new period counts from the last send
        }
        period[i] = p > 0 ? p : 0;
      }
    }

    // The earliest deadline of a sender other than the one mid-send.
    int first = -1;
    for (int i = 0; i < count_; ++i)
      if (due[i] != 0 && i != active && (first < 0 || due[i] < due[first])) first = i;

    auto warmLead = [&](int i) -> int64_t {
      return warmUps_ ? senders_[static_cast<std::size_t>(i)]->WarmLead().count() : 0;
    };
    // A sender that asks for a warm-up and has not had it for its next
    // deadline has business with the wire that much earlier.
    auto lead = [&](int i) -> int64_t { return warmed[i] == due[i] ? 0 : warmLead(i); };
    // Where the window before a deadline begins in which nothing long may
    // start: the sender's whole warm-up lead, not only its warm-up. A long
    // send begun after the warm-up that overran (a device or a sleep
    // returning late) would push back the very send the warm-up prepared.
    auto quietFrom = [&](int i) -> int64_t { return due[i] - warmLead(i); };
    auto warmUp = [&](int i) {
      warmed[i] = due[i];
      WireSender* s = senders_[static_cast<std::size_t>(i)];
      if (!s->Enter()) return;
      s->Warm(*f);
      s->Leave();
    };
    auto advance = [&](int i) {
      // Next deadline on the same grid; missed ones are skipped, not caught up.
      due[i] += period[i];
      const int64_t t = Now();
      if (due[i] <= t) due[i] += ((t - due[i]) / period[i] + 1) * period[i];
    };
    auto begin = [&](int i) {
      WireSender* s = senders_[static_cast<std::size_t>(i)];
      advance(i);
      if (!s->Enter()) return;
      sends_.fetch_add(1, std::memory_order_relaxed);
      if (s->Begin(*f)) {
        active = i;
        held = s;
      } else {
        s->Leave();
      }
    };

    // Of the senders due now, short sends go first (then the earliest).
    int pick = -1;
    int64_t pickNeed = 0;
    for (int i = 0; i < count_; ++i) {
      if (due[i] == 0 || i == active || due[i] > now) continue;
      const int64_t need = senders_[static_cast<std::size_t>(i)]->BeginNs(*f);
      if (pick < 0 || ((need == 0) != (pickNeed == 0) ? need == 0 : due[i] < due[pick])) {
        pick = i;
        pickNeed = need;
      }
    }
    if (pick >= 0) {
      // A send that holds the thread lets a deadline just ahead go first.
      int waitFor = -1;
      if (pickNeed > 0)
        for (int i = 0; i < count_; ++i)
          if (i != pick && i != active && due[i] > now && quietFrom(i) <= now + pickNeed + kPartMarginNs &&
              (waitFor < 0 || due[i] < due[waitFor]))
            waitFor = i;
      if (waitFor >= 0) {
        const int64_t at = due[waitFor] - lead(waitFor);
        if (at <= now)
          warmUp(waitFor);
        else
          SleepUntil(at);
        continue;
      }
      begin(pick);
      continue;
    }
    const int64_t next = first >= 0 ? due[first] - lead(first) : kNever;
    if (first >= 0 && next < due[first] && next <= now) {
      warmUp(first);
      continue;
    }
    if (active >= 0) {
      const int64_t limit = first >= 0 ? quietFrom(first) - kPartMarginNs : kNever;
      if (limit != kNever && limit - now < kMinPartNs) {
        SleepUntil(next);
        continue;
      }
      if (!held->Continue(limit)) {
        held->Leave();
        held = nullptr;
        active = -1;
      }
      continue;
    }
    if (first >= 0) {
      SleepUntil(next);
      continue;
    }
    // Nothing to send: sleep until new settings, a poke or Stop come. The
    // count is read before looking for a fresh frame, so a publication
    // between the two cannot be missed.
    const uint32_t seen = wake_.load();
    if (!exchange_.fresh() && !stop_.load(std::memory_order_acquire)) {
      wake_.wait(seen);
      idleWakes_.fetch_add(1, std::memory_order_relaxed);
    }
  }
  if (held) {
    // The last frame goes out whole before the devices close.
    while (held->Continue(kNever)) {
    }
    held->Leave();
  }
}

}  // namespace lumora
