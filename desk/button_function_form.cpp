#include "desk/button_function_form.h"

#include <algorithm>

#include "platform/desk_base.h"
#include "core/levels.h"

namespace lumora {

Button_Function_Form::Button_Function_Form(DeskBase& d) : FunctionEditor(d, "Button_Function_Form", true) {
  setCaption("Button Function");
  Latch.setCaption("Latch");
  Preset_Col.setCaption("Preset Colour");
  Preset_Col.setToolTipText("Use the chosen colour; otherwise a press asks for one");
}

FunctionEditor::Fields Button_Function_Form::read(int index) const {
  const ButtonFunctionRec& r = desk().state.ButtonFunctions[static_cast<std::size_t>(std::clamp(index, 0, kPlayButtons))];
  Fields f;
  CopySharedFunctionFields(r, f);
  f.Latch = r.Latch;
  f.Preset = r.Preset;
  return f;
}

void Button_Function_Form::write(int index, const Fields& f) {
  if (index < 0 || index > kPlayButtons) return;
  ButtonFunctionRec& r = desk().state.ButtonFunctions[static_cast<std::size_t>(index)];
  CopySharedFunctionFields(f, r);
  r.Latch = f.Latch;
  r.Preset = f.Preset;
}

void Button_Function_Form::showExtra(const Fields& f) {
  Latch.setValue(f.Latch ? 1 : 0);
  Preset_Col.setValue(f.Preset ? 1 : 0);
  Red_Channel.setText(std::to_string(f.Channel1));
  Green_Channel.setText(std::to_string(f.Channel2));
  Blue_Channel.setText(std::to_string(f.Channel3));
  colourChosen(std::clamp<int>(f.Data1, 0, 255), std::clamp<int>(f.Data2, 0, 255), std::clamp<int>(f.Data3, 0, 255));
}

void Button_Function_Form::colourChosen(int r, int g, int b) {
  Red_Box.setBackColor(RGB(r, 0, 0));
  Green_Box.setBackColor(RGB(0, g, 0));
  Blue_Box.setBackColor(RGB(0, 0, b));
}

void Button_Function_Form::storeExtra(Fields& f) {
  if (Fun_set.ListIndex() == kFnColour) {
    if (Preset_Col.Value()) {
      f.Preset = -1;
      f.Data1 = static_cast<int16_t>(Val(R_Label.Caption()));
      f.Data2 = static_cast<int16_t>(Val(G_Label.Caption()));
      f.Data3 = static_cast<int16_t>(Val(B_Label.Caption()));
    } else {
      f.Preset = 0;
    }
  }
  f.Latch = Latch.Value() ? -1 : 0;
}

void Button_Function_Form::layoutExtra(int fn) {
  const bool colour = fn == kFnColour;
  for (Control* c : {&Red_Channel, &Green_Channel, &Blue_Channel, &Red_Box, &Green_Box, &Blue_Box, &Preset_Col})
    c->setVisible(colour);
}

Control& Button_Function_Form::colourChannel(int k) {
  return k == 0 ? Red_Channel : k == 1 ? Green_Channel : Blue_Channel;
}

}  // namespace lumora
