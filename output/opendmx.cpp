#include "output/opendmx.h"

#include <cstring>
#include <map>

#include "platform/desk_base.h"
#include "output/output_wire.h"
#include "output/portsetup.h"
#include "output/wire_senders.h"

namespace lumora {

namespace {

// The driver module of each desk (tests run several desks in one process).
std::map<const DeskBase*, OpenDmx*>& Modules() {
  static std::map<const DeskBase*, OpenDmx*> m;
  return m;
}

constexpr const char* kAppTitle = "Lumora";

}  // namespace

const char* UsbErrorText(int code) {
  switch (code) {
    case kUsbOpenFailed: return "Open Failed!";
    case kUsbResetFailed: return "Failed To Reset Device!";
    case kUsbBaudFailed: return "Failed To Set Baud Rate!";
    case kUsbDataCharFailed: return "Failed To Set Data Characteristics!";
    case kUsbFlowFailed: return "Failed to set flow control!";
    case kUsbRtsFailed: return "Failed to set RS485 to send!";
    case kUsbPurgeTxFailed: return "Failed to purge TX buffer!";
    case kUsbPurgeRxFailed: return "Failed to purge RX buffer!";
    case kUsbCloseFailed: return "Close Failed";
    case kUsbStartCodeFailed: return "Write Start Code Failed!";
    case kUsbWriteFailed: return "Write DMX Failed!";
    default: return "";
  }
}

OpenDmx::OpenDmx(DeskBase& desk, std::shared_ptr<FtdiApi> api) : desk_(desk), api_(std::move(api)) {
  Modules()[&desk] = this;
}

OpenDmx::~OpenDmx() {
  auto& m = Modules();
  auto it = m.find(&desk_);
  if (it != m.end() && it->second == this) m.erase(it);
}

OpenDmx* OpenDmx::Of(DeskBase& desk) {
  auto& m = Modules();
  auto it = m.find(&desk);
  return it == m.end() ? nullptr : it->second;
}

void UsbCloseIfOpen(DeskBase& desk) {
  // The exit: the wire sends its last frame and ends before the device closes.
  OutputWire::StopOf(desk);
  if (OpenDmx* u = OpenDmx::Of(desk)) u->UsbCloseIfOpen();
}

void OpenDmx::setStatusLines(const char* mainText, const char* playText) {
  desk_.mainDesk().Status.setText(mainText);
  desk_.playStatus().setText(playText);
}

void OpenDmx::setDialogStatus(const char* text) {
  Portsetup& ps = desk_.window<Portsetup>();
  if (ps.Loaded() && ps.Visible()) ps.Text2.setText(text);
}

void OpenDmx::fail(UsbError code, const char* mainStatus, const char* playStatus) {
  // The code is recorded in both modes: a failure that was only shown would
  // read as success to the supervision, which would then claim "Connected"
  // and never search again.
  UsbLastError = code;
  // The supervision's quiet searches fail by design until a device answers;
  // only a failure the user is told of is an output error.
  if (UsbQuiet) return;
  OutputWire::NoteError(desk_, std::string("Open DMX USB: ") + UsbErrorText(code));
  desk_.dialogs().MsgBox(UsbErrorText(code), kAppTitle, MsgButtons::Ok, MsgIcon::None, MsgResult::Ok);
  if (mainStatus) setStatusLines(mainStatus, playStatus);
}

void OpenDmx::UsbOpen() {
  UsbIsOpen = 0;
  UsbLastError = 0;
  auto h = [this] { return static_cast<FtHandle>(UsbHandle); };
  bool ok = [&] {
    FtHandle handle = h();
    if (api_->FT_Open(0, handle) != kFtOk) {
      fail(kUsbOpenFailed, "Open USB Device Failed! ", "Open USB Device Failed!");
      return false;
    }
    UsbHandle = static_cast<int32_t>(handle);
    if (api_->FT_ResetDevice(h()) != kFtOk) {
      fail(kUsbResetFailed, "Open USB Device Reset Failed! ", "Open USB Device Reset Failed!");
      return false;
    }
    if (api_->FT_SetDivisor(h(), 12) != kFtOk) {  // 3 MHz / 12 = 250 000 baud
      fail(kUsbBaudFailed, "Open USB Device Baudrate Failed! ", "Open USB Device Baudrate Failed!");
      return false;
    }
    if (api_->FT_SetDataCharacteristics(h(), kFtBits8, kFtStopBits2, kFtParityNone) != kFtOk) {
      fail(kUsbDataCharFailed);
      return false;
    }
    if (api_->FT_SetFlowControl(h(), kFtFlowNone, 0, 0) != kFtOk) {
      fail(kUsbFlowFailed);
      return false;
    }
    if (api_->FT_ClrRts(h()) != kFtOk) {  // RTS low: the RS-485 driver transmits
      fail(kUsbRtsFailed);
      return false;
    }
    if (api_->FT_Purge(h(), kFtPurgeTx) != kFtOk) {
      fail(kUsbPurgeTxFailed);
      return false;
    }
    if (api_->FT_Purge(h(), kFtPurgeRx) != kFtOk) {
      fail(kUsbPurgeRxFailed);
      return false;
    }
    return true;
  }();
  if (!ok) {
    UsbCloseIfOpen();
    return;
  }
  UsbData.fill(0);
  UsbIsOpen = -1;
  if (!UsbQuiet)
    desk_.dialogs().MsgBox("Open DMX USB interface ready (" + api_->Describe() + ")", kAppTitle, MsgButtons::Ok,
                           MsgIcon::Information, MsgResult::Ok);
}

void OpenDmx::UsbReset() {
  UsbLastError = 0;
  if (api_->FT_ResetDevice(static_cast<FtHandle>(UsbHandle)) != kFtOk)
    fail(kUsbResetFailed, "Failed To Reset USB Device! ", "Failed To Reset USB Device!");
}

void OpenDmx::UsbClose() {
  UsbLastError = 0;
  if (api_->FT_Close(static_cast<FtHandle>(UsbHandle)) != kFtOk)
    fail(kUsbCloseFailed, "Failed To Close USB Device! ", "Failed To Close USB Device!");
}

void OpenDmx::UsbCloseIfOpen() {
  if (!UsbIsOpen) return;
  if (api_->FT_Close(static_cast<FtHandle>(UsbHandle)) != kFtOk) fail(kUsbCloseFailed);
  UsbIsOpen = 0;
}

void OpenDmx::UsbSetStartCode(uint8_t b) {
  UsbStartCode = b;
  UsbStartCodeSet = 1;
}

void OpenDmx::UsbSetData(const uint8_t* frame) { std::memcpy(UsbData.data(), frame, UsbData.size()); }

void OpenDmx::UsbSend() {
  if (!UsbIsOpen) return;
  const FtHandle h = static_cast<FtHandle>(UsbHandle);
  const uint32_t started = UsbFrameStart(*api_, h, &UsbStartCode, static_cast<uint32_t>(UsbStartCodeSet));
  UsbLastError = 0;
  if (started) fail(kUsbStartCodeFailed);
  uint32_t written = 0;
  if (api_->FT_Write(h, UsbData.data(), static_cast<uint32_t>(UsbData.size()), written) != kFtOk)
    fail(kUsbWriteFailed);
}

int OpenDmx::UsbStatus(int mode) {
  UsbQuiet = mode == 1 ? -1 : 0;
  return UsbLastError;
}

bool OpenDmx::DriverFound() { return api_->DriverPresent(); }

void OpenDmx::Prepare(DeskBase& desk) {
  DeskState& s = desk.state;
  if (s.UsbSearching == 1) {
    // The device is ours alone while it is searched for.
    WireHold hold(OutputWire::AdapterSenderOf(desk));
    UsbClose();
    UsbReset();
    UsbOpen();
    if (UsbStatus(1) == 0) {
      setDialogStatus("Connected");
      setStatusLines(" Open USB Connected", " Open USB Connected");
      s.UsbConnected = 1;
      s.UsbSearching = 0;
    }
  }
  if (s.UsbConnected == 1) {
    UsbSetStartCode(0);
    UsbSetData(s.DmxFrame.data());
    // Without an open device nothing goes to the wire: the check runs now.
    if (!UsbIsOpen) checkSend(s);
  }
}

void OpenDmx::Handle(DeskBase& desk, uint32_t flags) {
  DeskState& s = desk.state;
  if (s.UsbConnected != 1 || !UsbIsOpen) return;
  UsbLastError = 0;
  if (flags & AdapterWire::kUsbStartCodeFailed) fail(kUsbStartCodeFailed);
  if (flags & AdapterWire::kUsbWriteFailed) fail(kUsbWriteFailed);
  checkSend(s);
}

void OpenDmx::checkSend(DeskState& s) {
  if (UsbStatus(1) != 0) {
    setDialogStatus("Searching...");
    setStatusLines(" Open USB Searching", " Open USB Searching");
    s.UsbSearching = 1;
    s.UsbConnected = 0;
  }
}

}  // namespace lumora
