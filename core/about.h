// The frmAbout window as a form model.
#pragma once

#include "core/form.h"

namespace lumora {

class frmAbout : public Form {
 public:
  explicit frmAbout(Desk& desk);
};

}  // namespace lumora
