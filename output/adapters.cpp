#include "output/adapters.h"

#include "platform/desk_base.h"
#include "output/portsetup.h"
#include "output/wire_senders.h"
#include "platform/parport.h"

namespace lumora {

void AdapterLost(DeskBase& desk, const std::string& message, const std::string& status) {
  desk.state.AdapterType = 0;
  desk.dialogs().MsgBox(message, " DMX ERROR", MsgButtons::Ok, MsgIcon::Exclamation, MsgResult::Ok);
  desk.mainDesk().Status.setText(status);
  desk.playStatus().setText(status);
  Portsetup& ps = desk.window<Portsetup>();
  if (ps.Loaded() && ps.Visible()) {
    ps.Combo1.SelectIndex(0);  // runs the "None" selection
  }
}

void Tribus31WakeUp(ParallelPort& port, int16_t address) {
  port.Out32(static_cast<uint16_t>(address + 2), 3);
  BusyWait(50);
  port.Out32(static_cast<uint16_t>(address + 2), 1);
  port.Out32(static_cast<uint16_t>(address), 255);
}

namespace {
constexpr const char* kTribusMessage = " 3-1 DMX Adapter Not Connected or Not Responding";
constexpr const char* kTribusStatus = " 3-1 Adapter Not connected ot not responding";
constexpr const char* kCorvexMessage = " USB DMX Adapter Not Connected or Not Responding";
}  // namespace

void Tribus31Adapter::Handle(DeskBase& desk, uint32_t flags) {
  // The library's two calls fail one by one, each with its own message.
  if (flags & AdapterWire::kTribusReadFailed) AdapterLost(desk, kTribusMessage, kTribusStatus);
  if (flags & AdapterWire::kTribusWriteFailed) AdapterLost(desk, kTribusMessage, kTribusStatus);
}

void CorvexAdapter::Handle(DeskBase& desk, uint32_t flags) {
  if (flags & AdapterWire::kCorvexFailed) AdapterLost(desk, kCorvexMessage, kCorvexMessage);
}

}  // namespace lumora
