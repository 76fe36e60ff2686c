#include "core/channel_names.h"

#include "app/desk.h"

namespace lumora {

Channel_Names::Channel_Names(Desk& desk) : Form(desk, "Channel_Names") { setCaption("Channel Names"); }

}  // namespace lumora
