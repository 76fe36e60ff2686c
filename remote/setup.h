// Set-up of this subsystem: the control surface, the command line and their globals. Called once by the composition root
// after every window exists.
#pragma once

namespace lumora {

class DeskBase;

void SetupRemote(DeskBase& d);

}  // namespace lumora
