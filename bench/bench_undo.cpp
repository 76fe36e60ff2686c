// The undo history's snapshot on a maximal show (every table full, every
// fixture type named): what each operator act costs when it ends. Goal: an
// act that changes a record at most 50 µs, so it never delays the tick.
#include <benchmark/benchmark.h>

#include "core/show_history.h"
#include "tests/test_project_shows.h"

namespace {

void FullShow(lumora::DeskState& s) {
  lumora::testing::MaximalShow(s);
  for (int fx = 0; fx < lumora::kFixtureTypes; ++fx) {
    s.FixtureName[fx] = "Fixture type " + std::to_string(fx);
    for (int f = 0; f < 4; ++f)
      for (int k = 0; k < 21; ++k) {
        s.FixtureButtonText[fx][f][k] = "Gobo " + std::to_string(k);
        s.FixtureColour[fx][f][k] = std::to_string(fx * 1000 + k);
        s.FixtureLow[fx][f][k] = static_cast<int16_t>(k * 12);
        s.FixtureHigh[fx][f][k] = static_cast<int16_t>(k * 12 + 11);
      }
  }
}

// An act that changed no programming (a fader move, a page turn): the whole
// show is compared and nothing is kept.
void BM_UndoSnapshotNoChange(benchmark::State& st) {
  lumora::DeskState s;
  FullShow(s);
  lumora::ShowHistory h;
  h.Reset(s);
  for (auto _ : st) benchmark::DoNotOptimize(h.Capture(s, "none"));
}
BENCHMARK(BM_UndoSnapshotNoChange)->Unit(benchmark::kMicrosecond);

// Recording one screen: the compare plus a copy of that screen.
void BM_UndoSnapshotRecordScreen(benchmark::State& st) {
  lumora::DeskState s;
  FullShow(s);
  lumora::ShowHistory h;
  h.Reset(s);
  int16_t v = 0;
  for (auto _ : st) {
    s.Screens[120].Preset[7] = ++v;
    benchmark::DoNotOptimize(h.Capture(s, "Record Screen 120"));
  }
  st.counters["ring_bytes"] = static_cast<double>(h.Bytes());
}
BENCHMARK(BM_UndoSnapshotRecordScreen)->Unit(benchmark::kMicrosecond);

// One chase step level: the compare plus a copy of that chase.
void BM_UndoSnapshotChaseLevel(benchmark::State& st) {
  lumora::DeskState s;
  FullShow(s);
  lumora::ShowHistory h;
  h.Reset(s);
  int16_t v = 0;
  for (auto _ : st) {
    s.Chases[17].Data[9][3] = static_cast<int16_t>(++v & 255);
    benchmark::DoNotOptimize(h.Capture(s, "Level"));
  }
  st.counters["ring_bytes"] = static_cast<double>(h.Bytes());
}
BENCHMARK(BM_UndoSnapshotChaseLevel)->Unit(benchmark::kMicrosecond);

// A load of a different maximal show: every record is new.
void BM_UndoSnapshotWholeShow(benchmark::State& st) {
  lumora::DeskState a, b;
  FullShow(a);
  FullShow(b);
  for (auto& r : b.Screens) r.Name += " b";
  for (auto& r : b.Chases) r.Name += " b";
  for (auto& r : b.ChannelInfo) r.Name += " b";
  lumora::ShowHistory h;
  h.Reset(a);
  bool flip = false;
  for (auto _ : st) {
    flip = !flip;
    benchmark::DoNotOptimize(h.Capture(flip ? b : a, "Load Project"));
  }
  st.counters["ring_bytes"] = static_cast<double>(h.Bytes());
}
BENCHMARK(BM_UndoSnapshotWholeShow)->Unit(benchmark::kMicrosecond);

// Undo and redo of one screen: the records written back.
void BM_UndoStepScreen(benchmark::State& st) {
  lumora::DeskState s;
  FullShow(s);
  lumora::ShowHistory h;
  h.Reset(s);
  s.Screens[120].Preset[7] = 1;
  h.Capture(s, "Record Screen 120");
  for (auto _ : st) {
    h.Undo(s);
    h.Redo(s);
  }
}
BENCHMARK(BM_UndoStepScreen)->Unit(benchmark::kMicrosecond);

}  // namespace
