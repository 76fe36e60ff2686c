// The output monitor: the values actually sent, 144 slots a page.
#pragma once

#include "controls/bar_indicator.h"
#include "core/form.h"

namespace lumora {

class Realout : public Form {
 public:
  explicit Realout(DeskBase& desk);

  static constexpr int kBars = 144;
  static constexpr int kLastPage = 3;
  // Neighbouring pages share one slot: page p starts at frame index 143 * p.
  static constexpr int kPageStep = 143;

  ProgBarArray ProgBar1{*this, "ProgBar1", kBars};
  ControlArray Label1{*this, "Label1", Kind::Label, kBars};
  Control Pannel_Dec{*this, "Pannel_Dec", Kind::Button};
  Control Pannel_Inc{*this, "Pannel_Inc", Kind::Button};
  Control Command1{*this, "Command1", Kind::Button};
  Control Command20{*this, "Command20", Kind::Button};
  Control Command21{*this, "Command21", Kind::Button};

  int16_t MonitorPage = 0;

  void Form_Load() override;
  // Lays out the page MonitorPage: range, labels, hints, title, paging buttons.
  void ShowMonitor();
  void Pannel_Dec_Click();
  void Pannel_Inc_Click();
  void Command1_Click();
  void Command20_Click();
  void Command21_Click();
  // Called by the output tick while the monitor is visible: writes the bars
  // of the page shown, only where the value differs.
  void UpdateBars();
};

}  // namespace lumora
