// The output monitor: the values actually sent, 144 slots a page.
#pragma once

#include "controls/bar_indicator.h"
#include "core/form.h"

namespace lumora {

class Realout : public Form {
 public:
  explicit Realout(Desk& desk);

  ProgBarArray ProgBar1{*this, "ProgBar1", 144};
  ControlArray Label1{*this, "Label1", Kind::Label, 144};
  Control Pannel_Dec{*this, "Pannel_Dec", Kind::Button};
  Control Pannel_Inc{*this, "Pannel_Inc", Kind::Button};
  Control Command1{*this, "Command1", Kind::Button};
  Control Command20{*this, "Command20", Kind::Button};
  Control Command21{*this, "Command21", Kind::Button};

  int16_t MonitorPage = 0;

  void Form_Load() override;
  // Called by the output tick while the monitor is visible: writes the bars
  // of the page shown, only where the value differs.
  void UpdateBars();
};

}  // namespace lumora
