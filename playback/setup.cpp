#include "app/desk.h"

namespace lumora {

// Registers this subsystem's globals, adapters and simulated devices.
void SetupPlayback(Desk& d) { (void)d; }

}  // namespace lumora
