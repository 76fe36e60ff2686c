// One chase fade tick: 24 chase channels fading into the 64 chase levels,
// then the output tick that merges them. Goal: a small fraction of the
// 100 ms period, no allocation.
#include <benchmark/benchmark.h>

#include <memory>

#include "core/desk_state.h"
#include "core/output_tick.h"
#include "sequences/chase_engine.h"

namespace {

std::unique_ptr<lumora::DeskState> chaseDesk() {
  auto s = std::make_unique<lumora::DeskState>();
  lumora::DeskInitTables(*s);
  lumora::InitChasesAtStart(*s);
  auto& r = s->Chases[0];
  r.Steps = 2;
  for (int st = 1; st <= 2; ++st) {
    r.Time[st] = 1e9;  // the fade never ends, so every tick does the full work
    for (int c = 0; c < 24; ++c) {
      r.Data[st][c] = static_cast<int16_t>((st * 97 + c * 13) % 256);
      r.Fade[st][c] = c % 4 == 3 ? lumora::kChaseStep : lumora::kChaseFade;
      r.Channels[c] = static_cast<int16_t>((c * 5) % 62);  // some channels share a slot
    }
  }
  return s;
}

void BM_ChaseFadeTick(benchmark::State& st) {
  auto s = chaseDesk();
  lumora::ChaseEngine eng;
  eng.Start(s->Chases[0]);
  eng.Advance(s->Chases[0]);
  std::array<int32_t, 64> out{};
  for (auto _ : st) {
    eng.FadeTick(s->Chases[0], 200, out);
    s->ChaseLevels = out;
    benchmark::DoNotOptimize(s->ChaseLevels.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ChaseFadeTick);

void BM_ChaseFadeTickWithOutputTick(benchmark::State& st) {
  auto s = chaseDesk();
  lumora::ChaseEngine eng;
  eng.Start(s->Chases[0]);
  eng.Advance(s->Chases[0]);
  std::array<int32_t, 64> out{};
  lumora::TickMasters m{0, 0, 0, 0};
  for (auto _ : st) {
    eng.FadeTick(s->Chases[0], 255, out);
    s->ChaseLevels = out;
    lumora::MixFrame(*s, m);
    benchmark::DoNotOptimize(s->DmxFrame.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ChaseFadeTickWithOutputTick);

}  // namespace
