// The namedit window as a form model.
#pragma once

#include "core/form.h"

namespace lumora {

class namedit : public Form {
 public:
  explicit namedit(Desk& desk);
};

}  // namespace lumora
