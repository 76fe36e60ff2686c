#include "core/fader_function_form.h"

#include "app/desk.h"

namespace lumora {

Fader_Function_Form::Fader_Function_Form(Desk& desk) : Form(desk, "Fader_Function_Form") { setCaption("Fader Function"); }

}  // namespace lumora
