#include "playback/namedit.h"

#include "app/desk.h"

namespace lumora {

namedit::namedit(Desk& desk) : Form(desk, "namedit") { setCaption("Edit Cues"); }

}  // namespace lumora
