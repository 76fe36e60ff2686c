#include "remote/bcf.h"

#include "app/desk.h"

namespace lumora {

BCF::BCF(Desk& desk) : Form(desk, "BCF") { setCaption("BCF2000"); }

}  // namespace lumora
