// Set-up of this subsystem: the project file, autosave, preferences and the main desk's file menus. Called once by the composition root
// after every window exists.
#pragma once

namespace lumora {

class DeskBase;

void SetupProject(DeskBase& d);

}  // namespace lumora
