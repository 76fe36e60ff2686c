// The output tick with the output monitor shown: the mix, the bar writes of
// the page shown and the send. Goal: a small share of the shortest (10 ms)
// tick; the bar writes cost only where the frame changed.
#include <benchmark/benchmark.h>

#include <memory>

#include "app/console.h"
#include "app/desk.h"
#include "desk/hoofdblad.h"
#include "desk/realout.h"

namespace {

struct MonitorDesk {
  lumora::ConsoleDialogs dialogs;
  std::unique_ptr<lumora::Desk> desk;

  explicit MonitorDesk(bool monitorShown) {
    lumora::DeskOptions o;
    o.manualClock = true;
    o.sim = true;
    desk = std::make_unique<lumora::Desk>(o, dialogs);
    desk->Start();
    auto& s = desk->state;
    for (int k = 0; k < 512; ++k) s.PatchTable[k] = static_cast<int16_t>(k % 64 + 1);
    desk->hoofdblad().channels.setValue(0);
    desk->hoofdblad().Submix.setValue(0);
    if (monitorShown) desk->realout().Show();
  }
  // Moves every desk channel, so every bar of the page changes.
  void moveAll(int step) {
    for (int i = 0; i < 64; ++i) desk->state.DeskLevels[i] = static_cast<int16_t>((i * 37 + step) % 256);
  }
};

void BM_TickMonitorHidden(benchmark::State& st) {
  MonitorDesk d(false);
  int step = 0;
  for (auto _ : st) {
    d.moveAll(++step);
    d.desk->hoofdblad().Timer1_Timer();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_TickMonitorHidden);

void BM_TickMonitorShownEveryBarChanges(benchmark::State& st) {
  MonitorDesk d(true);
  int step = 0;
  for (auto _ : st) {
    d.moveAll(++step);
    d.desk->hoofdblad().Timer1_Timer();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_TickMonitorShownEveryBarChanges);

void BM_TickMonitorShownSteadyFrame(benchmark::State& st) {
  MonitorDesk d(true);
  d.moveAll(1);
  for (auto _ : st) {
    d.desk->hoofdblad().Timer1_Timer();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_TickMonitorShownSteadyFrame);

void BM_TickMonitorShownLastPage(benchmark::State& st) {
  MonitorDesk d(true);
  d.desk->realout().MonitorPage = 3;
  d.desk->realout().ShowMonitor();
  int step = 0;
  for (auto _ : st) {
    d.moveAll(++step);
    d.desk->hoofdblad().Timer1_Timer();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_TickMonitorShownLastPage);

}  // namespace
