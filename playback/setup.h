// Set-up of this subsystem: the playback desk's globals. Called once by the composition root
// after every window exists.
#pragma once

namespace lumora {

class DeskBase;

void SetupPlayback(DeskBase& d);

}  // namespace lumora
