// The instant-screen panel: up to 15 buttons for the screens marked
// Instant. In run mode a left click takes the screen; a right click opens
// the screen editor on it.
#pragma once

#include <array>

#include "core/form.h"

namespace lumora {

class instant_screen : public Form {
 public:
  explicit instant_screen(DeskBase& desk);

  static constexpr int kButtons = 15;
  ControlArray Screen_sel{*this, "Screen_sel", Kind::Button, kButtons};

  void Form_Load() override;
  void Form_Activate() override { Refresh(); }
  void Refresh();
  // Screen of button k, -1 when the button is hidden.
  int ScreenOf(int k) const { return k >= 0 && k < kButtons ? screens_[k] : -1; }

 private:
  std::array<int, kButtons> screens_{};
};

}  // namespace lumora
