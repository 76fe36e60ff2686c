// The Channel_Names window as a form model.
#pragma once

#include "core/form.h"

namespace lumora {

class Channel_Names : public Form {
 public:
  explicit Channel_Names(Desk& desk);
};

}  // namespace lumora
