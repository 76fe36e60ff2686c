#include "project/setup.h"

#include "platform/desk_base.h"
#include "project/preferences.h"
#include "project/project_menus.h"
#include "project/show_keeper.h"

namespace lumora {

// Registers this subsystem's globals and wires the main desk's file menus.
void SetupProject(DeskBase& d) {
  d.registry().bind("ProjectDate", d.state.ProjectDate);
  MainDesk& h = d.mainDesk();
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

  ShowKeeper& k = d.own<ShowKeeper>(d);
  Preferences& prefs = d.own<Preferences>(d);
  d.addForm(&prefs);
  if (Control* c = h.form.control("Preferences")) c->onClick = [&prefs] { prefs.Show(); };
  auto wholeNumber = [](const Json& v, long long& n) -> std::string {
    if (!v.isNumber()) return "expected a number";
    n = v.asInt();
    if (v.asReal() != static_cast<double>(n)) return "expected a whole number";
    return "";
  };
  d.registry().add("AutosaveMinutes", [&k, wholeNumber] {
    return std::make_unique<FnNode>([&k] { return Json(static_cast<long long>(k.settings().autosaveMinutes)); },
                                    [&k, wholeNumber](const Json& v) {
                                      long long n = 0;
                                      std::string e = wholeNumber(v, n);
                                      if (!e.empty()) return e;
                                      if (n < 0 || n > kMaxAutosaveMinutes) return std::string("value out of range");
                                      return k.setAutosaveMinutes(static_cast<int>(n));
                                    });
  });
  d.registry().add("BackupCount", [&k, wholeNumber] {
    return std::make_unique<FnNode>([&k] { return Json(static_cast<long long>(k.settings().backupCount)); },
                                    [&k, wholeNumber](const Json& v) {
                                      long long n = 0;
                                      std::string e = wholeNumber(v, n);
                                      if (!e.empty()) return e;
                                      if (n < 0 || n > kMaxBackupCount) return std::string("value out of range");
                                      return k.setBackupCount(static_cast<int>(n));
                                    });
  });
  d.registry().add("Autosave.Path", [&k] { return std::make_unique<FnNode>([&k] { return Json(k.autosavePath()); }); });
  d.registry().add("RecentProjects", [&k] {
    return std::make_unique<FnNode>([&k] {
      Json a = Json::array();
      for (const auto& p : k.recent()) a.push(Json(p));
      return a;
    });
  });
}

}  // namespace lumora
