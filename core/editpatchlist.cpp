#include "core/editpatchlist.h"

#include "app/desk.h"

namespace lumora {

editpatchlist::editpatchlist(Desk& desk) : Form(desk, "editpatchlist") { setCaption("Patch List"); }

}  // namespace lumora
