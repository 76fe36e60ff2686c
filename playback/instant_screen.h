// The instant_screen window as a form model.
#pragma once

#include "core/form.h"

namespace lumora {

class instant_screen : public Form {
 public:
  explicit instant_screen(Desk& desk);
};

}  // namespace lumora
