#include "playback/play_runner.h"

#include <algorithm>

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
  const auto& src = c.Data[static_cast<std::size_t>(from)];
  const auto& dst = c.Data[static_cast<std::size_t>(to)];
  const double time = c.Time[static_cast<std::size_t>(to)];
  for (int ch = 0; ch < 24; ++ch) {
    switch (c.Fade[static_cast<std::size_t>(to)][static_cast<std::size_t>(ch)]) {
      case 0:  // Off: holds what it had
        r.increment[ch] = 0.0;
        break;
      case 1:  // Fade
        r.level[ch] = src[ch];
        if (time > 0.0) {
          r.increment[ch] = (dst[ch] - src[ch]) / (time * 10.0);
        } else {
          // No fade time: the step is reached at once instead of dividing by 0.
          r.level[ch] = dst[ch];
          r.increment[ch] = 0.0;
        }
        break;
      default:  // Step
        r.level[ch] = dst[ch];
        r.increment[ch] = 0.0;
        break;
    }
  }
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
  const double time = c.Time[1];
  for (int ch = 0; ch < 24; ++ch) {
    const int16_t d = c.Data[1][static_cast<std::size_t>(ch)];
    switch (c.Fade[1][static_cast<std::size_t>(ch)]) {
      case 0:
        r.increment[ch] = 0.0;
        break;
      case 1:  // rises from the level it has
        if (time > 0.0) {
          r.increment[ch] = d / (time * 10.0);
        } else {
          r.level[ch] = d;
          r.increment[ch] = 0.0;
        }
        break;
      default:
        r.level[ch] = d;
        r.increment[ch] = 0.0;
        break;
    }
  }
  return Period(c, 1, r.speed);
}

int PlayRunner::Step(const DeskState& s, int i) {
  if (!valid(i) || !state(i).stepping) return 0;
  const ChaseRecord& c = s.Chases[static_cast<std::size_t>(i)];
  SequenceRun& r = state(i);
  r.fadeElapsed = 0.0;
  const int p = std::clamp<int>(r.step, 1, StepsOf(c));
  if (p < StepsOf(c)) {
    r.step = static_cast<int16_t>(p + 1);
  } else if (c.Loop == -1) {
    r.step = 1;
  } else {
    ++r.loops;
    if (r.loops > c.Loop) {
      // The last step's levels hold; its fade must not run again.
      r.stepping = false;
      r.increment.fill(0.0);
      return 0;
    }
    r.step = 1;
  }
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
    for (int ch = 0; ch < 24; ++ch) {
      double& lv = r.level[ch];
      if (inFade) lv = std::clamp(lv + r.increment[ch], 0.0, 255.0);
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
