// The play desk's 100 ms level build (Timer3) with all 32 sequences running
// and fading on both sides of a take, alone and as the whole timer event of a
// started desk; and the function-level computation with every button and
// fader in use. Goal: far below the 100 ms period, no allocation.
#include <benchmark/benchmark.h>

#include <memory>

#include "app/console.h"
#include "app/desk.h"
#include "core/desk_state.h"
#include "playback/function_levels.h"
#include "playback/play_runner.h"
#include "playback/playdesk.h"

namespace {

void FillChases(lumora::DeskState& s) {
  for (int i = 0; i < lumora::kRunnerSequences; ++i) {
    auto& c = s.Chases[i];
    c.Steps = 4;
    c.Loop = -1;
    for (int st = 1; st <= 4; ++st) {
      c.Speed[st] = 1.0;
      c.Time[st] = 100.0;  // always inside the fade: the heaviest path
      for (int ch = 0; ch < 24; ++ch) {
        c.Data[st][ch] = static_cast<int16_t>((st * 61 + ch * 13 + i) % 256);
        c.Fade[st][ch] = static_cast<int16_t>(ch % 3 == 0 ? 2 : 1);
      }
    }
    for (int ch = 0; ch < 24; ++ch) c.Channels[ch] = static_cast<int16_t>((i * 2 + ch) % 64);
  }
}

void BM_Timer3Build32Sequences(benchmark::State& st) {
  auto s = std::make_unique<lumora::DeskState>();
  lumora::DeskInitTables(*s);
  FillChases(*s);
  lumora::PlayRunner r;
  std::array<lumora::SequenceWeights, lumora::kRunnerStates> w{};
  for (int i = 0; i < lumora::kRunnerSequences; ++i) {
    r.Start(*s, i);
    r.Step(*s, i);
    w[i] = {static_cast<int16_t>(100 + i), static_cast<int16_t>(200 - i)};
  }
  for (auto _ : st) {
    r.BuildLevels(*s, w, true, 128);
    benchmark::DoNotOptimize(s->PlayChaseLevels.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Timer3Build32Sequences);

void BM_Timer3EventOnTheDesk(benchmark::State& st) {
  lumora::ConsoleDialogs dialogs;
  lumora::DeskOptions o;
  o.manualClock = true;
  o.sim = true;
  lumora::Desk desk(o, dialogs);
  desk.Start();
  auto& s = desk.state;
  FillChases(s);
  auto& pd = desk.playdesk();
  for (int b = 0; b < lumora::kPlayButtons; ++b) {
    s.ButtonFunctions[b].Function = lumora::kFnSequence;
    s.ButtonFunctions[b].Value = static_cast<int16_t>(b % 32);
    s.PlayButtonState[b] = -1;
    s.Screens[2].ButtonSel[b] = -1;
  }
  for (int i = 0; i < lumora::kRunnerSequences; ++i) pd.StartSequence(i);
  s.RunMode = -1;
  s.AutotakeRunning = -1;
  s.LiveScreen = 2;
  s.CrossfadePos = 100;
  for (auto _ : st) {
    pd.Timer3_Timer();
    benchmark::DoNotOptimize(s.PlayChaseLevels.data());
    benchmark::ClobberMemory();
  }
  s.RunMode = 0;
  s.AutotakeRunning = 0;
}
BENCHMARK(BM_Timer3EventOnTheDesk);

void BM_FunctionLevelsEverythingOn(benchmark::State& st) {
  auto s = std::make_unique<lumora::DeskState>();
  lumora::DeskInitTables(*s);
  for (int m = 0; m < 32; ++m)
    for (int j = 0; j < 64; ++j) {
      s->Submixes[m].Channel[j] = static_cast<int16_t>(j + 1);
      s->Submixes[m].Level[j] = static_cast<int16_t>((m * 7 + j) % 256);
    }
  std::array<int16_t, 81> buttons{};
  std::array<int16_t, 61> faders{};
  for (int b = 0; b < lumora::kPlayButtons; ++b) {
    auto& r = s->ButtonFunctions[b];
    r.Function = static_cast<int16_t>(b % 4 == 2 ? lumora::kFnColour : b % 4);
    r.Value = static_cast<int16_t>(b % 32);
    r.Channel1 = static_cast<int16_t>(b % 64 + 1);
    r.Channel2 = static_cast<int16_t>((b + 1) % 64 + 1);
    r.Channel3 = static_cast<int16_t>((b + 2) % 64 + 1);
    r.Data1 = r.Data2 = r.Data3 = 100;
    buttons[b] = -1;
  }
  for (int f = 0; f < lumora::kPlayFaders; ++f) {
    s->FaderFunctions[f].Function = lumora::kFnSubmix;
    s->FaderFunctions[f].Value = static_cast<int16_t>(f % 32);
    faders[f] = static_cast<int16_t>(100 + f);
  }
  for (auto _ : st) {
    lumora::ComputeFunctionLevels(*s, buttons, faders, s->FunctionLevels);
    benchmark::DoNotOptimize(s->FunctionLevels.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_FunctionLevelsEverythingOn);

}  // namespace
