// The per-tick cost of handing a frame to corvex while its worker streams,
// and of the worker's packet snapshot.
#include <benchmark/benchmark.h>

#include <condition_variable>
#include <mutex>
#include <vector>

#include "module.h"

namespace {

// A device that holds every transfer for its full bound, so the worker stays
// idle while the frame command is measured.
class IdlePipe : public corvex::Pipe {
 public:
  corvex::WriteResult Write(const uint8_t*, size_t, uint32_t timeoutMs) override {
    std::unique_lock lock(mutex_);
    cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs));
    return corvex::WriteResult::TimedOut;
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
};

class IdleBackend : public corvex::Backend {
 public:
  std::unique_ptr<corvex::Pipe> OpenPipe() override { return std::make_unique<IdlePipe>(); }
};

void BM_FrameCommand(benchmark::State& state) {
  IdleBackend backend;
  corvex::Module module(&backend);
  std::vector<uint8_t> frame(corvex::kSlots);
  for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>(i);
  module.Command(1, 0, nullptr);
  for (auto _ : state) {
    benchmark::DoNotOptimize(module.Command(4, 512, frame.data()));
    ++frame[0];
  }
}
BENCHMARK(BM_FrameCommand);

void BM_BufferSnapshot(benchmark::State& state) {
  IdleBackend backend;
  corvex::Module module(&backend);
  module.Command(1, 0, nullptr);
  for (auto _ : state) benchmark::DoNotOptimize(module.TxBuffer());
}
BENCHMARK(BM_BufferSnapshot);

}  // namespace

BENCHMARK_MAIN();
