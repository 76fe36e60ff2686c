// Chase stepping shared by the chase editor and the playback desk's sequence
// runner. Both advance a chase through its steps and fade each of the 24
// chase channels from the previous step's level towards the current one; they
// differ in who owns the timers, the loop rule and the master.
//
// API overview
//   StepPeriodMs(speed)            step timer period of the editor, ms
//   PrepareStep(r, s, p, ch)       set up the fades of step s coming from p
//   ChaseEngine                    the editor's running state (one chase):
//     Start(r)                     Go pressed: reset loop count, prepare
//     Advance(r)                   step timer tick; returns EndOfLoops when
//                                  the counted loops are used up (caller stops)
//     FadeTick(r, master, out)     100 ms tick: writes the 64 chase levels
//                                  (whole array, highest wins) into `out`
//   SequenceRunner                 the playback desk's 32 runners; the caller
//                                  owns the timers (Playdesk Timer1(i)) and
//                                  sets their period from the return values:
//     Start(i, r, speedPercent)    returns the first period in ms
//     Step(i, r)                   returns the next period, or 0 = stop timer
//     Fade(i, r)                   one 100 ms fade step of runner i
//     Level(i, c)                  current level of chase channel c (double)
// All functions are allocation-free and run on the user-interface thread.
#pragma once

#include <array>
#include <cstdint>

#include "core/desk_state.h"

namespace lumora {

constexpr int kChaseUsedChannels = 24;  // chase channels 0..23
constexpr int kPlainChaseChannels = 18; // 0..17 have faders; 18..23 moving light

// Channel function codes held in ChaseRecord::Fade.
enum ChaseFunction : int16_t { kChaseOff = 0, kChaseFade = 1, kChaseStep = 2 };

// Per-channel fade state: the level being output and its increment per tick.
struct ChaseChannels {
  std::array<double, kChaseUsedChannels> level{};
  std::array<double, kChaseUsedChannels> increment{};
};

// Editor step period: Speed x 1000 + 1 ms, nearest, ties to even; never
// below 1 ms (a negative time from a file would stall the timer).
int32_t StepPeriodMs(double speed);

// Prepares every chase channel for step s entered from step p. Fade channels
// start from p's level; a Fade step with no fade time jumps to its level
// (there is nothing to fade over, and dividing by zero would poison the
// levels). Step channels take s's level; Off channels keep theirs.
void PrepareStep(const ChaseRecord& r, int s, int p, ChaseChannels& ch);

// The chase editor's engine: current step, elapsed times, loop count.
class ChaseEngine {
 public:
  enum class AdvanceResult { Continued, EndOfLoops };

  int16_t currentStep = 1;
  int16_t previousStep = 1;
  ChaseChannels ch;
  double fadeElapsed = 0.1;  // as when the editor opens
  double stepElapsed = 0.0;
  int16_t loopCount = 0;
  bool running = false;
  bool live = false;

  // Go: counted chases resume where they stand, endless ones from step 1.
  void Start(const ChaseRecord& r);
  // Step timer tick. On EndOfLoops nothing else changed (the caller stops).
  AdvanceResult Advance(const ChaseRecord& r);
  // Fade timer tick (only while running): the chase output scaled by the
  // master (0..255) into `out`, each slot the highest channel mapped to it.
  // Returns false when not running (out untouched).
  bool FadeTick(const ChaseRecord& r, int master, std::array<int32_t, 64>& out);
  // Progress of the current step for the two bars (0..100+).
  int FadeBar(const ChaseRecord& r) const;
  int StepBar(const ChaseRecord& r) const;

 private:
  int step(const ChaseRecord& r) const;  // current step limited to the table
};

// The playback desk's sequence runners, one per chase 0..31. Independent of
// the editor: no master, its own loop rule (Loop -1 endless, else n counted
// ends, so Loop 0 plays the list once) and a speed factor in percent.
class SequenceRunner {
 public:
  static constexpr int kRunners = 32;
  struct Runner {
    int16_t step = 1;
    int16_t loopCount = 0;
    double fadeElapsed = 0.0;
    int speedPercent = 100;
    ChaseChannels ch;
  };

  // Starts runner i on step 1; returns the step timer period in ms.
  int32_t Start(int i, const ChaseRecord& r, int speedPercent = 100);
  // Step timer tick of runner i: the next period in ms, or 0 when the
  // runner's loops are done (stop its timer and refresh the play desk).
  int32_t Step(int i, const ChaseRecord& r);
  // One 100 ms fade step: levels grow while the fade time lasts.
  void Fade(int i, const ChaseRecord& r);
  double Level(int i, int c) const { return runners_.at(static_cast<std::size_t>(i)).ch.level[static_cast<std::size_t>(c)]; }
  Runner& runner(int i) { return runners_.at(static_cast<std::size_t>(i)); }

 private:
  int32_t period(const Runner& ru, double speed) const;
  std::array<Runner, kRunners> runners_{};
};

}  // namespace lumora
