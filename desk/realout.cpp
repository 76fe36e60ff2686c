#include "desk/realout.h"

#include <algorithm>

#include "platform/desk_base.h"
#include "desk/hoofdblad.h"
#include "core/levels.h"
#include "playback/playdesk.h"

namespace lumora {

Realout::Realout(DeskBase& desk) : Form(desk, "Realout") {
  setCaption(" Real DMX Output");
  for (auto& b : ProgBar1) {
    b->setRange(0, 255);
    b->setValue(0);
  }
  Pannel_Dec.setCaption("<<");
  Pannel_Inc.setCaption(">>");
  Command1.setCaption("Close");
  Command20.setCaption("Main Desk");
  Command21.setCaption("Playback Desk");
  Pannel_Dec.onClick = [this] { Pannel_Dec_Click(); };
  Pannel_Inc.onClick = [this] { Pannel_Inc_Click(); };
  Command1.onClick = [this] { Command1_Click(); };
  Command20.onClick = [this] { Command20_Click(); };
  Command21.onClick = [this] { Command21_Click(); };
  desk.registry().bind("MonitorPage", MonitorPage);
}

void Realout::Form_Load() {
  DeskState& s = desk().state;
  s.MonitorFirst = 0;
  s.MonitorLast = 143;
  MonitorPage = 0;
  ShowMonitor();
}

void Realout::ShowMonitor() {
  DeskState& s = desk().state;
  // A page number set from outside (the console) is held to the four pages.
  MonitorPage = static_cast<int16_t>(std::clamp<int>(MonitorPage, 0, kLastPage));
  s.MonitorFirst = static_cast<int16_t>(kPageStep * MonitorPage);
  s.MonitorLast = static_cast<int16_t>(s.MonitorFirst + kBars - 1);
  for (int k = 0; k < kBars; ++k) {
    const int slot = s.MonitorFirst + k;  // frame index
    ProgBar& bar = ProgBar1[k];
    Control& label = Label1[k];
    if (slot > kDmxSlots - 1) {
      bar.setVisible(false);
      label.setVisible(false);
      continue;
    }
    bar.setVisible(true);
    label.setVisible(true);
    const std::string number = Num(slot + 1);
    label.setCaption(number.size() > 3 ? number.substr(number.size() - 3) : number);
    bar.setToolTipText(" Output " + number + " From Desk Channel " + Num(s.PatchTable[slot]));
  }
  // The title names the last slot that exists: page 3 ends at slot 512.
  const int lastShown = std::min<int>(s.MonitorLast, kDmxSlots - 1);
  setCaption(" Real DMX Output  Ch" + Num(s.MonitorFirst + 1) + "   -  Ch" + Num(lastShown + 1));
  Pannel_Dec.setEnabled(MonitorPage > 0);
  Pannel_Inc.setEnabled(MonitorPage < kLastPage);
}

void Realout::Pannel_Dec_Click() {
  if (MonitorPage > 0) --MonitorPage;
  ShowMonitor();
}

void Realout::Pannel_Inc_Click() {
  if (MonitorPage < kLastPage) ++MonitorPage;
  ShowMonitor();
}

void Realout::Command1_Click() { Unload(); }

void Realout::Command20_Click() { desk().window<Hoofdblad>().Show(); }

void Realout::Command21_Click() { desk().window<Playdesk>().Show(); }

void Realout::UpdateBars() {
  const DeskState& s = desk().state;
  const int first = std::max<int>(s.MonitorFirst, 0);
  const int last = std::min<int>(s.MonitorLast, kDmxSlots - 1);
  for (int k = first; k <= last; ++k) {
    const int idx = k - s.MonitorFirst;
    if (idx >= kBars) break;
    ProgBar& bar = ProgBar1[idx];
    if (bar.Value() != s.DmxFrame[k]) bar.setValue(s.DmxFrame[k]);
  }
}

}  // namespace lumora
