// The Portsetup window as a form model.
#pragma once

#include "core/form.h"

namespace lumora {

class Portsetup : public Form {
 public:
  explicit Portsetup(Desk& desk);
};

}  // namespace lumora
