// "BCF Setup": connects the control surface.
#pragma once

#include "core/form.h"

namespace lumora {

class BCF_configure : public Form {
 public:
  explicit BCF_configure(DeskBase& desk);

  Control Text1{*this, "Text1", Kind::TextBox};
  Control Command1{*this, "Command1", Kind::Button};  // "Connect to BCF"
  Control Command2{*this, "Command2", Kind::Button};  // close
  Control Label1{*this, "Label1", Kind::Label};       // "BCF Update if..."
  Control Frame1{*this, "Frame1", Kind::Frame};       // "Main Screen"
  Control Frame2{*this, "Frame2", Kind::Frame};       // "Playback Desk"
  ControlArray Check1{*this, "Check1", Kind::CheckBox, 3};  // main screen options
  ControlArray Check2{*this, "Check2", Kind::CheckBox, 3};  // playback desk options

  void Command1_Click();
};

}  // namespace lumora
