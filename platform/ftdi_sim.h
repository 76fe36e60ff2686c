// The simulated Open DMX USB interface: an FTDI device that can be unplugged
// and replugged, fails chosen calls on demand, and records the calls and the
// frames that reach the line.
//
// The wire thread drives it while the UI thread scripts and reads it, so its
// record is kept under a lock of its own (a test device; the real backends
// take no lock). In wire-time mode a write takes as long as on a real
// device, whose FIFO takes a frame only as fast as the line drains it (44 µs
// a slot at 250 kbaud), and the break and mark-after-break are really held.
#pragma once

#include <array>
#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/ftdi.h"

namespace lumora {

class FtdiSim final : public FtdiApi {
 public:
  // The D2XX function names that can be made to fail.
  static bool IsCallName(const std::string& name);

  bool DriverPresent() override { return driver_; }
  std::string Describe() const override { return "simulated FTDI device"; }

  FtStatus FT_Open(int deviceIndex, FtHandle& handle) override;
  FtStatus FT_ResetDevice(FtHandle h) override { return simple("FT_ResetDevice", h); }
  FtStatus FT_SetDivisor(FtHandle h, uint16_t divisor) override;
  FtStatus FT_SetDataCharacteristics(FtHandle h, uint8_t wordLength, uint8_t stopBits, uint8_t parity) override;
  FtStatus FT_SetFlowControl(FtHandle h, uint16_t flow, uint8_t xon, uint8_t xoff) override;
  FtStatus FT_ClrRts(FtHandle h) override { return simple("FT_ClrRts", h); }
  FtStatus FT_Purge(FtHandle h, uint32_t mask) override;
  FtStatus FT_Close(FtHandle h) override;
  FtStatus FT_SetBreakOn(FtHandle h) override;
  FtStatus FT_SetBreakOff(FtHandle h) override { return simple("FT_SetBreakOff", h); }
  FtStatus FT_Write(FtHandle h, const uint8_t* data, uint32_t length, uint32_t& written) override;
  void LineWait(std::chrono::microseconds us) override;

  // Scripting.
  void setPresent(bool p);
  void setDriver(bool d) { driver_ = d; }
  void fail(const std::string& call) {
    std::lock_guard<std::mutex> l(mu_);
    failing_.insert(call);
  }
  void heal() {
    std::lock_guard<std::mutex> l(mu_);
    failing_.clear();
  }
  // Writes and line waits take the time of a real device's line.
  void setWireTime(bool on) { wireTime_.store(on, std::memory_order_relaxed); }
  bool wireTime() const { return wireTime_.load(std::memory_order_relaxed); }
  static constexpr std::chrono::microseconds kSlotTime{44};

  // Readings.
  bool present() const {
    std::lock_guard<std::mutex> l(mu_);
    return present_;
  }
  bool isOpen() const {
    std::lock_guard<std::mutex> l(mu_);
    return openHandle_ != 0;
  }
  long frames() const {
    std::lock_guard<std::mutex> l(mu_);
    return frames_;
  }
  std::array<uint8_t, 513> lastFrame() const {
    std::lock_guard<std::mutex> l(mu_);
    return lastFrame_;
  }
  // The calls since the last take, oldest first.
  std::vector<std::string> takeCalls();
  // The line waits (µs) since the last take.
  std::vector<int> takeWaits();
  // Divisor and line settings of the last successful configuration.
  uint16_t divisor() const { return divisor_; }
  std::array<int, 3> lineSettings() const { return line_; }
  bool rtsCleared() const { return rtsCleared_; }

 private:
  FtStatus begin(const char* name, FtHandle h);
  FtStatus simple(const char* name, FtHandle h) {
    std::lock_guard<std::mutex> l(mu_);
    return begin(name, h);
  }

  mutable std::mutex mu_;
  std::atomic<bool> wireTime_{false};
  bool present_ = true;
  bool driver_ = true;
  std::set<std::string> failing_;
  std::vector<std::string> calls_;
  std::vector<int> waits_;
  FtHandle openHandle_ = 0;
  FtHandle lastHandle_ = 0;
  uint16_t divisor_ = 0;
  std::array<int, 3> line_{};
  bool rtsCleared_ = false;
  // Bytes on the line since the last break; a frame is complete at 513.
  std::array<uint8_t, 513> line513_{};
  std::size_t lineBytes_ = 0;
  bool afterBreak_ = false;
  long frames_ = 0;
  std::array<uint8_t, 513> lastFrame_{};
};

}  // namespace lumora
