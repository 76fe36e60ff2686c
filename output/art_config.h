// The Art_Config window ("Art Net Setup") as a form model: the switches of
// the node's eight output ports and the node's status.
#pragma once

#include "core/form.h"

namespace lumora {

class D_ArtNet;

class Art_Config : public Form {
 public:
  explicit Art_Config(DeskBase& desk);

  ControlArray Text1{*this, "Text1", Kind::TextBox, 8};    // port numbers
  ControlArray Button1{*this, "Button1", Kind::Button, 8};  // port switches
  Control Text2{*this, "Text2", Kind::TextBox};             // status box
  ControlArray Status1{*this, "Status1", Kind::Picture, 8};
  Control Label1{*this, "Label1", Kind::Label};
  Control Label2{*this, "Label2", Kind::Label};
  Control Command1{*this, "Command1", Kind::Button};

  void Form_Load() override;
  void Button1_Click(int i);
  void Command1_Click();
  void RefreshButtons();

  // The desk's Art-Net node (set up with the output subsystem).
  D_ArtNet* net = nullptr;

 private:
  void setStatusLines(const std::string& text);
};

}  // namespace lumora
