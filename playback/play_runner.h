// The play desk's own sequence runner: up to 32 chases started by screens,
// buttons and faders, each stepped by its own timer, faded and weighted on
// the play desk's 100 ms level timer into PlayChaseLevels. It is independent
// of the chase editor's engine and works straight on the Chases table.
#pragma once

#include <array>
#include <cstdint>

#include "core/desk_state.h"

namespace lumora {

constexpr int kRunnerSequences = 32;  // sequences 0..31 have a step timer
constexpr int kRunnerStates = 33;     // one state per chase, 32 is never run

struct SequenceRun {
  bool started = false;     // started and not stopped (its levels may show)
  bool stepping = false;    // its step timer runs
  int16_t step = 1;
  int16_t loops = 0;
  double fadeElapsed = 0.0;
  int speed = 100;          // step-time factor in percent
  std::array<double, 24> increment{};
  std::array<double, 24> level{};
};

// Level weights of one sequence for the level build: the level it has on the
// live side and in the target screen of a running take.
struct SequenceWeights {
  int16_t live = 0;
  int16_t target = 0;
};

class PlayRunner {
 public:
  // Every state back to 0 (run mode entry, desk reset).
  void Clear();
  bool valid(int i) const { return i >= 0 && i < kRunnerSequences; }
  const SequenceRun& state(int i) const { return runs_[static_cast<std::size_t>(i)]; }
  SequenceRun& state(int i) { return runs_[static_cast<std::size_t>(i)]; }
  bool running(int i) const { return valid(i) && state(i).stepping; }

  // Starts sequence i from its first step; returns the step timer period in
  // ms, or 0 when i names no runnable sequence.
  int Start(const DeskState& s, int i, int speedPercent = 100);
  // One step tick; returns the next period, or 0 when the counted loops are
  // done (the timer stops, the levels hold).
  int Step(const DeskState& s, int i);
  // Stops it: no more steps, no more output.
  void Stop(int i);

  // Whether any sequence is started (else a level tick only clears).
  bool anyStarted() const {
    for (const SequenceRun& r : runs_)
      if (r.started) return true;
    return false;
  }
  // One 100 ms level tick: advances the fades of every started sequence
  // that has a level, clears PlayChaseLevels and merges every started
  // sequence into it by highest level. While fading, live and target
  // levels are weighted by the crossfade position.
  void BuildLevels(DeskState& s, const std::array<SequenceWeights, kRunnerStates>& w, bool fading,
                   int crossfadePos);

  // Step timer period of step `step` at a speed factor (ms, at least 1).
  static int Period(const ChaseRecord& c, int step, int speedPercent);

 private:
  void prepare(const ChaseRecord& c, SequenceRun& r, int from, int to);
  std::array<SequenceRun, kRunnerStates> runs_{};
};

}  // namespace lumora
