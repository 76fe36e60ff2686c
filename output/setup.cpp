#include "app/desk.h"
#include "output/artnet.h"

namespace lumora {

// Registers this subsystem's globals, adapters and simulated devices.
void SetupOutput(Desk& d) {
  SetupArtNet(d);
}

}  // namespace lumora
