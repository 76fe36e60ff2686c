#include "sequences/fixture_prop.h"

#include "app/desk.h"

namespace lumora {

Fixture_Prop::Fixture_Prop(Desk& desk) : Form(desk, "Fixture_Prop") { setCaption("Fixture Propertises"); }

}  // namespace lumora
