// The Project_text window as a form model.
#pragma once

#include "core/form.h"

namespace lumora {

class Project_text : public Form {
 public:
  explicit Project_text(Desk& desk);
};

}  // namespace lumora
