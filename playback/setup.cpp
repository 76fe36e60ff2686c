#include "playback/setup.h"

#include "platform/desk_base.h"

namespace lumora {

// Registers this subsystem's globals, adapters and simulated devices.
void SetupPlayback(DeskBase& d) { (void)d; }

}  // namespace lumora
