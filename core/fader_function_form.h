// The Fader_Function_Form window as a form model.
#pragma once

#include "core/form.h"

namespace lumora {

class Fader_Function_Form : public Form {
 public:
  explicit Fader_Function_Form(Desk& desk);
};

}  // namespace lumora
