// The button function editor: the fader editor's window plus latch, the
// colour preset box and the red, green and blue channel and colour boxes.
#pragma once

#include "desk/fader_function_form.h"

namespace lumora {

class Button_Function_Form : public FunctionEditor {
 public:
  explicit Button_Function_Form(DeskBase& desk);

  Control Latch{*this, "Latch", Kind::CheckBox};
  Control Preset_Col{*this, "Preset_Col", Kind::CheckBox};
  Control Red_Channel{*this, "Red_Channel", Kind::TextBox};
  Control Green_Channel{*this, "Green_Channel", Kind::TextBox};
  Control Blue_Channel{*this, "Blue_Channel", Kind::TextBox};
  Control Red_Box{*this, "Red_Box", Kind::Picture};
  Control Green_Box{*this, "Green_Box", Kind::Picture};
  Control Blue_Box{*this, "Blue_Box", Kind::Picture};

 protected:
  Fields read(int index) const override;
  void write(int index, const Fields& f) override;
  void showExtra(const Fields& f) override;
  void storeExtra(Fields& f) override;
  void layoutExtra(int fn) override;
  void colourChosen(int r, int g, int b) override;
  Control& colourChannel(int k) override;
};

}  // namespace lumora
