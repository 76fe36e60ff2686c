// The Button_Function_Form window as a form model.
#pragma once

#include "core/form.h"

namespace lumora {

class Button_Function_Form : public Form {
 public:
  explicit Button_Function_Form(Desk& desk);
};

}  // namespace lumora
