#include "core/button_function_form.h"

#include "app/desk.h"

namespace lumora {

Button_Function_Form::Button_Function_Form(Desk& desk) : Form(desk, "Button_Function_Form") { setCaption("Button Function"); }

}  // namespace lumora
