#include "remote/bcf_configure.h"

#include "app/desk.h"

namespace lumora {

BCF_configure::BCF_configure(Desk& desk) : Form(desk, "BCF_configure") { setCaption("BCF Setup"); }

}  // namespace lumora
