#include "core/about.h"

#include "app/desk.h"

namespace lumora {

frmAbout::frmAbout(Desk& desk) : Form(desk, "frmAbout") { setCaption("About Lumora"); }

}  // namespace lumora
