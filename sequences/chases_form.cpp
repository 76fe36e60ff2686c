#include "sequences/chases_form.h"

#include "app/desk.h"

namespace lumora {

Chases::Chases(Desk& desk) : Form(desk, "Chases") { setCaption("Sequence Desk"); }

}  // namespace lumora
