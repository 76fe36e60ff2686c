#include "platform/ftdi_sim.h"

#include <algorithm>
#include <cstring>

namespace lumora {

namespace {
// Bounds the record when nobody reads it (a long console session).
constexpr std::size_t kMaxRecorded = 100000;
}  // namespace

bool FtdiSim::IsCallName(const std::string& name) {
  static const char* const kNames[] = {"FT_Open",    "FT_ResetDevice", "FT_SetDivisor",  "FT_SetDataCharacteristics",
                                       "FT_SetFlowControl", "FT_ClrRts", "FT_Purge",     "FT_Close",
                                       "FT_Write",   "FT_SetBreakOn",  "FT_SetBreakOff"};
  return std::any_of(std::begin(kNames), std::end(kNames), [&](const char* n) { return name == n; });
}

FtStatus FtdiSim::begin(const char* name, FtHandle h) {
  if (calls_.size() >= kMaxRecorded) calls_.erase(calls_.begin(), calls_.begin() + kMaxRecorded / 2);
  calls_.emplace_back(name);
  if (failing_.count(name)) return kFtIoError;
  if (h == 0 || h != openHandle_) return kFtInvalidHandle;
  return kFtOk;
}

FtStatus FtdiSim::FT_Open(int deviceIndex, FtHandle& handle) {
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
  FtStatus st = begin("FT_SetDivisor", h);
  if (st == kFtOk) divisor_ = divisor;
  return st;
}

FtStatus FtdiSim::FT_SetDataCharacteristics(FtHandle h, uint8_t wordLength, uint8_t stopBits, uint8_t parity) {
  FtStatus st = begin("FT_SetDataCharacteristics", h);
  if (st == kFtOk) line_ = {wordLength, stopBits, parity};
  return st;
}

FtStatus FtdiSim::FT_SetFlowControl(FtHandle h, uint16_t flow, uint8_t xon, uint8_t xoff) {
  (void)flow;
  (void)xon;
  (void)xoff;
  return begin("FT_SetFlowControl", h);
}

FtStatus FtdiSim::FT_Purge(FtHandle h, uint32_t mask) {
  (void)mask;
  return begin("FT_Purge", h);
}

FtStatus FtdiSim::FT_Close(FtHandle h) {
  FtStatus st = begin("FT_Close", h);
  if (st == kFtOk) openHandle_ = 0;
  return st;
}

FtStatus FtdiSim::FT_SetBreakOn(FtHandle h) {
  FtStatus st = begin("FT_SetBreakOn", h);
  if (st == kFtOk) {
    lineBytes_ = 0;
    afterBreak_ = true;
  }
  return st;
}

FtStatus FtdiSim::FT_Write(FtHandle h, const uint8_t* data, uint32_t length, uint32_t& written) {
  written = 0;
  FtStatus st = begin("FT_Write", h);
  if (st != kFtOk) return st;
  written = length;
  if (!afterBreak_) return st;  // bytes without a break are no DMX frame
  const std::size_t room = line513_.size() - lineBytes_;
  const std::size_t n = std::min<std::size_t>(room, length);
  if (n) std::memcpy(line513_.data() + lineBytes_, data, n);
  lineBytes_ += n;
  if (lineBytes_ == line513_.size()) {
    lastFrame_ = line513_;
    ++frames_;
    afterBreak_ = false;
  }
  return st;
}

void FtdiSim::LineWait(std::chrono::microseconds us) {
  if (waits_.size() >= kMaxRecorded) waits_.clear();
  waits_.push_back(static_cast<int>(us.count()));
}

void FtdiSim::setPresent(bool p) {
  present_ = p;
  if (!p) openHandle_ = 0;  // unplugging kills the open handle for good
}

std::vector<std::string> FtdiSim::takeCalls() {
  std::vector<std::string> out;
  out.swap(calls_);
  return out;
}

std::vector<int> FtdiSim::takeWaits() {
  std::vector<int> out;
  out.swap(waits_);
  return out;
}

}  // namespace lumora
