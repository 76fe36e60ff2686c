// The BCF_configure window as a form model.
#pragma once

#include "core/form.h"

namespace lumora {

class BCF_configure : public Form {
 public:
  explicit BCF_configure(Desk& desk);
};

}  // namespace lumora
