// The Chases window as a form model.
#pragma once

#include "core/form.h"

namespace lumora {

class Chases : public Form {
 public:
  explicit Chases(Desk& desk);
};

}  // namespace lumora
