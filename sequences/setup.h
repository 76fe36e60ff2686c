// Set-up of this subsystem: chases, fixtures and their globals. Called once by the composition root
// after every window exists.
#pragma once

namespace lumora {

class DeskBase;

void SetupSequences(DeskBase& d);

}  // namespace lumora
