// The Sacn_Config window ("sACN Output"): the eight sACN output universes
// (send switch, universe number, priority, optional unicast address, the
// multicast group they go to) and the local interface to send from. OK
// checks every row and stores nothing unless all are sound; Cancel drops
// the edits.
#pragma once

#include "core/form.h"

namespace lumora {

class Sacn_Config : public Form {
 public:
  static constexpr int kRows = 8;
  explicit Sacn_Config(DeskCore& desk);

  Control lblHeadOutput{*this, "lblHeadOutput", Kind::Label};
  Control lblHeadSend{*this, "lblHeadSend", Kind::Label};
  Control lblHeadUniverse{*this, "lblHeadUniverse", Kind::Label};
  Control lblHeadPriority{*this, "lblHeadPriority", Kind::Label};
  Control lblHeadUnicast{*this, "lblHeadUnicast", Kind::Label};
  Control lblHeadGroup{*this, "lblHeadGroup", Kind::Label};
  ControlArray lblOutput{*this, "lblOutput", Kind::Label, kRows};
  ControlArray chkSend{*this, "chkSend", Kind::CheckBox, kRows};
  ControlArray txtUniverse{*this, "txtUniverse", Kind::TextBox, kRows};
  ControlArray txtPriority{*this, "txtPriority", Kind::TextBox, kRows};
  ControlArray txtUnicast{*this, "txtUnicast", Kind::TextBox, kRows};
  ControlArray lblGroup{*this, "lblGroup", Kind::Label, kRows};
  Control lblInterface{*this, "lblInterface", Kind::Label};
  Control cboInterface{*this, "cboInterface", Kind::ComboBox};
  Control lblSource{*this, "lblSource", Kind::Label};
  Control lblStatus{*this, "lblStatus", Kind::Label};
  Control cmdOK{*this, "cmdOK", Kind::Button};
  Control cmdCancel{*this, "cmdCancel", Kind::Button};

  void Form_Load() override;
  void Form_Activate() override;
  void txtUniverse_Change(int i);
  void cmdOK_Click();
  void cmdCancel_Click();

  // The interface box's entry for "let the system choose".
  static constexpr const char* kAutomatic = "Automatic";

 private:
  void fill();
  // The address an interface entry stands for ("" = automatic).
  static std::string AddressOf(const std::string& entry);
  bool refuse(Control& box, const std::string& text);
};

}  // namespace lumora
