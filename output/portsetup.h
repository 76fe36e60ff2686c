// The adapter setup dialog ("Set DMX Output Device"): chooses the output
// adapter, the parallel-port address and the refresh rate of the output tick.
#pragma once

#include "core/form.h"

namespace lumora {

class Portsetup : public Form {
 public:
  explicit Portsetup(DeskBase& desk);

  Control Combo1{*this, "Combo1", Kind::ComboBox};
  Control Adapter_Name{*this, "Adapter_Name", Kind::Label};
  // Port group
  Control Label2{*this, "Label2", Kind::Label};
  Control Option1{*this, "Option1", Kind::Option};
  Control Option2{*this, "Option2", Kind::Option};
  ControlArray Label1{*this, "Label1", Kind::Label, 2};
  // Rate group
  Control Label3{*this, "Label3", Kind::Label};
  Control Text1{*this, "Text1", Kind::TextBox};
  Control HScroll1{*this, "HScroll1", Kind::ScrollBar};
  // Status box of the USB adapters
  Control Text2{*this, "Text2", Kind::TextBox};
  Control Command1{*this, "Command1", Kind::Button};
  Control Command2{*this, "Command2", Kind::Button};

  // Working state while the dialog is open.
  int16_t SelectedType = 0;
  int16_t SelectedRate = 70;

  void Form_Load() override;
  void Combo1_Click();
  void HScroll1_Change();
  void Option1_Click();
  void Option2_Click();
  void Command1_Click();
  void Command2_Click();

  static constexpr int kMinRate = 10;
  static constexpr int kMaxRate = 750;

 private:
  void showGroups(bool port, bool rate, bool usb);
  void showRate();
  void markPort();
  void setStatusLines(const std::string& text);
  void selectOpenDmx();
};

}  // namespace lumora
