// The Preferences window: how often a changed show is autosaved, how many
// numbered backups a save keeps, and whether the last project opens at start.
#pragma once

#include "core/form.h"

namespace lumora {

class Preferences : public Form {
 public:
  explicit Preferences(DeskBase& desk);

  Control lblAutosave{*this, "lblAutosave", Kind::Label};
  Control txtAutosave{*this, "txtAutosave", Kind::TextBox};
  Control lblBackups{*this, "lblBackups", Kind::Label};
  Control txtBackups{*this, "txtBackups", Kind::TextBox};
  Control chkOpenLast{*this, "chkOpenLast", Kind::CheckBox};
  Control lblWhere{*this, "lblWhere", Kind::Label};
  Control cmdOK{*this, "cmdOK", Kind::Button};
  Control cmdCancel{*this, "cmdCancel", Kind::Button};

  void Form_Load() override;
  void Form_Activate() override;
  void cmdOK_Click();
  void cmdCancel_Click();

 private:
  void fill();
};

}  // namespace lumora
