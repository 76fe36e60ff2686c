#include "output/portsetup.h"

#include <algorithm>

#include "platform/desk_base.h"
#include "core/levels.h"
#include "output/adapters.h"
#include "output/opendmx.h"
#include "output/output_wire.h"

namespace lumora {

namespace {
constexpr const char* kAdapterTexts[kAdapterCount] = {
    "None", "Marwick's Adapter", "DMX 3-1 Adapter", "Open DMX USB Adapter", "Manolator DMX Interface",
    "Quillonizer Corvex"};
}  // namespace

Portsetup::Portsetup(DeskBase& desk) : Form(desk, "Portsetup") {
  setCaption("Set DMX Output Device");
  Label2.setCaption("Port");
  Label1[0].setCaption("LPT1  378h");
  Label1[1].setCaption("LPT2  278h");
  Label3.setCaption("Refresh Rate");
  HScroll1.setRange(kMinRate, kMaxRate);
  HScroll1.setValue(70);
  Command1.setCaption("Save and Exit");
  Command2.setCaption("Cancel");
  Combo1.onClick = [this] { Combo1_Click(); };
  HScroll1.onChange = [this] { HScroll1_Change(); };
  Option1.onClick = [this] { Option1_Click(); };
  Option2.onClick = [this] { Option2_Click(); };
  Command1.onClick = [this] { Command1_Click(); };
  Command2.onClick = [this] { Command2_Click(); };
  desk.registry().bind("SelectedType", SelectedType);
  desk.registry().bind("SelectedRate", SelectedRate);
}

void Portsetup::Form_Load() {
  DeskBase& d = desk();
  SelectedType = d.state.AdapterType;
  SelectedRate = static_cast<int16_t>(d.mainDesk().Timer1.Interval());
  Combo1.Clear();
  for (const char* t : kAdapterTexts) Combo1.AddItem(t);
  // A value outside the list (a damaged project) shows as "None".
  if (SelectedType < 0 || SelectedType >= kAdapterCount) SelectedType = 0;
  Combo1.SelectIndex(SelectedType);
}

void Portsetup::showGroups(bool port, bool rate, bool usb) {
  for (Control* c : {&Label2, &Option1, &Option2, &Label1[0], &Label1[1]}) c->setVisible(port);
  for (Control* c : {&Label3, &Text1, &HScroll1}) c->setVisible(rate);
  Text2.setVisible(usb);
}

void Portsetup::showRate() {
  Text1.setText(Num(SelectedRate) + " mS");
  HScroll1.setValue(std::clamp<int>(SelectedRate, kMinRate, kMaxRate));
}

void Portsetup::markPort() {
  const int16_t p = desk().state.PortAddress;
  if (p == 888) {
    Option1.setValue(1);
    Option2.setValue(0);
  } else if (p == 632) {
    Option1.setValue(0);
    Option2.setValue(1);
  }
}

void Portsetup::setStatusLines(const std::string& text) {
  desk().mainDesk().Status.setText(text);
  desk().playStatus().setText(text);
}

void Portsetup::Combo1_Click() {
  DeskBase& d = desk();
  const int index = Combo1.ListIndex();
  if (index < 0 || index >= kAdapterCount) return;  // nothing chosen
  SelectedType = static_cast<int16_t>(index);
  auto enablePort = [this](bool e) {
    Option1.setEnabled(e);
    Option2.setEnabled(e);
  };
  switch (index) {
    case kAdapterNone:
      Adapter_Name.setCaption(" None ");
      showGroups(false, false, false);
      enablePort(false);
      HScroll1.setEnabled(false);
      setStatusLines(" NO DMX OUT");
      break;
    case kAdapterMarwick:
      Adapter_Name.setCaption(" Marwicke DMX Adapter ");
      showGroups(true, true, false);
      enablePort(true);
      HScroll1.setEnabled(true);
      setStatusLines(" Marwich Adapter Running");
      showRate();
      markPort();
      break;
    case kAdapterTribus31:
      Adapter_Name.setCaption(" Quillo DMX 3-1 Adapter ");
      showGroups(true, false, false);
      enablePort(true);
      HScroll1.setEnabled(false);
      setStatusLines(" Quillo 3-1 Adapter - NO DMX OUT");
      if (d.platform().parport) {
        // The port may be clocking a frame out for the parallel adapters.
        WireHold hold(OutputWire::AdapterSenderOf(d));
        Tribus31WakeUp(*d.platform().parport, d.state.PortAddress);
      }
      markPort();
      SelectedRate = 70;
      break;
    case kAdapterOpenDmx:
      Adapter_Name.setCaption(" Open DMX USB Adapter ");
      showGroups(false, false, true);
      enablePort(false);
      HScroll1.setEnabled(false);
      SelectedRate = 40;
      selectOpenDmx();
      break;
    case kAdapterManolator:
      Adapter_Name.setCaption(" Manolator DMX Interface ");
      showGroups(true, true, false);
      enablePort(true);
      HScroll1.setEnabled(true);
      setStatusLines(" Manolator Connectd " + Num(SelectedRate) + "ms");
      showRate();
      markPort();
      break;
    case kAdapterCorvex:
      Adapter_Name.setCaption(" Quillonizer Corvex ");
      showGroups(false, false, true);
      HScroll1.setEnabled(false);
      // The library reports no device state; an old USB status must not stay.
      Text2.setText("");
      setStatusLines(" Quillonizer Corvex Connecting.....");
      break;
  }
}

void Portsetup::selectOpenDmx() {
  DeskBase& d = desk();
  OpenDmx* usb = OpenDmx::Of(d);
  if (usb && usb->DriverFound()) {
    // The device is ours alone while it is opened again.
    WireHold hold(OutputWire::AdapterSenderOf(d));
    d.state.UsbConnected = 1;
    Text2.setText("Driver Found");
    usb->UsbStatus(1);
    // Choosing the adapter again while it runs would open a second time on
    // a device that is still ours; close our own handle first.
    usb->UsbCloseIfOpen();
    usb->UsbOpen();
    if (usb->UsbStatus(1) == 0) {
      Text2.setText("Connected");
      setStatusLines(" Open USB Connected");
    } else {
      Text2.setText("Searching...");
      setStatusLines(" Open USB Searching.......");
    }
  } else {
    Text2.setText("USB Driver not Found");
    setStatusLines(" Open USB Not Found !");
    d.state.UsbConnected = 0;
  }
  d.state.AdapterType = kAdapterOpenDmx;
}

void Portsetup::HScroll1_Change() {
  SelectedRate = static_cast<int16_t>(std::clamp(HScroll1.Value(), kMinRate, kMaxRate));
  Text1.setText(Num(SelectedRate) + " mS");
}

void Portsetup::Option1_Click() {
  desk().state.PortAddress = 888;
  Option1.setValue(1);
  Option2.setValue(0);
}

void Portsetup::Option2_Click() {
  desk().state.PortAddress = 632;
  Option2.setValue(1);
  Option1.setValue(0);
}

void Portsetup::Command1_Click() {
  DeskBase& d = desk();
  d.state.AdapterType = SelectedType;
  d.mainDesk().Timer1.setInterval(SelectedRate);
  d.state.ProjectChanged = -1;
  Unload();
}

void Portsetup::Command2_Click() { Unload(); }

}  // namespace lumora
