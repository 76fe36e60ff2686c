#include "core/desk_core.h"
#include "core/state_registry.h"

namespace lumora {

void SetupCore(DeskCore& d) { RegisterDeskState(d.registry(), d.state); }

}  // namespace lumora
