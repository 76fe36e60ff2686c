#include "app/desk.h"
#include "core/hoofdblad.h"
#include "core/project_text.h"
#include "project/project_menus.h"

namespace lumora {

// Registers this subsystem's globals and wires the main desk's file menus.
void SetupProject(Desk& d) {
  d.registry().bind("ProjectDate", d.state.ProjectDate);
  Hoofdblad& h = d.hoofdblad();
  h.SaveXML.setCaption("&Save As Project");
  h.Save_Instant.setCaption("&Save Project");
  h.Save_Submix_XML.setCaption("Save Submix");
  h.Save_Patch_XML.setCaption("Save Patch");
  h.Save_Chase_XML.setCaption("Save Sequence");
  h.LoadXML.setCaption("&Load");
  h.Load_P_XML.setCaption("&Load Patches");
  h.SaveXML.onClick = [&d] { SaveXML_Click(d); };
  h.Save_Instant.onClick = [&d] { Save_Instant_Click(d); };
  h.Save_Submix_XML.onClick = [&d] { Save_Submix_XML_Click(d); };
  h.Save_Patch_XML.onClick = [&d] { Save_Patch_XML_Click(d); };
  h.Save_Chase_XML.onClick = [&d] { Save_Chase_XML_Click(d); };
  h.LoadXML.onClick = [&d] { LoadXML_Click(d); };
  h.Load_P_XML.onClick = [&d] { Load_P_XML_Click(d); };
  h.project_info.onClick = [&d] { d.projectText().Show(); };
}

}  // namespace lumora
