// The main desk's file menus: saving the whole project or a part of it, and
// loading any project file.
#pragma once

#include <string>

namespace lumora {

class DeskBase;

inline constexpr const char* kProjectFilter = "XML|*.xml";

void SaveXML_Click(DeskBase& d);          // "&Save As Project"
void Save_Instant_Click(DeskBase& d);     // "&Save Project"
void Save_Submix_XML_Click(DeskBase& d);  // "Save Submix"
void Save_Patch_XML_Click(DeskBase& d);   // "Save Patch"
void Save_Chase_XML_Click(DeskBase& d);   // "Save Sequence"
void LoadXML_Click(DeskBase& d);          // "&Load"
void Load_P_XML_Click(DeskBase& d);       // "&Load Patches"

// Writes the whole project to `path`, raising the version; on success clears
// ProjectChanged and reports on both status lines. Returns "" or a reason
// (after telling the operator); the previous file is untouched on failure.
std::string SaveWholeProject(DeskBase& d, const std::string& path);

// Reads `path` into the desk; on success remembers the path, reports on both
// status lines and, with `redraw`, redraws the main desk and the play desk.
// A file that cannot be read, or is no project file, changes nothing and
// returns the reason (the caller decides whether to show it).
std::string LoadProject(DeskBase& d, const std::string& path, bool redraw);

}  // namespace lumora
