// The library's module state and its command table. One instance per process
// serves the exported entry points; tests build their own instances over fake
// backends.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "backend.h"

namespace corvex {

constexpr size_t kSlots = 512;
constexpr size_t kPacketSize = 592;
constexpr size_t kGroups = 74;
constexpr size_t kGroupSize = 8;
constexpr uint32_t kTransferTimeoutMs = 100;

// Byte of the transfer buffer that carries frame byte `index` (0..511, DMX slot
// index + 1): seven slots follow each group number.
constexpr size_t SlotByte(size_t index) { return kGroupSize * (index / 7) + index % 7 + 1; }

struct Options {
  uint32_t transferTimeoutMs = kTransferTimeoutMs;
  // Rest after a write the pipe refused at once (an unplugged device fails
  // every write instantly; without a rest the worker would spin a core).
  std::chrono::milliseconds failurePause{100};
  // How long the stop step waits for the worker to end.
  std::chrono::milliseconds stopWait{1000};
};

class Module {
 public:
  // backend may be null: the library is then Dead from its first call.
  explicit Module(Backend* backend, Options options = {});
  ~Module();
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  // One call of the exported entry point.
  int32_t Command(int32_t command, int32_t value, uint8_t* data) noexcept;

  // The stop step: ends the worker after its current transfer, waits for it
  // up to Options::stopWait and forgets it. True when no worker is left
  // running.
  bool Stop() noexcept;

  // Read-outs for tests and diagnostics.
  std::array<uint8_t, kPacketSize> TxBuffer() const;
  bool InitDone() const { return initState_.load(std::memory_order_acquire) != kInitNone; }
  bool Started() const { return initState_.load(std::memory_order_acquire) == kInitDone && started_; }
  bool WorkerAlive() const { return workerAlive_.load(std::memory_order_acquire); }
  bool Running() const { return running_.load(std::memory_order_acquire) != 0; }

 private:
  enum : int { kInitNone = 0, kInitBusy = 1, kInitDone = 2 };

  void EnsureInit() noexcept;
  bool StartWorker() noexcept;
  void LayOutBuffer() noexcept;
  void CopyFrame(const uint8_t* data) noexcept;
  void Worker() noexcept;

  Backend* backend_;
  Options options_;

  // The caller's thread writes slot bytes while the worker reads the whole
  // buffer for each transfer, without a lock: a transfer may mix two frames.
  // Relaxed atomic bytes keep that race defined (plain loads and stores on
  // common targets) while each group keeps its group number.
  std::array<std::atomic<uint8_t>, kPacketSize> txBuffer_{};
  // The all-zero frame of the blackout commands. Nothing ever writes a
  // non-zero byte into it, so it is a constant: "clearing" it is a no-op, and
  // blackouts from several host threads share it without a race.
  static constexpr std::array<uint8_t, kSlots> kBlankFrame{};

  std::atomic<int> initState_{kInitNone};
  bool started_ = false;  // published by initState_ = kInitDone

  std::unique_ptr<Pipe> pipe_;  // owned by the worker while it runs
  std::thread worker_;
  std::atomic<bool> workerAlive_{false};  // the worker's handle is valid
  std::atomic<int32_t> running_{0};
  std::mutex mutex_;
  std::condition_variable cv_;  // stop requests and the worker's end
};

}  // namespace corvex
