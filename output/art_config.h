// The Art_Config window as a form model.
#pragma once

#include "core/form.h"

namespace lumora {

class Art_Config : public Form {
 public:
  explicit Art_Config(Desk& desk);
};

}  // namespace lumora
