#include "sequences/chase_engine.h"

#include <algorithm>

#include "core/chase_step.h"
#include "core/levels.h"

namespace lumora {

namespace {
// A step number from a file or a stale editor field, limited to the rows.
int Row(int s) { return std::clamp(s, 0, kChaseSteps - 1); }
}  // namespace

int32_t StepPeriodMs(double speed) {
  const int32_t ms = Nearest32(speed * 1000.0 + 1.0);
  return ms < 1 ? 1 : ms;
}

void PrepareStep(const ChaseRecord& r, int s, int p, ChaseChannels& ch) {
  ChaseEnterStep(r, s, p, ch.level, ch.increment);
}

int ChaseEngine::step(const ChaseRecord&) const { return Row(currentStep); }

void ChaseEngine::Start(const ChaseRecord& r) {
  running = true;
  live = false;
  loopCount = 0;
  if (r.Loop == 0) {
    currentStep = 1;
    previousStep = 1;
  }
  PrepareStep(r, currentStep, previousStep, ch);
}

ChaseEngine::AdvanceResult ChaseEngine::Advance(const ChaseRecord& r) {
  previousStep = currentStep;
  fadeElapsed = 0;
  stepElapsed = 0;
  if (!ChaseNextStep(r, ChaseLoopRule::EndlessAtZero, currentStep, loopCount)) return AdvanceResult::EndOfLoops;
  PrepareStep(r, currentStep, previousStep, ch);
  return AdvanceResult::Continued;
}

bool ChaseEngine::FadeTick(const ChaseRecord& r, int master, std::array<int32_t, 64>& out) {
  if (!running) return false;
  out.fill(0);
  const int s = step(r);
  if (fadeElapsed < r.Time[s]) {
    ChaseFade(ch.level, ch.increment, false);
    for (int c = 0; c < kChaseUsedChannels; ++c) {
      const auto i = static_cast<std::size_t>(c);
      const double v = master * ch.level[i] / 255.0;
      // A channel number from a file outside 0..63 has no output slot.
      const int k = r.Channels[i];
      if (k < 0 || k > 63) continue;
      auto& slot = out[static_cast<std::size_t>(k)];
      if (v > slot) slot = Nearest32(v);
      if (slot > 255) slot = 255;
    }
    fadeElapsed += 0.1;
  }
  stepElapsed += 0.1;
  return true;
}

int ChaseEngine::FadeBar(const ChaseRecord& r) const {
  return Nearest32(fadeElapsed * 100.0 / (r.Time[step(r)] + 0.1) + 1.0);
}
int ChaseEngine::StepBar(const ChaseRecord& r) const {
  return Nearest32(stepElapsed * 100.0 / (r.Speed[step(r)] + 0.1) + 1.0);
}

int32_t SequenceRunner::period(const Runner& ru, double speed) const {
  const int32_t ms = Nearest32(ru.speedPercent * speed * 10.0 + 1.0);
  return ms < 1 ? 1 : ms;
}

int32_t SequenceRunner::Start(int i, const ChaseRecord& r, int speedPercent) {
  Runner& ru = runner(i);
  ru.step = 1;
  ru.fadeElapsed = 0;
  ru.loopCount = 0;
  ru.speedPercent = speedPercent;
  ChaseEnterFirstStep(r, ru.ch.level, ru.ch.increment);
  return period(ru, r.Speed[1]);
}

int32_t SequenceRunner::Step(int i, const ChaseRecord& r) {
  Runner& ru = runner(i);
  ru.fadeElapsed = 0;
  const int p = ru.step;
  if (!ChaseNextStep(r, ChaseLoopRule::EndlessAtMinusOne, ru.step, ru.loopCount)) return 0;
  PrepareStep(r, ru.step, p, ru.ch);
  return period(ru, r.Speed[Row(ru.step)]);
}

void SequenceRunner::Fade(int i, const ChaseRecord& r) {
  Runner& ru = runner(i);
  if (ru.fadeElapsed < r.Time[Row(ru.step)]) {
    ChaseFade(ru.ch.level, ru.ch.increment, false);
    ru.fadeElapsed += 0.1;
  }
}

}  // namespace lumora
