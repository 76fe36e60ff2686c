#include "output/adapters.h"

#include "app/desk.h"
#include "core/hoofdblad.h"
#include "output/portsetup.h"
#include "platform/corvex_loader.h"
#include "platform/parport.h"
#include "platform/tribus31.h"
#include "playback/playdesk.h"

namespace lumora {

void AdapterLost(Desk& desk, const std::string& message, const std::string& status) {
  desk.state.AdapterType = 0;
  desk.dialogs().MsgBox(message, " DMX ERROR", MsgButtons::Ok, MsgIcon::Exclamation, MsgResult::Ok);
  desk.hoofdblad().Status.setText(status);
  desk.playdesk().Status.setText(status);
  Portsetup& ps = desk.portSetup();
  if (ps.Loaded() && ps.Visible()) {
    ps.Combo1.SelectIndex(0);  // runs the "None" selection
  }
}

void BusyWait(int passes) {
  volatile int sink = 0;
  for (int i = 0; i < passes; ++i) sink = i;
  (void)sink;
}

void ParallelAdapter::Send(Desk& desk) {
  const DeskState& s = desk.state;
  const auto data = static_cast<uint16_t>(s.PortAddress);
  const auto control = static_cast<uint16_t>(s.PortAddress + 2);
  port_.Out32(control, 3);
  BusyWait(50);
  port_.Out32(control, 1);
  for (int n = 1; n <= slots_; ++n) {
    port_.Out32(data, s.DmxFrame[static_cast<std::size_t>(n - 1)]);
    port_.Out32(control, 0);
    BusyWait(20);
    port_.Out32(control, 1);
    BusyWait(20);
  }
  port_.Out32(control, 1);
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

void Tribus31Adapter::Send(Desk& desk) {
  DeskState& s = desk.state;
  if (lib_.Tribus31Read(s.PortAddress, 0, receive_.data()) != 0) AdapterLost(desk, kTribusMessage, kTribusStatus);
  if (lib_.Tribus31Write(s.PortAddress, 0, s.DmxFrame.data()) != 0) AdapterLost(desk, kTribusMessage, kTribusStatus);
}

void CorvexAdapter::Send(Desk& desk) {
  if (lib_.QuillonCommand(kCorvexSendFrame, kCorvexSlots, desk.state.DmxFrame.data()) != kCorvexSlots)
    AdapterLost(desk, kCorvexMessage, kCorvexMessage);
}

}  // namespace lumora
