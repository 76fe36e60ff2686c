#include "core/chase_step.h"

#include <algorithm>

namespace lumora {

namespace {
// Channel function codes of ChaseRecord::Fade.
constexpr int16_t kOff = 0;
constexpr int16_t kFade = 1;

// A step number from a file or a stale editor field, limited to the rows.
int Row(int s) { return std::clamp(s, 0, kChaseSteps - 1); }
}  // namespace

void ChaseEnterStep(const ChaseRecord& r, int s, int p, ChaseLevels& level, ChaseLevels& increment) {
  s = Row(s);
  p = Row(p);
  for (int c = 0; c < kChaseRunChannels; ++c) {
    const auto i = static_cast<std::size_t>(c);
    switch (r.Fade[s][i]) {
      case kFade:
        if (r.Time[s] > 0) {
          level[i] = r.Data[p][i];
          increment[i] = (r.Data[s][i] - r.Data[p][i]) / (r.Time[s] * 10.0);
        } else {
          level[i] = r.Data[s][i];
          increment[i] = 0;
        }
        break;
      case kOff:
        increment[i] = 0;
        break;
      default:  // Step
        increment[i] = 0;
        level[i] = r.Data[s][i];
        break;
    }
  }
}

void ChaseEnterFirstStep(const ChaseRecord& r, ChaseLevels& level, ChaseLevels& increment) {
  for (int c = 0; c < kChaseRunChannels; ++c) {
    const auto i = static_cast<std::size_t>(c);
    switch (r.Fade[1][i]) {
      case kFade:
        if (r.Time[1] > 0) {
          increment[i] = r.Data[1][i] / (r.Time[1] * 10.0);
        } else {
          level[i] = r.Data[1][i];
          increment[i] = 0;
        }
        break;
      case kOff:
        increment[i] = 0;
        break;
      default:  // Step
        level[i] = r.Data[1][i];
        increment[i] = 0;
        break;
    }
  }
}

bool ChaseNextStep(const ChaseRecord& r, ChaseLoopRule rule, int16_t& step, int16_t& loops) {
  if (step < r.Steps && step < kChaseSteps - 1) {
    ++step;
    return true;
  }
  const bool endless = r.Loop == (rule == ChaseLoopRule::EndlessAtZero ? 0 : -1);
  if (!endless) {
    ++loops;
    if (loops > r.Loop) return false;
  }
  step = 1;
  return true;
}

void ChaseFade(ChaseLevels& level, const ChaseLevels& increment, bool limitLevels) {
  for (std::size_t i = 0; i < level.size(); ++i) {
    level[i] += increment[i];
    if (limitLevels) level[i] = std::clamp(level[i], 0.0, 255.0);
  }
}

}  // namespace lumora
