// The Fixture_Prop window as a form model.
#pragma once

#include "core/form.h"

namespace lumora {

class Fixture_Prop : public Form {
 public:
  explicit Fixture_Prop(Desk& desk);
};

}  // namespace lumora
