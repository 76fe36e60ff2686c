// Fires the model timers. One scheduler per desk; its time is either the
// manual clock (tests, --manual-clock) or the steady clock (hosts).
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace lumora {

class Timer;

class Scheduler {
 public:
  explicit Scheduler(bool manual);

  bool manual() const { return manual_; }
  // Current time in ms (manual: the advanced time; else the steady clock).
  int64_t now() const;

  void add(Timer* t);
  void remove(Timer* t);
  // Called by a timer whose Enabled or Interval changed.
  void restarted(Timer* t);

  // Manual clock: moves time on by ms, firing every enabled timer whose time
  // comes, in time order (ties in the order the timers were enabled).
  void advance(int64_t ms);
  // Real time: fires every timer that is due now. Safe to call from inside a
  // timer handler (a nested event loop): a running timer is skipped.
  void runDue();
  // Manual clock: plays a real-time host for ms (the clock jumps to each
  // next due time, then runDue) and returns how often it woke, for tests of
  // the hosts' wake-ups.
  long runAsHostFor(int64_t ms);
  // On a host's clock a timer due this soon after a wake-up fires with it
  // (unless it is exact): a quarter of its period, at most 10 ms.
  static constexpr int64_t kMaxEarlyMs = 10;
  static int64_t EarlyAllowanceMs(int intervalMs) { return std::min<int64_t>(kMaxEarlyMs, intervalMs / 4); }
  // Earliest due time of an enabled timer.
  std::optional<int64_t> nextDue() const;
  // The steady clock's reading (ms) at time 0, so a host can wake on the
  // exact steady-clock instant a due time names.
  int64_t steadyOriginMs() const { return origin_; }

  // File descriptors a real-time host waits on beside the timers, so data
  // arrival costs no polling: the host calls fdReadable when one is readable,
  // on the UI thread between other events. A manual clock has no such host;
  // owners poll with a timer there.
  struct FdWatch {
    int fd;
    std::function<void()> onReadable;
    bool activity = true;  // what arrives may change what resting timers compute
  };
  bool watchesFds() const { return !manual_; }
  void watchFd(int fd, std::function<void()> onReadable, bool activity = true);
  void unwatchFd(int fd);
  const std::vector<FdWatch>& fdWatches() const { return watches_; }
  void fdReadable(int fd);
  // Told when the set of watched descriptors changes.
  std::function<void()> onWatchesChanged;

  // Resting (real-time hosts): a timer that may rest (Timer::mayRest) is not
  // due again until something happens that could change what it computes —
  // another timer's event, readable data, an operator's input or a console
  // command, which hosts report with noteActivity. An idle desk then wakes
  // only for what it must do; at worst a resting timer still fires every
  // kRestFallbackMs (kViewlessRestFallbackMs where no view shows the desk:
  // nobody sees a repeat there, and the safety net costs a wake-up). A
  // resting timer whose fallback is less than half of it away goes with the
  // timers a host wakes for anyway instead of waking it again. Only hosts
  // switch resting on (the manual clock of scripts and tests keeps every
  // event unless a test asks).
  static constexpr int64_t kRestFallbackMs = 1000;
  static constexpr int64_t kViewlessRestFallbackMs = 5000;
  int64_t restFallbackMs() const { return viewless_ ? kViewlessRestFallbackMs : kRestFallbackMs; }
  void setResting(bool on);
  bool resting() const { return resting_; }
  void noteActivity();
  // No view draws the desk (the headless host): timers that only keep a
  // light blinking may rest too.
  void setViewless(bool on) { viewless_ = on; }
  bool viewless() const { return viewless_; }

  // Told whenever the schedule may have moved (hosts re-arm their wake-up).
  std::function<void()> onScheduleChanged;
  // Called after every timer event (hosts repaint views).
  std::function<void()> afterFire;

 private:
  Timer* earliest(int64_t limit) const;
  int64_t dueOf(const Timer* t) const;
  // Whether t rests now: due only at its fallback.
  bool restsNow(const Timer* t) const;
  void fireOne(Timer* t, int64_t at);

  bool manual_;
  int64_t manualNow_ = 0;
  int64_t origin_ = 0;
  uint64_t nextSeq_ = 1;
  std::vector<Timer*> timers_;
  std::vector<FdWatch> watches_;
  bool resting_ = false;
  bool viewless_ = false;
  bool playingHost_ = false;
  uint64_t activity_ = 1;
};

}  // namespace lumora
