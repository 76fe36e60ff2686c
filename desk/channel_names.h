// The channel names window: description, short name, colour and follow flags
// of the selected desk channel, its level and the DMX slots it feeds.
#pragma once

#include <cstdint>
#include <string>

#include "core/form.h"

namespace lumora {

class Channel_Names : public Form {
 public:
  explicit Channel_Names(DeskBase& desk);

  Control Show_Channel{*this, "Show_Channel", Kind::TextBox};
  Control Channel_Description{*this, "Channel_Description", Kind::TextBox};
  Control Show_Name{*this, "Show_Name", Kind::TextBox};
  Control colour_bx{*this, "colour_bx", Kind::Picture};
  Control Colour_button{*this, "Colour_button", Kind::Button};
  Control Main_F{*this, "Main_F", Kind::CheckBox};
  Control Cross_F{*this, "Cross_F", Kind::CheckBox};
  Control Slider1{*this, "Slider1", Kind::Fader};
  ControlArray Show_DMX{*this, "Show_DMX", Kind::TextBox, 6};
  Control Pannel_Dec{*this, "Pannel_Dec", Kind::Button};
  Control Pannel_Inc{*this, "Pannel_Inc", Kind::Button};
  Control OK{*this, "OK", Kind::Button};
  // Captions beside the boxes.
  Control Label1{*this, "Label1", Kind::Label};
  Control Label2{*this, "Label2", Kind::Label};
  Control Label3{*this, "Label3", Kind::Label};
  Control Label4{*this, "Label4", Kind::Label};
  Control Label5{*this, "Label5", Kind::Label};

  void Form_Load() override;

  // Shows the selected channel in every box.
  void ShowChannelInfo();
  // Moves the level fader to the selected channel's current level (the main
  // desk calls this when levels change there).
  void SyncLevel();

  void Channel_Description_Change();
  void Channel_Description_Validate();
  void Show_Name_Change();
  void Colour_button_Click();
  void Main_F_Click();
  void Cross_F_Click();
  void Slider1_Change();
  void Pannel_Dec_Click();
  void Pannel_Inc_Click();
  void OK_Click();

 private:
  int channel() const;  // the selected channel's index, 0..63
  void redrawDesk();
};

// The first n characters of a UTF-8 text (a character is never split).
std::string FirstChars(const std::string& text, std::size_t n);
// The number of characters of a UTF-8 text.
std::size_t CharCount(const std::string& text);

}  // namespace lumora
