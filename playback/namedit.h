// The screen editor ("Edit Cues"): the screens by number and name, the
// playback data of one screen, and what the screen holds, with levels that
// can be changed in the stored screen without recalling it.
#pragma once

#include <array>

#include "core/desk_state.h"
#include "core/form.h"

namespace lumora {

class namedit : public Form {
 public:
  explicit namedit(DeskBase& desk);

  Control List1{*this, "List1", Kind::ListBox};
  Control Next_Scn{*this, "Next_Scn", Kind::ComboBox};
  Control Text1{*this, "Text1", Kind::TextBox};
  Control Text2{*this, "Text2", Kind::TextBox};
  Control Screen_Delay{*this, "Screen_Delay", Kind::ScrollBar};
  Control Delay_txt{*this, "Delay_txt", Kind::TextBox};
  Control Check1{*this, "Check1", Kind::CheckBox};
  Control Check2{*this, "Check2", Kind::CheckBox};
  Control Picture1{*this, "Picture1", Kind::Picture};
  Control List2{*this, "List2", Kind::ListBox};
  Control Slider1{*this, "Slider1", Kind::Fader};
  Control Text3{*this, "Text3", Kind::TextBox};
  Control Text4{*this, "Text4", Kind::TextBox};
  Control Text5{*this, "Text5", Kind::TextBox};
  Control Command1{*this, "Command1", Kind::Button};
  Control Command2{*this, "Command2", Kind::Button};
  Control Command3{*this, "Command3", Kind::Button};
  Control Command4{*this, "Command4", Kind::Button};
  Control Command5{*this, "Command5", Kind::Button};
  Control Command6{*this, "Command6", Kind::Button};

  static constexpr int kContentLines = 101;
  enum class LineKind : int16_t { None = 0, Fader = 1, Button = 2, Channel = 3 };

  // The screen being edited.
  int16_t EditScreen = 1;

  void Form_Load() override;
  // Opens the editor on screen n (-1: screen 1 at the first opening, else
  // the screen shown last).
  void OpenOn(int n);
  void FillLists();
  void ShowEditScreen();
  void Update();  // Command3
  void List1_Click();
  void Next_Scn_Click();
  void List2_Click();
  void Slider1_Change();
  void Picture1_Click();

  LineKind lineKind(int line) const;
  int lineIndex(int line) const;

 private:
  bool validScreen(int n) const { return n >= 0 && n < kScreens; }
  int lastScreen() const;
  std::array<LineKind, kContentLines> kinds_{};
  std::array<int16_t, kContentLines> indices_{};
  bool opened_ = false;
};

}  // namespace lumora
