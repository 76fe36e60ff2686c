#include "remote/cli.h"

#include "app/desk.h"

namespace lumora {

CLI::CLI(Desk& desk) : Form(desk, "CLI") { setCaption("Command Line"); }

}  // namespace lumora
