#include "core/realout.h"

#include "app/desk.h"

namespace lumora {

Realout::Realout(Desk& desk) : Form(desk, "Realout") {
  setCaption(" Real DMX Output");
  for (auto& b : ProgBar1) {
    b->setRange(0, 255);
    b->setValue(0);
  }
  desk.registry().bind("MonitorPage", MonitorPage);
}

void Realout::Form_Load() {
  DeskState& s = desk().state;
  s.MonitorFirst = 0;
  s.MonitorLast = 143;
  MonitorPage = 0;
}

void Realout::UpdateBars() {
  const DeskState& s = desk().state;
  const int last = s.MonitorLast < kDmxSlots - 1 ? s.MonitorLast : kDmxSlots - 1;
  for (int k = s.MonitorFirst < 0 ? 0 : s.MonitorFirst; k <= last; ++k) {
    const int idx = k - s.MonitorFirst;
    if (idx >= ProgBar1.size()) break;
    ProgBar& bar = ProgBar1[idx];
    if (bar.Value() != s.DmxFrame[k]) bar.setValue(s.DmxFrame[k]);
  }
}

}  // namespace lumora
