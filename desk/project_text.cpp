#include "desk/project_text.h"

#include <string>

#include "platform/desk_base.h"
#include "project/project_io.h"

namespace lumora {

Project_text::Project_text(DeskBase& desk) : Form(desk, "Project_text") {
  setCaption("Project Information");
  Label1.setCaption("Project Name");
  Label2.setCaption("Date");
  Label3.setCaption("Version");
  Label4.setCaption("Project Notes");
  OKButton.setCaption("OK");
  CancelButton.setCaption("Cancel");
  OKButton.onClick = [this] { OKButton_Click(); };
  CancelButton.onClick = [this] { CancelButton_Click(); };
}

// Every opening shows the project as it stands now.
void Project_text::Form_Load() {
  const DeskState& s = desk().state;
  Text1.setText(s.ProjectText);
  Prj_Name.setText(s.ProjectName);
  Prj_Date.setCaption(s.ProjectDate.empty() ? TodayText() : s.ProjectDate);
  Prj_Version.setCaption(s.ProjectVersion != 0 ? std::to_string(s.ProjectVersion) : std::string());
}

void Project_text::OKButton_Click() {
  DeskState& s = desk().state;
  s.ProjectText = Text1.Text();
  s.ProjectName = Prj_Name.Text();
  s.ProjectChanged = -1;
  Unload();
}

void Project_text::CancelButton_Click() { Unload(); }

}  // namespace lumora
