#include "output/art_config.h"

#include "app/desk.h"

namespace lumora {

Art_Config::Art_Config(Desk& desk) : Form(desk, "Art_Config") { setCaption("Art Net Setup"); }

}  // namespace lumora
