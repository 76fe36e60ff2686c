#include "core/scheduler.h"

#include <algorithm>
#include <chrono>

#include "core/form.h"

namespace lumora {

namespace {
// Events one advance replays in time order. A span that needs more (a
// script's `advance 999999999999`) ends as a sleep does in real time: the
// clock jumps to the end and each timer still due fires once, skipping its
// missed periods, so no due time stays behind the clock.
constexpr long kMaxEventsPerAdvance = 100'000;

int64_t steadyMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
}  // namespace

Scheduler::Scheduler(bool manual) : manual_(manual), origin_(steadyMs()) {}

int64_t Scheduler::now() const { return manual_ ? manualNow_ : steadyMs() - origin_; }

void Scheduler::add(Timer* t) { timers_.push_back(t); }

void Scheduler::watchFd(int fd, std::function<void()> onReadable, bool activity) {
  unwatchFd(fd);
  watches_.push_back(FdWatch{fd, std::move(onReadable), activity});
  if (onWatchesChanged) onWatchesChanged();
}

void Scheduler::unwatchFd(int fd) {
  const auto it = std::remove_if(watches_.begin(), watches_.end(), [fd](const FdWatch& w) { return w.fd == fd; });
  if (it == watches_.end()) return;
  watches_.erase(it, watches_.end());
  if (onWatchesChanged) onWatchesChanged();
}

void Scheduler::fdReadable(int fd) {
  for (const FdWatch& w : watches_) {
    if (w.fd != fd) continue;
    if (w.activity) noteActivity();
    // A copy: the handler may change the watches.
    const std::function<void()> f = w.onReadable;
    if (f) f();
    if (afterFire) afterFire();
    return;
  }
}

void Scheduler::remove(Timer* t) { timers_.erase(std::remove(timers_.begin(), timers_.end(), t), timers_.end()); }

void Scheduler::setResting(bool on) {
  resting_ = on;
  if (!resting_)
    for (Timer* t : timers_) t->restSeen = 0;
  if (onScheduleChanged) onScheduleChanged();
}

void Scheduler::noteActivity() {
  ++activity_;
  // Only a host that rests has resting timers to wake.
  if (resting_ && onScheduleChanged) onScheduleChanged();
}

bool Scheduler::restsNow(const Timer* t) const { return t->restSeen != 0 && t->restSeen == activity_; }

int64_t Scheduler::dueOf(const Timer* t) const {
  if (!restsNow(t)) return t->due;
  return std::max(t->due, t->lastFired + restFallbackMs());
}

void Scheduler::restarted(Timer* t) {
  t->restSeen = 0;
  if (t->Enabled()) {
    t->due = now() + t->Interval();
    t->seq = nextSeq_++;
  }
  if (onScheduleChanged) onScheduleChanged();
}

Timer* Scheduler::earliest(int64_t limit) const {
  Timer* best = nullptr;
  for (Timer* t : timers_) {
    if (!t->Enabled() || t->Interval() <= 0) continue;
    const int64_t d = dueOf(t);
    if (d > limit) continue;
    if (!best || d < dueOf(best) || (d == dueOf(best) && t->seq < best->seq)) best = t;
  }
  return best;
}

void Scheduler::fireOne(Timer* t, int64_t at) {
  // The next period counts from this one's due time; a handler that changes
  // the timer's interval or state restarts it itself.
  t->due = at + t->Interval();
  // A timer woken from rest long after its due time keeps its beat from now
  // instead of replaying the periods it slept through.
  if (t->due <= now()) t->due = now() + t->Interval();
  t->lastFired = at;
  const uint64_t before = activity_;
  const bool fired = t->Fire();
  if (fired) {
    // mayRest answers whether this event changed nothing other timers
    // compute from and the next would only repeat it; a passive timer's
    // events never change such things. Either way it wakes nobody.
    const bool rests = resting_ && t->mayRest && t->mayRest();
    t->restSeen = rests ? before : 0;
    if (!rests && !t->passive) ++activity_;
  }
  if (afterFire) afterFire();
}

void Scheduler::advance(int64_t ms) {
  if (ms < 0) ms = 0;
  const int64_t target = manualNow_ + ms;
  long events = 0;
  for (; events < kMaxEventsPerAdvance; ++events) {
    Timer* t = earliest(target);
    if (!t) break;
    const int64_t at = dueOf(t);
    manualNow_ = std::max(manualNow_, at);
    fireOne(t, at);
  }
  // A nested advance (a dialog inside a handler) may already have gone further.
  manualNow_ = std::max(manualNow_, target);
  // Too long to replay: the rest passes as a sleep (runDue reads the manual
  // clock here, and applies the real-time catch-up rule).
  if (events == kMaxEventsPerAdvance) {
    runDue();
    return;
  }
  if (onScheduleChanged) onScheduleChanged();
}

long Scheduler::runAsHostFor(int64_t ms) {
  const int64_t end = now() + ms;
  long wakes = 0;
  playingHost_ = true;
  for (auto due = nextDue(); manual_ && due && *due < end; due = nextDue(), ++wakes) {
    manualNow_ = std::max(manualNow_, *due);
    runDue();
  }
  if (manual_) manualNow_ = std::max(manualNow_, end);
  playingHost_ = false;
  return wakes;
}

void Scheduler::runDue() {
  const int64_t n = now();
  // Each timer fires at most once per call: a late timer does not burst.
  std::vector<Timer*> due;
  for (Timer* t : timers_)
    if (t->Enabled() && t->Interval() > 0 && dueOf(t) <= n) due.push_back(t);
  // The host is awake for these: timers due in a moment come along rather
  // than waking it again — a resting timer whose fallback is near, and on a
  // host's clock any other timer due within its early allowance (it keeps
  // its beat: the next period counts from the due time it had).
  const bool awake = !due.empty();
  const bool hostClock = !manual_ || playingHost_;
  auto comesAlong = [&](const Timer* t) {
    if (!awake) return false;
    if (restsNow(t)) return t->due <= n && dueOf(t) - n < restFallbackMs() / 2;
    return hostClock && !t->exact && t->due > n && t->due - n <= EarlyAllowanceMs(t->Interval());
  };
  for (Timer* t : timers_)
    if (t->Enabled() && t->Interval() > 0 && dueOf(t) > n && comesAlong(t)) due.push_back(t);
  std::sort(due.begin(), due.end(), [this](Timer* a, Timer* b) {
    const int64_t da = dueOf(a), db = dueOf(b);
    return da != db ? da < db : a->seq < b->seq;
  });
  for (Timer* t : due) {
    if (std::find(timers_.begin(), timers_.end(), t) == timers_.end()) continue;  // removed meanwhile
    if (!t->Enabled() || (dueOf(t) > n && !comesAlong(t))) continue;  // changed meanwhile
    int64_t at = t->due;
    // More than one period behind (a busy handler, a machine waking from
    // sleep, a clock jump): the missed periods are skipped, not replayed.
    if (at + t->Interval() <= n) at = n;
    fireOne(t, at);
  }
  if (onScheduleChanged) onScheduleChanged();
}

std::optional<int64_t> Scheduler::nextDue() const {
  std::optional<int64_t> best;
  for (Timer* t : timers_) {
    if (!t->Enabled() || t->Interval() <= 0 || t->running()) continue;
    const int64_t d = dueOf(t);
    if (!best || d < *best) best = d;
  }
  return best;
}

}  // namespace lumora
