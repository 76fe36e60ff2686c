#include "app/desk.h"
#include "core/state_registry.h"

namespace lumora {

void SetupCore(Desk& d) { RegisterDeskState(d.registry(), d.state); }

}  // namespace lumora
