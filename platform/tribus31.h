// The DMX 3-1 adapter's library: Tribus31Read and Tribus31Write, status 0 =
// success. The real library is bound by file name at the first call; a
// missing file or function is a non-zero status, never a crash.
#pragma once

#include <array>
#include <atomic>
#include <mutex>
#include <cstdint>
#include <memory>
#include <string>

namespace lumora {

class Tribus31Api {
 public:
  virtual ~Tribus31Api() = default;
  virtual int16_t Tribus31Read(int16_t port, uint8_t mode, uint8_t* receiveBuffer) = 0;
  virtual int16_t Tribus31Write(int16_t port, uint8_t mode, const uint8_t* frame) = 0;
};

// Status of a call that could not be bound.
constexpr int16_t kTribus31Unbound = -1;
// Bytes the desk offers the library as receive buffer (a whole frame and more).
constexpr std::size_t kTribus31ReceiveBytes = 1024;

// File name: LUMORA_TRIBUS31_LIBRARY when set, else "libtribus31.so".
std::string Tribus31LibraryFile();
std::shared_ptr<Tribus31Api> MakeTribus31Library(std::string file = Tribus31LibraryFile());

class Tribus31Sim final : public Tribus31Api {
 public:
  int16_t Tribus31Read(int16_t port, uint8_t mode, uint8_t* receiveBuffer) override;
  int16_t Tribus31Write(int16_t port, uint8_t mode, const uint8_t* frame) override;
  void setPresent(bool p) { present_.store(p); }
  bool present() const { return present_.load(); }
  // The readings are taken under a lock: the wire thread writes them.
  std::array<uint8_t, 512> lastFrame() const {
    std::lock_guard<std::mutex> l(mu_);
    return last_;
  }
  long writes() const {
    std::lock_guard<std::mutex> l(mu_);
    return writes_;
  }

 private:
  mutable std::mutex mu_;
  std::atomic<bool> present_{false};
  std::array<uint8_t, 512> last_{};
  long writes_ = 0;
};

}  // namespace lumora
