#include "output/portsetup.h"

#include "app/desk.h"

namespace lumora {

Portsetup::Portsetup(Desk& desk) : Form(desk, "Portsetup") { setCaption("Set DMX Output Device"); }

}  // namespace lumora
