// The opendmx driver module: the Open DMX USB interface (an FTDI chip behind
// an RS-485 driver) over the D2XX call set, and the connection supervision
// that keeps looking for the interface while it is the selected adapter.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "output/adapter.h"
#include "platform/ftdi.h"

namespace lumora {

class DeskBase;
struct DeskState;

// UsbLastError codes.
enum UsbError : uint8_t {
  kUsbOk = 0,
  kUsbOpenFailed = 1,
  kUsbResetFailed = 2,
  kUsbBaudFailed = 3,
  kUsbDataCharFailed = 4,
  kUsbFlowFailed = 5,
  kUsbRtsFailed = 6,
  kUsbPurgeTxFailed = 7,
  kUsbPurgeRxFailed = 8,
  kUsbCloseFailed = 9,
  kUsbStartCodeFailed = 10,
  kUsbWriteFailed = 11,
};

// The message box text of a failure code ("" for 0 or an unknown code).
const char* UsbErrorText(int code);

// Break and mark-after-break held on the line before each frame. DMX512
// receivers need 88 µs and 8 µs; the margins cover clock and USB jitter.
inline constexpr std::chrono::microseconds kDmxBreak{110};
inline constexpr std::chrono::microseconds kDmxMarkAfterBreak{16};

class OpenDmx final : public OutputAdapter {
 public:
  OpenDmx(DeskBase& desk, std::shared_ptr<FtdiApi> api);
  ~OpenDmx() override;
  OpenDmx(const OpenDmx&) = delete;
  OpenDmx& operator=(const OpenDmx&) = delete;

  // The desk's driver module (nullptr before SetupOutput made it).
  static OpenDmx* Of(DeskBase& desk);

  // Module state.
  int32_t UsbHandle = 0;
  std::array<uint8_t, 512> UsbData{};
  uint8_t UsbStartCode = 0;
  int16_t UsbStartCodeSet = 0;  // length of the start code string: 0 or 1
  int16_t UsbQuiet = 0;         // -1 quiet
  uint8_t UsbLastError = 0;
  int16_t UsbIsOpen = 0;        // -1 opened and configured

  void UsbOpen();
  void UsbReset();
  void UsbClose();
  void UsbCloseIfOpen();
  void UsbSetStartCode(uint8_t b);
  void UsbSetData(const uint8_t* frame);
  void UsbSend();
  int UsbStatus(int mode);

  // The driver check of the setup dialog: a usable FTDI backend exists.
  bool DriverFound();
  // The supervision, once per tick while AdapterType is 3: the search, and
  // the frame handed to the wire while connected.
  void Prepare(DeskBase& desk) override;
  // What the wire found sending the frame: the send's codes and the
  // supervision's check.
  void Handle(DeskBase& desk, uint32_t flags) override;

  FtdiApi& api() { return *api_; }

 private:
  // Records a failure; with quiet mode off also shows it (and the status
  // lines where given).
  void fail(UsbError code, const char* mainStatus = nullptr, const char* playStatus = nullptr);
  void setStatusLines(const char* mainText, const char* playText);
  void setDialogStatus(const char* text);
  // After a send: a failure code moves the supervision to searching.
  void checkSend(DeskState& s);

  DeskBase& desk_;
  std::shared_ptr<FtdiApi> api_;
};

// Closes the desk's Open DMX USB device if it is open (the exit operation).
void UsbCloseIfOpen(DeskBase& desk);

}  // namespace lumora
