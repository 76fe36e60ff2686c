// Chase stepping and fading, written once. The chase editor (one chase, its
// master, Loop 0 endless: sequences/chase_engine) and the playback desk's 32
// runners (their own timers, speed factors and weights, Loop -1 endless:
// playback/play_runner) both move a chase through its steps and fade each of
// its channels from the step they left towards the step they entered with
// these functions; what differs is passed in.
#pragma once

#include <array>
#include <cstdint>

#include "core/desk_state.h"

namespace lumora {

// Chase channels 0..23 run; the record's last column is spare.
constexpr int kChaseRunChannels = kChaseChannels - 1;
// Per-channel level being output, or its increment per 100 ms tick.
using ChaseLevels = std::array<double, kChaseRunChannels>;

// Prepares every channel for step s entered from step p. Fade channels start
// from p's level; a Fade step with no fade time jumps to its level (there is
// nothing to fade over, and dividing by zero would poison the levels). Step
// channels take s's level; Off channels keep theirs. Step numbers from a
// file or a stale field are limited to the rows.
void ChaseEnterStep(const ChaseRecord& r, int s, int p, ChaseLevels& level, ChaseLevels& increment);

// Prepares step 1 when a runner starts: Fade channels rise from whatever
// level they hold, the others as ChaseEnterStep.
void ChaseEnterFirstStep(const ChaseRecord& r, ChaseLevels& level, ChaseLevels& increment);

// Which Loop value means "endless": the editor's 0, the runners' -1. Any
// other value counts the ends of the list (so the runners' Loop 0 plays once).
enum class ChaseLoopRule { EndlessAtZero, EndlessAtMinusOne };

// Moves `step` on: up to the chase's last step, then back to step 1, counting
// the ends in `loops` unless the chase is endless. Returns false, with `step`
// unchanged, when the counted loops are used up.
bool ChaseNextStep(const ChaseRecord& r, ChaseLoopRule rule, int16_t& step, int16_t& loops);

// One 100 ms fade tick of every channel. The runners keep their levels within
// 0..255; the editor's are unbounded (it limits its output instead).
void ChaseFade(ChaseLevels& level, const ChaseLevels& increment, bool limitLevels);

}  // namespace lumora
