// The FTDI D2XX call set as the Open DMX USB driver uses it. Every call
// returns an FT_STATUS: 0 is success, anything else a failure. Backends:
// libftdi1 (the Linux default), the vendor D2XX library loaded by file name
// where it is installed, and a simulated device for --sim. Calls on a handle
// that is not open (never opened, closed, or its device gone) fail safely.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace lumora {

using FtStatus = uint32_t;
using FtHandle = uint32_t;  // 0 = no handle

// D2XX status values the backends report.
enum : FtStatus {
  kFtOk = 0,
  kFtInvalidHandle = 1,
  kFtDeviceNotFound = 2,
  kFtDeviceNotOpened = 3,
  kFtIoError = 4,
  kFtInvalidParameter = 6,
  kFtOtherError = 18,
};

// D2XX parameter codes.
enum : uint8_t {
  kFtBits8 = 8,
  kFtStopBits1 = 0,
  kFtStopBits2 = 2,
  kFtParityNone = 0,
};
enum : uint16_t { kFtFlowNone = 0x0000 };
enum : uint32_t { kFtPurgeRx = 1, kFtPurgeTx = 2 };

class FtdiApi {
 public:
  virtual ~FtdiApi() = default;

  // The driver check: true when this backend can reach FTDI devices at all
  // (its library is loaded), whether or not a device is plugged in.
  virtual bool DriverPresent() = 0;
  // Where the backend's driver comes from, for status and diagnostics.
  virtual std::string Describe() const = 0;

  virtual FtStatus FT_Open(int deviceIndex, FtHandle& handle) = 0;
  virtual FtStatus FT_ResetDevice(FtHandle h) = 0;
  virtual FtStatus FT_SetDivisor(FtHandle h, uint16_t divisor) = 0;
  virtual FtStatus FT_SetDataCharacteristics(FtHandle h, uint8_t wordLength, uint8_t stopBits, uint8_t parity) = 0;
  virtual FtStatus FT_SetFlowControl(FtHandle h, uint16_t flow, uint8_t xon, uint8_t xoff) = 0;
  virtual FtStatus FT_ClrRts(FtHandle h) = 0;
  virtual FtStatus FT_Purge(FtHandle h, uint32_t mask) = 0;
  virtual FtStatus FT_Close(FtHandle h) = 0;
  virtual FtStatus FT_SetBreakOn(FtHandle h) = 0;
  virtual FtStatus FT_SetBreakOff(FtHandle h) = 0;
  virtual FtStatus FT_Write(FtHandle h, const uint8_t* data, uint32_t length, uint32_t& written) = 0;

  // Holds the line in its current state for at least `us` microseconds
  // (break and mark-after-break). Real backends wait precisely; the
  // simulated device only records it.
  virtual void LineWait(std::chrono::microseconds us) = 0;
};

// A precise short wait: sleeping has a granularity of tens of microseconds or
// worse, so the last stretch spins on the monotonic clock.
void PreciseWait(std::chrono::microseconds us);

// The real backend for this machine: the vendor library when the variable
// LUMORA_FTDI_LIBRARY names one (e.g. libftd2xx.so), otherwise libftdi1.
std::shared_ptr<FtdiApi> MakeRealFtdi();
std::shared_ptr<FtdiApi> MakeLibFtdi();
std::shared_ptr<FtdiApi> MakeD2xxFtdi(const std::string& libraryFile);

}  // namespace lumora
