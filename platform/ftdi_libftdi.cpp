// The FTDI call set on libftdi1: device 0 of the FTDI chips libftdi knows
// (0403:6001 and its siblings), D2XX statuses on every path. Handles are
// numbers into a table, so a stale or unknown handle is a failure status and
// never a dangling pointer.
#include <libftdi1/ftdi.h>

#include <map>

#include "platform/ftdi.h"

namespace lumora {
namespace {

struct Line {
  ftdi_bits_type bits = BITS_8;
  ftdi_stopbits_type stop = STOP_BIT_2;
  ftdi_parity_type parity = NONE;
};

struct Device {
  ftdi_context* ctx = nullptr;
  Line line;
};

class LibFtdi final : public FtdiApi {
 public:
  ~LibFtdi() override {
    for (auto& [h, d] : open_) {
      ftdi_usb_close(d.ctx);
      ftdi_free(d.ctx);
    }
  }

  bool DriverPresent() override {
    ftdi_context* ctx = ftdi_new();  // fails only when libusb cannot start
    if (!ctx) return false;
    ftdi_free(ctx);
    return true;
  }
  std::string Describe() const override { return "libftdi1"; }

  FtStatus FT_Open(int deviceIndex, FtHandle& handle) override {
    if (deviceIndex < 0) return kFtInvalidParameter;
    ftdi_context* ctx = ftdi_new();
    if (!ctx) return kFtOtherError;
    ftdi_device_list* list = nullptr;
    const int n = ftdi_usb_find_all(ctx, &list, 0, 0);
    if (n <= deviceIndex) {
      if (list) ftdi_list_free(&list);
      ftdi_free(ctx);
      return kFtDeviceNotFound;
    }
    ftdi_device_list* it = list;
    for (int i = 0; i < deviceIndex && it; ++i) it = it->next;
    const int rc = it ? ftdi_usb_open_dev(ctx, it->dev) : -1;
    ftdi_list_free(&list);
    if (rc < 0) {
      ftdi_free(ctx);
      return kFtDeviceNotOpened;
    }
    handle = ++lastHandle_;
    open_[handle] = Device{ctx, {}};
    return kFtOk;
  }

  FtStatus FT_ResetDevice(FtHandle h) override {
    return with(h, [](Device& d) { return ftdi_usb_reset(d.ctx); });
  }
  FtStatus FT_SetDivisor(FtHandle h, uint16_t divisor) override {
    if (divisor == 0) return kFtInvalidParameter;
    // The D2XX divisor divides the chip's 3 MHz base clock.
    return with(h, [divisor](Device& d) { return ftdi_set_baudrate(d.ctx, 3000000 / divisor); });
  }
  FtStatus FT_SetDataCharacteristics(FtHandle h, uint8_t wordLength, uint8_t stopBits, uint8_t parity) override {
    Line l;
    if (wordLength == 7) l.bits = BITS_7;
    else if (wordLength == 8) l.bits = BITS_8;
    else return kFtInvalidParameter;
    if (stopBits == 0) l.stop = STOP_BIT_1;
    else if (stopBits == 1) l.stop = STOP_BIT_15;
    else if (stopBits == 2) l.stop = STOP_BIT_2;
    else return kFtInvalidParameter;
    if (parity > 4) return kFtInvalidParameter;
    l.parity = static_cast<ftdi_parity_type>(parity);  // same order: none, odd, even, mark, space
    return with(h, [l](Device& d) {
      const int rc = ftdi_set_line_property2(d.ctx, l.bits, l.stop, l.parity, BREAK_OFF);
      if (rc == 0) d.line = l;
      return rc;
    });
  }
  FtStatus FT_SetFlowControl(FtHandle h, uint16_t flow, uint8_t xon, uint8_t xoff) override {
    return with(h, [=](Device& d) {
      if (flow == 0x0400) return ftdi_setflowctrl_xonxoff(d.ctx, xon, xoff);
      const int mode = flow == 0x0100 ? SIO_RTS_CTS_HS : flow == 0x0200 ? SIO_DTR_DSR_HS : SIO_DISABLE_FLOW_CTRL;
      return ftdi_setflowctrl(d.ctx, mode);
    });
  }
  FtStatus FT_ClrRts(FtHandle h) override {
    return with(h, [](Device& d) { return ftdi_setrts(d.ctx, 0); });
  }
  FtStatus FT_Purge(FtHandle h, uint32_t mask) override {
    return with(h, [mask](Device& d) {
      int rc = 0;
      if (mask & kFtPurgeTx) rc = ftdi_tcoflush(d.ctx);
      if (rc == 0 && (mask & kFtPurgeRx)) rc = ftdi_tciflush(d.ctx);
      return rc;
    });
  }
  FtStatus FT_Close(FtHandle h) override {
    auto it = open_.find(h);
    if (it == open_.end()) return kFtInvalidHandle;
    const int rc = ftdi_usb_close(it->second.ctx);
    ftdi_free(it->second.ctx);
    open_.erase(it);
    return rc == 0 ? kFtOk : kFtIoError;
  }
  FtStatus FT_SetBreakOn(FtHandle h) override { return setBreak(h, BREAK_ON); }
  FtStatus FT_SetBreakOff(FtHandle h) override { return setBreak(h, BREAK_OFF); }
  FtStatus FT_Write(FtHandle h, const uint8_t* data, uint32_t length, uint32_t& written) override {
    written = 0;
    auto it = open_.find(h);
    if (it == open_.end()) return kFtInvalidHandle;
    if (length == 0) return kFtOk;
    const int rc = ftdi_write_data(it->second.ctx, data, static_cast<int>(length));
    if (rc < 0) return kFtIoError;
    written = static_cast<uint32_t>(rc);
    return written == length ? kFtOk : kFtIoError;
  }
  void LineWait(std::chrono::microseconds us) override { PreciseWait(us); }

 private:
  template <typename F>
  FtStatus with(FtHandle h, F f) {
    auto it = open_.find(h);
    if (it == open_.end()) return kFtInvalidHandle;
    return f(it->second) < 0 ? kFtIoError : kFtOk;
  }
  FtStatus setBreak(FtHandle h, ftdi_break_type b) {
    return with(h, [b](Device& d) { return ftdi_set_line_property2(d.ctx, d.line.bits, d.line.stop, d.line.parity, b); });
  }

  FtHandle lastHandle_ = 0;
  std::map<FtHandle, Device> open_;
};

}  // namespace

std::shared_ptr<FtdiApi> MakeLibFtdi() { return std::make_shared<LibFtdi>(); }

}  // namespace lumora
