// The project information window (Project_text): the project's name and
// notes, with the date and version of the last save shown beside them.
#pragma once

#include "core/form.h"

namespace lumora {

class Project_text : public Form {
 public:
  explicit Project_text(DeskBase& desk);

  Control Label1{*this, "Label1", Kind::Label};
  Control Prj_Name{*this, "Prj_Name", Kind::TextBox};
  Control Label2{*this, "Label2", Kind::Label};
  Control Prj_Date{*this, "Prj_Date", Kind::Label};
  Control Label3{*this, "Label3", Kind::Label};
  Control Prj_Version{*this, "Prj_Version", Kind::Label};
  Control Label4{*this, "Label4", Kind::Label};
  Control Text1{*this, "Text1", Kind::TextBox};  // the project notes
  Control OKButton{*this, "OKButton", Kind::Button};
  Control CancelButton{*this, "CancelButton", Kind::Button};

  void Form_Load() override;
  void OKButton_Click();
  void CancelButton_Click();
};

}  // namespace lumora
