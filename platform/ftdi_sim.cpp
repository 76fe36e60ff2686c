#include "platform/ftdi_sim.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

namespace lumora {

namespace {
// Bounds the record when nobody reads it (a long console session).
constexpr std::size_t kMaxRecorded = 100000;
// Sleeps to an absolute deadline, so a long write is not lengthened by the
// rounding of many short sleeps.
void SleepFor(std::chrono::microseconds us) {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  const long long ns = static_cast<long long>(ts.tv_nsec) + us.count() * 1000LL;
  ts.tv_sec += static_cast<time_t>(ns / 1'000'000'000);
  ts.tv_nsec = static_cast<long>(ns % 1'000'000'000);
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
  }
}

}  // namespace

bool FtdiSim::IsCallName(const std::string& name) {
  static const char* const kNames[] = {"FT_Open",    "FT_ResetDevice", "FT_SetDivisor",  "FT_SetDataCharacteristics",
                                       "FT_SetFlowControl", "FT_ClrRts", "FT_Purge",     "FT_Close",
                                       "FT_Write",   "FT_SetBreakOn",  "FT_SetBreakOff"};
  return std::any_of(std::begin(kNames), std::end(kNames), [&](const char* n) { return name == n; });
}

FtStatus FtdiSim::begin(const char* name, FtHandle h) {
  // Called with mu_ held.
  if (calls_.size() >= kMaxRecorded) calls_.erase(calls_.begin(), calls_.begin() + kMaxRecorded / 2);
  calls_.emplace_back(name);
  if (failing_.count(name)) return kFtIoError;
  if (h == 0 || h != openHandle_) return kFtInvalidHandle;
  return kFtOk;
}

FtStatus FtdiSim::FT_Open(int deviceIndex, FtHandle& handle) {
  std::lock_guard<std::mutex> l(mu_);
  if (calls_.size() >= kMaxRecorded) calls_.erase(calls_.begin(), calls_.begin() + kMaxRecorded / 2);
  calls_.emplace_back("FT_Open");
  if (failing_.count("FT_Open")) return kFtDeviceNotOpened;
  if (!present_ || deviceIndex != 0) return kFtDeviceNotFound;
  if (openHandle_ != 0) return kFtDeviceNotOpened;  // one owner at a time, as the real driver
  openHandle_ = ++lastHandle_;
  handle = openHandle_;
  return kFtOk;
}

FtStatus FtdiSim::FT_SetDivisor(FtHandle h, uint16_t divisor) {
  std::lock_guard<std::mutex> l(mu_);
  FtStatus st = begin("FT_SetDivisor", h);
  if (st == kFtOk) divisor_ = divisor;
  return st;
}

FtStatus FtdiSim::FT_SetDataCharacteristics(FtHandle h, uint8_t wordLength, uint8_t stopBits, uint8_t parity) {
  std::lock_guard<std::mutex> l(mu_);
  FtStatus st = begin("FT_SetDataCharacteristics", h);
  if (st == kFtOk) line_ = {wordLength, stopBits, parity};
  return st;
}

FtStatus FtdiSim::FT_SetFlowControl(FtHandle h, uint16_t flow, uint8_t xon, uint8_t xoff) {
  std::lock_guard<std::mutex> l(mu_);
  (void)flow;
  (void)xon;
  (void)xoff;
  return begin("FT_SetFlowControl", h);
}

FtStatus FtdiSim::FT_Purge(FtHandle h, uint32_t mask) {
  std::lock_guard<std::mutex> l(mu_);
  (void)mask;
  return begin("FT_Purge", h);
}

FtStatus FtdiSim::FT_Close(FtHandle h) {
  std::lock_guard<std::mutex> l(mu_);
  FtStatus st = begin("FT_Close", h);
  if (st == kFtOk) openHandle_ = 0;
  return st;
}

FtStatus FtdiSim::FT_SetBreakOn(FtHandle h) {
  std::lock_guard<std::mutex> l(mu_);
  FtStatus st = begin("FT_SetBreakOn", h);
  if (st == kFtOk) {
    lineBytes_ = 0;
    afterBreak_ = true;
  }
  return st;
}

FtStatus FtdiSim::FT_Write(FtHandle h, const uint8_t* data, uint32_t length, uint32_t& written) {
  written = 0;
  {
    std::lock_guard<std::mutex> l(mu_);
    FtStatus st = begin("FT_Write", h);
    if (st != kFtOk) return st;
    written = length;
    if (afterBreak_) {  // bytes without a break are no DMX frame
      const std::size_t room = line513_.size() - lineBytes_;
      const std::size_t n = std::min<std::size_t>(room, length);
      if (n) std::memcpy(line513_.data() + lineBytes_, data, n);
      lineBytes_ += n;
      if (lineBytes_ == line513_.size()) {
        lastFrame_ = line513_;
        ++frames_;
        afterBreak_ = false;
      }
    }
  }
  // The readings stay free while the line drains.
  if (wireTime()) SleepFor(kSlotTime * length);
  return kFtOk;
}

void FtdiSim::LineWait(std::chrono::microseconds us) {
  {
    std::lock_guard<std::mutex> l(mu_);
    if (waits_.size() >= kMaxRecorded) waits_.clear();
    waits_.push_back(static_cast<int>(us.count()));
  }
  if (wireTime()) PreciseWait(us);
}

void FtdiSim::setPresent(bool p) {
  std::lock_guard<std::mutex> l(mu_);
  present_ = p;
  if (!p) openHandle_ = 0;  // unplugging kills the open handle for good
}

std::vector<std::string> FtdiSim::takeCalls() {
  std::lock_guard<std::mutex> l(mu_);
  std::vector<std::string> out;
  out.swap(calls_);
  return out;
}

std::vector<int> FtdiSim::takeWaits() {
  std::lock_guard<std::mutex> l(mu_);
  std::vector<int> out;
  out.swap(waits_);
  return out;
}

}  // namespace lumora
