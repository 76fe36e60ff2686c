// The whole output tick of a running desk (mix, hand-off to the wire and the
// desk's own bookkeeping around it), with the real clock as a host runs it
// and with the manual clock. The output health figures are recorded here:
// compare with the figures before they were (goal: at most 5 % added).
#include <benchmark/benchmark.h>

#include <memory>

#include "app/console.h"
#include "app/desk.h"
#include "desk/hoofdblad.h"

namespace {

struct TickDesk {
  lumora::ConsoleDialogs dialogs;
  std::unique_ptr<lumora::Desk> desk;

  explicit TickDesk(bool manualClock) {
    lumora::DeskOptions o;
    o.manualClock = manualClock;
    o.sim = true;
    desk = std::make_unique<lumora::Desk>(o, dialogs);
    desk->Start();
    for (int k = 0; k < 512; ++k) desk->state.PatchTable[k] = static_cast<int16_t>(k % 64 + 1);
    for (int i = 0; i < 64; ++i) desk->state.DeskLevels[i] = static_cast<int16_t>((i * 37) % 256);
  }
};

void BM_DeskTickRealClock(benchmark::State& st) {
  TickDesk d(false);
  for (auto _ : st) {
    d.desk->hoofdblad().Timer1.Fire();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_DeskTickRealClock);

void BM_DeskTickManualClock(benchmark::State& st) {
  TickDesk d(true);
  for (auto _ : st) {
    d.desk->hoofdblad().Timer1.Fire();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_DeskTickManualClock);

}  // namespace

#include "output/health_meter.h"
#include "output/wire.h"

namespace {

// What the tick adds for the health figures: one monotonic clock read and
// one record into the ring and the histogram.
void BM_HealthRecordTick(benchmark::State& st) {
  auto r = std::make_unique<lumora::TickRecorder>();
  for (auto _ : st) {
    r->record(lumora::WireThread::Now(), 25, false);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_HealthRecordTick);

}  // namespace
