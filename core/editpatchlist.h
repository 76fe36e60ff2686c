// The editpatchlist window as a form model.
#pragma once

#include "core/form.h"

namespace lumora {

class editpatchlist : public Form {
 public:
  explicit editpatchlist(Desk& desk);
};

}  // namespace lumora
