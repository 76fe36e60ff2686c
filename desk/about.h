// The about box: the program's name, version and a short description.
#pragma once

#include "core/form.h"

namespace lumora {

class frmAbout : public Form {
 public:
  explicit frmAbout(DeskBase& desk);

  Control lblTitle{*this, "lblTitle", Kind::Label};
  Control lblVersion{*this, "lblVersion", Kind::Label};
  Control lblDescription{*this, "lblDescription", Kind::Label};
  Control cmdOK{*this, "cmdOK", Kind::Button};

  void cmdOK_Click();
};

}  // namespace lumora
