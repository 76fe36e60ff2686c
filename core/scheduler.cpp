#include "core/scheduler.h"

#include <algorithm>
#include <chrono>

#include "core/form.h"

namespace lumora {

namespace {
int64_t steadyMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
}  // namespace

Scheduler::Scheduler(bool manual) : manual_(manual), origin_(steadyMs()) {}

int64_t Scheduler::now() const { return manual_ ? manualNow_ : steadyMs() - origin_; }

void Scheduler::add(Timer* t) { timers_.push_back(t); }

void Scheduler::remove(Timer* t) { timers_.erase(std::remove(timers_.begin(), timers_.end(), t), timers_.end()); }

void Scheduler::restarted(Timer* t) {
  if (t->Enabled()) {
    t->due = now() + t->Interval();
    t->seq = nextSeq_++;
  }
  if (onScheduleChanged) onScheduleChanged();
}

Timer* Scheduler::earliest(int64_t limit) const {
  Timer* best = nullptr;
  for (Timer* t : timers_) {
    if (!t->Enabled() || t->Interval() <= 0 || t->due > limit) continue;
    if (!best || t->due < best->due || (t->due == best->due && t->seq < best->seq)) best = t;
  }
  return best;
}

void Scheduler::fireOne(Timer* t, int64_t at) {
  // The next period counts from this one's due time; a handler that changes
  // the timer's interval or state restarts it itself.
  t->due = at + t->Interval();
  if (!t->running()) t->Fire();
  if (afterFire) afterFire();
}

void Scheduler::advance(int64_t ms) {
  if (ms < 0) ms = 0;
  const int64_t target = manualNow_ + ms;
  // Bounded so that a pathological interval set cannot spin forever.
  for (long guard = 0; guard < 50'000'000; ++guard) {
    Timer* t = earliest(target);
    if (!t) break;
    manualNow_ = std::max(manualNow_, t->due);
    fireOne(t, t->due);
  }
  // A nested advance (a dialog inside a handler) may already have gone further.
  manualNow_ = std::max(manualNow_, target);
  if (onScheduleChanged) onScheduleChanged();
}

void Scheduler::runDue() {
  const int64_t n = now();
  // Each timer fires at most once per call: a late timer does not burst.
  std::vector<Timer*> due;
  for (Timer* t : timers_)
    if (t->Enabled() && t->Interval() > 0 && t->due <= n) due.push_back(t);
  std::sort(due.begin(), due.end(), [](Timer* a, Timer* b) { return a->due != b->due ? a->due < b->due : a->seq < b->seq; });
  for (Timer* t : due) {
    if (std::find(timers_.begin(), timers_.end(), t) == timers_.end()) continue;  // removed meanwhile
    if (!t->Enabled() || t->due > n) continue;                                     // changed meanwhile
    int64_t at = t->due;
    if (at + t->Interval() <= n) at = n;  // fell behind: skip missed periods
    fireOne(t, at);
  }
  if (onScheduleChanged) onScheduleChanged();
}

std::optional<int64_t> Scheduler::nextDue() const {
  std::optional<int64_t> best;
  for (Timer* t : timers_) {
    if (!t->Enabled() || t->Interval() <= 0 || t->running()) continue;
    if (!best || t->due < *best) best = t->due;
  }
  return best;
}

}  // namespace lumora
