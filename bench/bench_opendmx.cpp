// The Open DMX USB send step: the supervision's cost per tick (goal: no
// allocation, far below the 40 ms tick), the precision of the break and
// mark-after-break waits, and what libftdi1 costs without a device.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <new>

#include "app/console.h"
#include "app/desk.h"
#include "output/opendmx.h"
#include "output/wire.h"
#include "platform/ftdi.h"

namespace {

std::atomic<long> gAllocs{0};

}  // namespace

// Counts every allocation of this benchmark program. The replacement pair
// uses malloc/free on both sides, which GCC cannot see through when it
// inlines them into static initialisers.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t n) {
  gAllocs.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

using namespace lumora;

// A device that accepts everything and records nothing: what remains is the
// driver's own cost.
class NullFtdi final : public FtdiApi {
 public:
  bool DriverPresent() override { return true; }
  std::string Describe() const override { return "null"; }
  FtStatus FT_Open(int, FtHandle& h) override {
    h = 1;
    return kFtOk;
  }
  FtStatus FT_ResetDevice(FtHandle) override { return kFtOk; }
  FtStatus FT_SetDivisor(FtHandle, uint16_t) override { return kFtOk; }
  FtStatus FT_SetDataCharacteristics(FtHandle, uint8_t, uint8_t, uint8_t) override { return kFtOk; }
  FtStatus FT_SetFlowControl(FtHandle, uint16_t, uint8_t, uint8_t) override { return kFtOk; }
  FtStatus FT_ClrRts(FtHandle) override { return kFtOk; }
  FtStatus FT_Purge(FtHandle, uint32_t) override { return kFtOk; }
  FtStatus FT_Close(FtHandle) override { return kFtOk; }
  FtStatus FT_SetBreakOn(FtHandle) override { return kFtOk; }
  FtStatus FT_SetBreakOff(FtHandle) override { return kFtOk; }
  FtStatus FT_Write(FtHandle, const uint8_t*, uint32_t n, uint32_t& w) override {
    w = n;
    return kFtOk;
  }
  void LineWait(std::chrono::microseconds) override {}
};

void BM_SupervisionConnectedTick(benchmark::State& st) {
  ConsoleDialogs dialogs;
  DeskOptions o;
  o.manualClock = true;
  o.sim = true;
  Desk desk(o, dialogs);
  desk.Start();
  OpenDmx usb(desk, std::make_shared<NullFtdi>());
  desk.state.AdapterType = 3;
  usb.Prepare(desk);  // the first search
  const long before = gAllocs.load();
  long ticks = 0;
  for (auto _ : st) {
    // The UI thread's share of a tick: the supervision and the wire's report.
    usb.Prepare(desk);
    usb.Handle(desk, WireReport::kCompleted);
    ++ticks;
  }
  st.counters["allocs_per_tick"] = static_cast<double>(gAllocs.load() - before) / static_cast<double>(ticks);
}
BENCHMARK(BM_SupervisionConnectedTick);

// What the break wait really gives on this machine.
void BM_PreciseWait(benchmark::State& st) {
  const std::chrono::microseconds want(st.range(0));
  double worst = 0, best = 1e9;
  for (auto _ : st) {
    const auto t0 = std::chrono::steady_clock::now();
    PreciseWait(want);
    const double us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count();
    worst = std::max(worst, us);
    best = std::min(best, us);
  }
  // Never below the request; above it only when the scheduler preempts.
  st.counters["best_us"] = best;
  st.counters["worst_us"] = worst;
}
BENCHMARK(BM_PreciseWait)->Arg(110)->Arg(16)->UseRealTime();

// libftdi1 without hardware: the search of a Searching tick (context, bus
// scan, nothing found) and the four frame calls on a handle that is gone.
void BM_LibFtdiSearchWithoutDevice(benchmark::State& st) {
  auto ftdi = MakeLibFtdi();
  for (auto _ : st) {
    FtHandle h = 0;
    benchmark::DoNotOptimize(ftdi->FT_Open(0, h));
  }
}
BENCHMARK(BM_LibFtdiSearchWithoutDevice);

void BM_LibFtdiFrameCallsOnLostHandle(benchmark::State& st) {
  auto ftdi = MakeLibFtdi();
  std::array<uint8_t, 512> data{};
  uint8_t sc = 0;
  for (auto _ : st) {
    uint32_t w = 0;
    ftdi->FT_SetBreakOn(1);
    ftdi->FT_SetBreakOff(1);
    ftdi->FT_Write(1, &sc, 1, w);
    benchmark::DoNotOptimize(ftdi->FT_Write(1, data.data(), 512, w));
  }
}
BENCHMARK(BM_LibFtdiFrameCallsOnLostHandle);

}  // namespace
