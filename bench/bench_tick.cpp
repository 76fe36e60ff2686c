// One output tick: desk mode with every source active, and run mode while
// fading. Goal: well under 1 microsecond, no allocation.
#include <benchmark/benchmark.h>

#include <memory>

#include "core/desk_state.h"
#include "core/output_tick.h"

namespace {

std::unique_ptr<lumora::DeskState> busyDesk() {
  auto s = std::make_unique<lumora::DeskState>();
  lumora::DeskInitTables(*s);
  for (int i = 0; i < 64; ++i) {
    s->DeskLevels[i] = static_cast<int16_t>((i * 37) % 256);
    s->ChaseLevels[i] = (i * 11) % 256;
    s->PlayChaseLevels[i] = static_cast<int16_t>((i * 5) % 256);
    s->FunctionLevels[i] = static_cast<int16_t>((i * 3) % 256);
    s->ScreenFunctionLevels[i] = static_cast<int16_t>((i * 7) % 256);
    s->Screens[3].Preset[i] = static_cast<int16_t>(255 - i);
    s->ChannelInfo[i].Cross_F = (i % 5 == 0) ? -1 : 0;
    s->ChannelInfo[i].Main_F = (i % 7 == 0) ? -1 : 0;
  }
  for (int j = 0; j < 64; ++j) {
    s->Submixes[0].Channel[j] = static_cast<int16_t>(j + 1);
    s->Submixes[0].Level[j] = static_cast<int16_t>(200 - j);
  }
  for (int k = 0; k < 512; ++k) s->PatchTable[k] = static_cast<int16_t>(k % 65);
  s->Screens[3].PresetLevel = 230;
  return s;
}

void BM_TickDeskMode(benchmark::State& st) {
  auto s = busyDesk();
  lumora::TickMasters m{20, 40, 10, 0};
  for (auto _ : st) {
    lumora::MixFrame(*s, m);
    benchmark::DoNotOptimize(s->DmxFrame.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_TickDeskMode);

void BM_TickRunModeFading(benchmark::State& st) {
  auto s = busyDesk();
  s->RunMode = -1;
  s->AutotakeRunning = -1;
  s->LiveScreen = 3;
  s->CrossfadePos = 128;
  lumora::TickMasters m{0, 255, 10, 30};
  for (auto _ : st) {
    lumora::MixFrame(*s, m);
    benchmark::DoNotOptimize(s->DmxFrame.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_TickRunModeFading);

}  // namespace

namespace {
void BM_PatchOnly(benchmark::State& st) {
  auto s = busyDesk();
  std::array<int16_t, 65> out{};
  for (auto _ : st) {
    lumora::PatchFrame(*s, out);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_PatchOnly);
}  // namespace
