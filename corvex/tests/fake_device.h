// A fake Corvex device for the worker tests: records every packet the worker
// sends, answers writes as scripted, and lets the test hold each write until
// it accepts it, so tests wait on events, never on the clock.
#pragma once

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "backend.h"
#include "module.h"

namespace corvex::testing {

using Packet = std::array<uint8_t, kPacketSize>;

// Generous bound on every wait of a test: only a broken build ever reaches it.
constexpr auto kGuard = std::chrono::seconds(10);

class FakeDevice {
 public:
  // Held: a write waits for Accept(), up to its time-out, then reports
  // TimedOut. Free: every write is accepted at once.
  enum class Flow { Held, Free };

  explicit FakeDevice(Flow flow = Flow::Held) : flow_(flow) {}

  // The next writes return these results at once, in order.
  void Script(std::initializer_list<WriteResult> results) {
    std::lock_guard lock(mutex_);
    script_.insert(script_.end(), results.begin(), results.end());
  }
  // Lets `n` held writes complete.
  void Accept(int n = 1) {
    std::lock_guard lock(mutex_);
    credits_ += n;
    cv_.notify_all();
  }
  // From now on every write is accepted at once (lets a test end quickly).
  void Unblock() {
    std::lock_guard lock(mutex_);
    unblocked_ = true;
    cv_.notify_all();
  }
  // Called with each packet in Free flow (from the worker thread); returns
  // false for a packet that breaks the layout.
  void SetInspector(std::function<bool(const uint8_t*)> inspector) {
    std::lock_guard lock(mutex_);
    inspector_ = std::move(inspector);
  }

  // Waits until at least n packets were written; false on the guard.
  bool WaitForWrites(int64_t n) {
    std::unique_lock lock(mutex_);
    return cv_.wait_for(lock, kGuard, [&] { return writes_ >= n; });
  }
  bool WaitForClose() {
    std::unique_lock lock(mutex_);
    return cv_.wait_for(lock, kGuard, [&] { return closed_; });
  }

  int64_t writes() const { std::lock_guard lock(mutex_); return writes_; }
  int64_t rejected() const { std::lock_guard lock(mutex_); return rejected_; }
  bool closed() const { std::lock_guard lock(mutex_); return closed_; }
  Packet packet(size_t i) const { std::lock_guard lock(mutex_); return packets_.at(i); }
  Packet last() const { std::lock_guard lock(mutex_); return packets_.back(); }
  std::vector<uint32_t> timeouts() const { std::lock_guard lock(mutex_); return timeouts_; }

  // Called by the pipe.
  WriteResult Write(const uint8_t* data, size_t size, uint32_t timeoutMs) {
    std::unique_lock lock(mutex_);
    ++writes_;
    if (size != kPacketSize) ++rejected_;
    if (flow_ == Flow::Free) {
      if (inspector_ && !inspector_(data)) ++rejected_;
      cv_.notify_all();
      return WriteResult::Done;
    }
    Packet p{};
    std::copy(data, data + std::min(size, p.size()), p.begin());
    packets_.push_back(p);
    timeouts_.push_back(timeoutMs);
    cv_.notify_all();
    if (!script_.empty()) {
      const WriteResult r = script_.front();
      script_.pop_front();
      return r;
    }
    if (!cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return credits_ > 0 || unblocked_; })) {
      return WriteResult::TimedOut;
    }
    if (!unblocked_) --credits_;
    return WriteResult::Done;
  }
  void Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    cv_.notify_all();
  }

 private:
  const Flow flow_;
  mutable std::mutex mutex_;
  std::condition_variable cv_;
  std::deque<WriteResult> script_;
  std::function<bool(const uint8_t*)> inspector_;
  int credits_ = 0;
  bool unblocked_ = false;
  int64_t writes_ = 0;
  int64_t rejected_ = 0;
  bool closed_ = false;
  std::vector<Packet> packets_;
  std::vector<uint32_t> timeouts_;
};

class FakePipe : public Pipe {
 public:
  explicit FakePipe(std::shared_ptr<FakeDevice> device) : device_(std::move(device)) {}
  ~FakePipe() override { device_->Close(); }
  WriteResult Write(const uint8_t* data, size_t size, uint32_t timeoutMs) override {
    return device_->Write(data, size, timeoutMs);
  }

 private:
  std::shared_ptr<FakeDevice> device_;
};

// Counts discoveries; hands out the fake device's pipe when it is present.
class FakeBackend : public Backend {
 public:
  explicit FakeBackend(std::shared_ptr<FakeDevice> device = nullptr) : device_(std::move(device)) {}

  std::unique_ptr<Pipe> OpenPipe() override {
    std::unique_lock lock(mutex_);
    ++opens_;
    entered_.notify_all();
    entered_.wait_for(lock, kGuard, [&] { return !holdDiscovery_; });
    if (!device_) return nullptr;
    return std::make_unique<FakePipe>(device_);
  }

  int opens() const { std::lock_guard lock(mutex_); return opens_; }
  // Keeps discovery busy until ReleaseDiscovery().
  void HoldDiscovery() { std::lock_guard lock(mutex_); holdDiscovery_ = true; }
  bool WaitForDiscovery() {
    std::unique_lock lock(mutex_);
    return entered_.wait_for(lock, kGuard, [&] { return opens_ > 0; });
  }
  void ReleaseDiscovery() {
    std::lock_guard lock(mutex_);
    holdDiscovery_ = false;
    entered_.notify_all();
  }

 private:
  std::shared_ptr<FakeDevice> device_;
  mutable std::mutex mutex_;
  std::condition_variable entered_;
  bool holdDiscovery_ = false;
  int opens_ = 0;
};

// The packet a frame must become: each group's number, then its seven slots;
// the last group holds slot 512 only, the rest of the packet is zero.
inline Packet ExpectedPacket(const uint8_t* frame) {
  Packet p{};
  size_t at = 0;
  for (size_t group = 0; group < kGroups; ++group) {
    p[at++] = static_cast<uint8_t>(group);
    for (size_t j = 0; j < 7; ++j, ++at) {
      const size_t slot = group * 7 + j;
      if (slot < kSlots) p[at] = frame[slot];
    }
  }
  return p;
}

}  // namespace corvex::testing
