#include "app/desk.h"
#include "output/output_wire.h"

namespace lumora {

void Desk::SendFrame() {
  if (OutputWire* w = OutputWire::Of(*this)) w->Tick();
}

}  // namespace lumora
