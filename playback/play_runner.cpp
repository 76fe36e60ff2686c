#include "playback/play_runner.h"

#include <algorithm>

#include "core/chase_step.h"
#include "core/levels.h"

namespace lumora {

namespace {
int StepsOf(const ChaseRecord& c) { return std::clamp<int>(c.Steps, 1, kChaseSteps - 1); }
}  // namespace

void PlayRunner::Clear() { runs_.fill(SequenceRun{}); }

int PlayRunner::Period(const ChaseRecord& c, int step, int speedPercent) {
  const double speed = c.Speed[static_cast<std::size_t>(std::clamp(step, 0, kChaseSteps - 1))];
  const int32_t p = Nearest32(speedPercent * speed * 10.0 + 1.0);
  return p < 1 ? 1 : p;
}

void PlayRunner::prepare(const ChaseRecord& c, SequenceRun& r, int from, int to) {
  ChaseEnterStep(c, to, from, r.level, r.increment);
}

int PlayRunner::Start(const DeskState& s, int i, int speedPercent) {
  if (!valid(i)) return 0;
  const ChaseRecord& c = s.Chases[static_cast<std::size_t>(i)];
  SequenceRun& r = state(i);
  r.started = true;
  r.stepping = true;
  r.step = 1;
  r.fadeElapsed = 0.0;
  r.loops = 0;
  r.speed = std::max(1, speedPercent);
  ChaseEnterFirstStep(c, r.level, r.increment);
  return Period(c, 1, r.speed);
}

int PlayRunner::Step(const DeskState& s, int i) {
  if (!valid(i) || !state(i).stepping) return 0;
  const ChaseRecord& c = s.Chases[static_cast<std::size_t>(i)];
  SequenceRun& r = state(i);
  r.fadeElapsed = 0.0;
  const int16_t p = static_cast<int16_t>(std::clamp<int>(r.step, 1, StepsOf(c)));
  int16_t next = p;
  if (!ChaseNextStep(c, ChaseLoopRule::EndlessAtMinusOne, next, r.loops)) {
    // The last step's levels hold; its fade must not run again.
    r.stepping = false;
    r.increment.fill(0.0);
    return 0;
  }
  r.step = next;
  prepare(c, r, p, r.step);
  return Period(c, r.step, r.speed);
}

void PlayRunner::Stop(int i) {
  if (!valid(i)) return;
  state(i).started = false;
  state(i).stepping = false;
}

void PlayRunner::BuildLevels(DeskState& s, const std::array<SequenceWeights, kRunnerStates>& w, bool fading,
                             int crossfadePos) {
  s.PlayChaseLevels.fill(0);
  const int x = std::clamp(crossfadePos, 0, 255);
  for (int i = 0; i < kRunnerSequences; ++i) {
    SequenceRun& r = runs_[static_cast<std::size_t>(i)];
    if (!r.started) continue;
    const SequenceWeights& sw = w[static_cast<std::size_t>(i)];
    const bool lit = sw.live > 0 || (fading && sw.target > 0);
    if (!lit) continue;
    const ChaseRecord& c = s.Chases[static_cast<std::size_t>(i)];
    const bool inFade = r.fadeElapsed < c.Time[static_cast<std::size_t>(std::clamp<int>(r.step, 0, kChaseSteps - 1))];
    if (inFade) ChaseFade(r.level, r.increment, true);
    for (int ch = 0; ch < 24; ++ch) {
      const double lv = r.level[ch];
      const int k = c.Channels[static_cast<std::size_t>(ch)];
      if (k < 0 || k >= kDeskChannels) continue;
      const int16_t v = Nearest(lv);
      int out;
      if (fading) {
        out = ScaleLevel(v, static_cast<int16_t>(255 - x), sw.live, 0, 3) +
              ScaleLevel(v, static_cast<int16_t>(x), sw.target, 0, 3);
        if (out > 255) out = 255;
      } else {
        out = ScaleLevel(v, sw.live, 0, 0, 2);
      }
      if (out > s.PlayChaseLevels[static_cast<std::size_t>(k)]) s.PlayChaseLevels[static_cast<std::size_t>(k)] = static_cast<int16_t>(out);
    }
    if (inFade) r.fadeElapsed += 0.1;
  }
}

}  // namespace lumora
