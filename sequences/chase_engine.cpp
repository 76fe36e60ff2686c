#include "sequences/chase_engine.h"

#include <algorithm>

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
  s = Row(s);
  p = Row(p);
  for (int c = 0; c < kChaseUsedChannels; ++c) {
    const auto i = static_cast<std::size_t>(c);
    switch (r.Fade[s][i]) {
      case kChaseFade:
        if (r.Time[s] > 0) {
          ch.level[i] = r.Data[p][i];
          ch.increment[i] = (r.Data[s][i] - r.Data[p][i]) / (r.Time[s] * 10.0);
        } else {
          ch.level[i] = r.Data[s][i];
          ch.increment[i] = 0;
        }
        break;
      case kChaseOff:
        ch.increment[i] = 0;
        break;
      default:
        ch.increment[i] = 0;
        ch.level[i] = r.Data[s][i];
        break;
    }
  }
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
  if (currentStep < r.Steps && currentStep < kChaseSteps - 1) {
    ++currentStep;
  } else {
    if (r.Loop != 0) {
      ++loopCount;
      if (loopCount > r.Loop) return AdvanceResult::EndOfLoops;
    }
    currentStep = 1;
  }
  PrepareStep(r, currentStep, previousStep, ch);
  return AdvanceResult::Continued;
}

bool ChaseEngine::FadeTick(const ChaseRecord& r, int master, std::array<int32_t, 64>& out) {
  if (!running) return false;
  out.fill(0);
  const int s = step(r);
  if (fadeElapsed < r.Time[s]) {
    for (int c = 0; c < kChaseUsedChannels; ++c) {
      const auto i = static_cast<std::size_t>(c);
      ch.level[i] += ch.increment[i];
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
  for (int c = 0; c < kChaseUsedChannels; ++c) {
    const auto k = static_cast<std::size_t>(c);
    switch (r.Fade[1][k]) {
      case kChaseFade:
        // The first step rises from whatever the runner held.
        if (r.Time[1] > 0) {
          ru.ch.increment[k] = r.Data[1][k] / (r.Time[1] * 10.0);
        } else {
          ru.ch.level[k] = r.Data[1][k];
          ru.ch.increment[k] = 0;
        }
        break;
      case kChaseOff:
        ru.ch.increment[k] = 0;
        break;
      default:
        ru.ch.level[k] = r.Data[1][k];
        ru.ch.increment[k] = 0;
        break;
    }
  }
  return period(ru, r.Speed[1]);
}

int32_t SequenceRunner::Step(int i, const ChaseRecord& r) {
  Runner& ru = runner(i);
  ru.fadeElapsed = 0;
  const int p = ru.step;
  if (ru.step < r.Steps && ru.step < kChaseSteps - 1) {
    ++ru.step;
  } else if (r.Loop == -1) {
    ru.step = 1;
  } else {
    ++ru.loopCount;
    if (ru.loopCount > r.Loop) return 0;
    ru.step = 1;
  }
  PrepareStep(r, ru.step, p, ru.ch);
  return period(ru, r.Speed[Row(ru.step)]);
}

void SequenceRunner::Fade(int i, const ChaseRecord& r) {
  Runner& ru = runner(i);
  if (ru.fadeElapsed < r.Time[Row(ru.step)]) {
    for (int c = 0; c < kChaseUsedChannels; ++c) {
      const auto k = static_cast<std::size_t>(c);
      ru.ch.level[k] += ru.ch.increment[k];
    }
    ru.fadeElapsed += 0.1;
  }
}

}  // namespace lumora
