// The CLI window as a form model.
#pragma once

#include "core/form.h"

namespace lumora {

class CLI : public Form {
 public:
  explicit CLI(Desk& desk);
};

}  // namespace lumora
