#include "playback/instant_screen.h"

#include "app/desk.h"

namespace lumora {

instant_screen::instant_screen(Desk& desk) : Form(desk, "instant_screen") { setCaption("Instant Screens"); }

}  // namespace lumora
