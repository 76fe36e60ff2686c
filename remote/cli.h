// The CLI window as a form model.
#pragma once

#include "core/form.h"

namespace lumora {

class CLI : public Form {
 public:
  explicit CLI(Desk& desk);

  // A key pressed on the main desk (its key code), handed to the command line.
  void KeyInput(int keyCode);
};

}  // namespace lumora
