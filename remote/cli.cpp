#include "remote/cli.h"

#include "app/desk.h"

namespace lumora {

CLI::CLI(Desk& desk) : Form(desk, "CLI") { setCaption("Command Line"); }

void CLI::KeyInput(int keyCode) { (void)keyCode; }

}  // namespace lumora
