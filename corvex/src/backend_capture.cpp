// The capture build's stand-in device: always present, paced like a DMX line,
// keeping the newest packet for the host's tests.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

#include "backend.h"
#include "corvex_capture.h"
#include "module.h"

namespace corvex {
namespace {

constexpr auto kPacketTime = std::chrono::microseconds(26000);

struct Capture {
  std::mutex mutex;
  std::condition_variable arrived;
  std::array<uint8_t, kPacketSize> latest{};
  int64_t count = 0;
  bool streaming = false;
};

Capture& TheCapture() {
  static Capture* const capture = new Capture;  // outlives the worker
  return *capture;
}

class CapturePipe : public Pipe {
 public:
  CapturePipe() {
    if (const char* path = std::getenv("CORVEX_CAPTURE_FILE"); path != nullptr && *path != '\0') {
      fd_ = ::open(path, O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    }
    std::lock_guard lock(TheCapture().mutex);
    TheCapture().streaming = true;
  }
  ~CapturePipe() override {
    if (fd_ >= 0) ::close(fd_);
    std::lock_guard lock(TheCapture().mutex);
    TheCapture().streaming = false;
    TheCapture().arrived.notify_all();
  }

  WriteResult Write(const uint8_t* data, size_t size, uint32_t) override {
    Capture& c = TheCapture();
    {
      std::lock_guard lock(c.mutex);
      std::memcpy(c.latest.data(), data, std::min(size, c.latest.size()));
      ++c.count;
      c.arrived.notify_all();
    }
    if (fd_ >= 0 && ::pwrite(fd_, data, size, 0) < 0) {
      // A test that cannot read the file will say so; the stream goes on.
    }
    // The device takes a packet in about the time it needs on the line.
    std::this_thread::sleep_for(kPacketTime);
    return WriteResult::Done;
  }

 private:
  int fd_ = -1;
};

class CaptureBackend : public Backend {
 public:
  std::unique_ptr<Pipe> OpenPipe() override { return std::make_unique<CapturePipe>(); }
};

}  // namespace

std::unique_ptr<Backend> MakePlatformBackend() noexcept {
  try {
    return std::make_unique<CaptureBackend>();
  } catch (...) {
    return nullptr;
  }
}

}  // namespace corvex

extern "C" {

CORVEX_API int32_t CorvexCaptureNext(uint8_t* out, int32_t timeout_ms) {
  if (out == nullptr) return 0;
  corvex::Capture& c = corvex::TheCapture();
  std::unique_lock lock(c.mutex);
  // Packet n+1 may have been taken from the buffer just before this call; the
  // one after it was taken only after packet n+1 arrived, hence n + 2.
  const int64_t wanted = c.count + 2;
  const bool got = c.arrived.wait_for(lock, std::chrono::milliseconds(timeout_ms < 0 ? 0 : timeout_ms),
                                      [&] { return !c.streaming || c.count >= wanted; });
  if (!got || c.count < wanted) return 0;
  std::memcpy(out, c.latest.data(), c.latest.size());
  return static_cast<int32_t>(c.latest.size());
}

CORVEX_API int64_t CorvexCaptureCount(void) {
  corvex::Capture& c = corvex::TheCapture();
  std::lock_guard lock(c.mutex);
  return c.count;
}

}  // extern "C"
