#include "module.h"

#include <system_error>

namespace corvex {

static_assert(kGroups * kGroupSize == kPacketSize);
static_assert(SlotByte(kSlots - 1) == 585, "slot 512 is the only slot of the last group");
static_assert(std::atomic<uint8_t>::is_always_lock_free);

Module::Module(Backend* backend, Options options) : backend_(backend), options_(options) {}

Module::~Module() {
  Stop();
  // A worker the stop step had to give up on still uses this object.
  std::unique_lock lock(mutex_);
  cv_.wait(lock, [this] { return !workerAlive_.load(std::memory_order_acquire); });
}

int32_t Module::Command(int32_t command, int32_t value, uint8_t* data) noexcept {
  EnsureInit();
  switch (command) {
    case 1: case 101: case 201:
      return 2;
    case 2: case 502: case 602: case 702: case 802:
      return 1;
    case 3:  // blackout: as command 4 with the blank frame
      if (started_) CopyFrame(kBlankFrame.data());
      return 512;
    case 4: case 504:
      if (value >= 512 && data != nullptr && started_) CopyFrame(data);
      return 512;
    case 103: case 203:  // clear the blank frame (always zero), then yield
    case 104: case 204: case 604: case 704:
      std::this_thread::yield();
      return 512;
    case 301:
      return 21;
    case 308: case 808:
      if (value >= 515 && data != nullptr) {
        data[0] = 1;
        data[1] = 2;
        data[2] = 0;
      }
      return 0;
    case 501: case 601: case 701:
      return 254;
    case 530: case 630: case 730: case 830:
      return value;
    case 801:
      return value == 253 ? 253 : -1;
    default:
      return 1;
  }
}

void Module::EnsureInit() noexcept {
  if (initState_.load(std::memory_order_acquire) == kInitDone) return;
  int expected = kInitNone;
  if (initState_.compare_exchange_strong(expected, kInitBusy, std::memory_order_acq_rel)) {
    started_ = StartWorker();
    initState_.store(kInitDone, std::memory_order_release);
    return;
  }
  // Another thread is discovering: its result decides this call as well, so
  // discovery still runs once and no call sees half-set state.
  while (initState_.load(std::memory_order_acquire) != kInitDone) std::this_thread::yield();
}

void Module::LayOutBuffer() noexcept {
  for (size_t i = 0; i < kPacketSize; ++i) {
    const uint8_t v = i % kGroupSize == 0 ? static_cast<uint8_t>(i / kGroupSize) : 0;
    txBuffer_[i].store(v, std::memory_order_relaxed);
  }
}

bool Module::StartWorker() noexcept {
  LayOutBuffer();
  if (backend_ == nullptr) return false;
  std::unique_ptr<Pipe> pipe;
  try {
    pipe = backend_->OpenPipe();
  } catch (...) {
    pipe.reset();
  }
  if (!pipe) return false;
  pipe_ = std::move(pipe);
  running_.store(1, std::memory_order_release);
  workerAlive_.store(true, std::memory_order_release);
  try {
    worker_ = std::thread(&Module::Worker, this);
  } catch (const std::system_error&) {
    // No thread: close the pipe rather than keep a device nobody feeds.
    running_.store(0, std::memory_order_release);
    workerAlive_.store(false, std::memory_order_release);
    pipe_.reset();
    return false;
  }
  return true;
}

void Module::CopyFrame(const uint8_t* data) noexcept {
  if (!workerAlive_.load(std::memory_order_acquire)) return;
  // Group by group: the seven bytes after each group number.
  size_t i = 0;
  for (size_t group = 0; i < kSlots; ++group) {
    for (size_t at = group * kGroupSize + 1; at < (group + 1) * kGroupSize && i < kSlots; ++at, ++i) {
      txBuffer_[at].store(data[i], std::memory_order_relaxed);
    }
  }
}

void Module::Worker() noexcept {
  // The packet goes to the device from a private copy: the pipe may hold the
  // bytes until the transfer is over, while the caller keeps writing frames.
  std::array<uint8_t, kPacketSize> packet;
  for (;;) {
    for (size_t i = 0; i < kPacketSize; ++i) packet[i] = txBuffer_[i].load(std::memory_order_relaxed);
    const WriteResult result = pipe_->Write(packet.data(), packet.size(), options_.transferTimeoutMs);
    if (running_.load(std::memory_order_acquire) == 0) break;
    if (result == WriteResult::Failed) {
      std::unique_lock lock(mutex_);
      cv_.wait_for(lock, options_.failurePause,
                   [this] { return running_.load(std::memory_order_acquire) == 0; });
      if (running_.load(std::memory_order_acquire) == 0) break;
    }
  }
  pipe_.reset();
  std::lock_guard lock(mutex_);
  workerAlive_.store(false, std::memory_order_release);
  cv_.notify_all();
}

bool Module::Stop() noexcept {
  std::unique_lock lock(mutex_);
  running_.store(0, std::memory_order_release);
  cv_.notify_all();
  const bool ended =
      cv_.wait_for(lock, options_.stopWait, [this] { return !workerAlive_.load(std::memory_order_acquire); });
  lock.unlock();
  if (worker_.joinable()) {
    if (ended) {
      worker_.join();
    } else {
      worker_.detach();
    }
  }
  return ended;
}

std::array<uint8_t, kPacketSize> Module::TxBuffer() const {
  std::array<uint8_t, kPacketSize> out;
  for (size_t i = 0; i < kPacketSize; ++i) out[i] = txBuffer_[i].load(std::memory_order_relaxed);
  return out;
}

}  // namespace corvex
