// The BCF window as a form model.
#pragma once

#include "core/form.h"

namespace lumora {

class BCF : public Form {
 public:
  explicit BCF(Desk& desk);
};

}  // namespace lumora
